// Chunk files, on disk and in memory, against a walk of the layout done here: both must
// find every chunk the bytes hold, with exactly the bytes that exist, and a copy written
// back must read the same.
#include "FuzzSupport.h"

#include "foundation/ChunkFile.h"
#include "foundation/ChunkFileMemory.h"
#include "foundation/Exception.h"

#include <cstring>
#include <set>

namespace {

struct SExpected {
    uint32_t id;
    std::vector<uint8_t> bytes;
};

uint32_t U32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

std::vector<SExpected> Walk(const uint8_t* data, size_t size)
{
    std::vector<SExpected> chunks;
    for (uint64_t at = 8; at + 8 <= size;) {
        const uint32_t length = U32(data + at + 4);
        const uint64_t end = std::min<uint64_t>(at + 8 + length, size);
        chunks.push_back({U32(data + at), std::vector<uint8_t>(data + at + 8, data + end)});
        at += 8 + uint64_t(length);
    }
    return chunks;
}

std::vector<uint8_t> ReadAll(zt::IChunk& chunk)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(chunk.GetSize()));
    const uint32_t got = bytes.empty() ? 0 : chunk.Read(bytes.data(), static_cast<uint32_t>(bytes.size()));
    qs::fuzz::Require(got == bytes.size(), "a chunk reads every byte it reports");
    return bytes;
}

// Every chunk of each id, in file order, compared with the walk.
void CheckAgainst(zt::IChunkFile& file, const std::vector<SExpected>& expected)
{
    std::set<uint32_t> ids;
    for (const SExpected& e : expected)
        ids.insert(e.id);
    for (uint32_t id : ids) {
        uint64_t cursor = 0;
        for (const SExpected& e : expected) {
            if (e.id != id)
                continue;
            std::unique_ptr<zt::IChunk> chunk = file.FindNextChunk(cursor, e.id);
            qs::fuzz::Require(chunk != nullptr, "every chunk is found");
            qs::fuzz::Require(ReadAll(*chunk) == e.bytes, "a chunk holds the bytes the file holds");
        }
        qs::fuzz::Require(file.FindNextChunk(cursor, id) == nullptr, "no chunk beyond those there are");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const bool valid = size >= 8 && std::memcmp(data, "ZTCF", 4) == 0;
    const std::vector<SExpected> expected = valid ? Walk(data, size) : std::vector<SExpected>();
    const std::string path = qs::fuzz::Home().Sub("input.ztcf");
    qs::fuzz::WriteFile(path, data, size);
    qs::fuzz::CAllocationBound bound(2 * size + 4096);

    zt::CChunkFileMemory memory;
    uint32_t type = 0;
    bool opened = false;
    try {
        opened = memory.Open(data, size, zt::kChunkFileRead, type, true);
    } catch (zt::IException* e) {
        e->Destroy();
    }
    qs::fuzz::Require(opened == valid, "memory: opens exactly the images with the header");
    if (opened) {
        qs::fuzz::Require(type == U32(data + 4), "memory: the type word");
        CheckAgainst(memory, expected);
    }

    zt::CChunkFile disk;
    uint32_t diskType = 0;
    std::string framework;
    for (char c : path)
        framework += c == '/' ? ':' : c;
    const bool diskOpened = disk.Open(framework.c_str(), zt::kChunkFileRead, diskType);
    qs::fuzz::Require(diskOpened == valid, "disk: opens exactly the files with the header");
    if (diskOpened) {
        qs::fuzz::Require(diskType == U32(data + 4), "disk: the type word");
        CheckAgainst(disk, expected);
        disk.Close();
    }
    if (!valid)
        return 0;

    // Written back chunk by chunk, the copy reads as the original.
    zt::CChunkFileMemory copy;
    uint32_t copyType = type;
    qs::fuzz::Require(copy.Open(nullptr, 0, zt::kChunkFileCreate, copyType, true), "create");
    for (const SExpected& e : expected) {
        zt::CChunkMemory chunk(e.bytes.data(), static_cast<uint32_t>(e.bytes.size()), e.id, false);
        qs::fuzz::Require(copy.WriteChunk(chunk), "write a chunk");
    }
    zt::CChunkFileMemory reread;
    uint32_t rereadType = 0;
    qs::fuzz::Require(reread.Open(copy.GetData(), copy.GetSize(), zt::kChunkFileRead, rereadType, false), "reopen");
    qs::fuzz::Require(rereadType == type, "the copy's type word");
    CheckAgainst(reread, expected);
    return 0;
}
