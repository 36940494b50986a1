#include "foundation/ChunkFormat.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace zt::chunkformat {
namespace {

constexpr uint8_t kMagic[4] = {'Z', 'T', 'C', 'F'};

bool WriteHeader(IFile& file, uint32_t id, uint32_t length)
{
    uint8_t header[kChunkHeaderSize];
    PutU32(header, id);
    PutU32(header + 4, length);
    return file.Write(header, kChunkHeaderSize) == kChunkHeaderSize;
}

}  // namespace

void PutU32(uint8_t* bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetU32(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8
        | static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

bool ReadContainerHeader(IFile& file, uint32_t& type)
{
    uint8_t header[8];
    if (file.GetSize() < sizeof header || !file.SetPosition(0))
        return false;
    if (file.Read(header, 4) != 4 || std::memcmp(header, kMagic, 4) != 0)
        return false;
    if (file.Read(header + 4, 4) != 4)
        return false;
    type = GetU32(header + 4);
    return true;
}

bool WriteContainerHeader(IFile& file, uint32_t type)
{
    uint8_t word[4];
    PutU32(word, type);
    return file.Write(kMagic, 4) == 4 && file.Write(word, 4) == 4;
}

bool FindChunk(IFile& file, uint64_t& cursor, uint32_t id, SChunkLocation& found)
{
    // Positions are 64-bit, so a hostile length cannot wrap the scan back to
    // the start; every step advances by at least a header.
    uint64_t position = std::max(cursor, kFirstChunk);
    for (;;) {
        uint8_t header[kChunkHeaderSize];
        if (!file.SetPosition(position) || file.Read(header, kChunkHeaderSize) != kChunkHeaderSize) {
            cursor = position;
            return false;
        }
        const uint32_t chunkId = GetU32(header);
        const uint32_t length = GetU32(header + 4);
        const uint64_t dataOffset = position + kChunkHeaderSize;
        position = dataOffset + length;
        if (chunkId == id) {
            cursor = position;
            found = {chunkId, length, dataOffset};
            return true;
        }
    }
}

bool WriteChunk(IFile& file, IChunk& chunk)
{
    if (auto* memory = dynamic_cast<CChunkMemory*>(&chunk)) {
        const uint32_t length = memory->GetLength();
        return WriteHeader(file, memory->GetId(), length)
            && (length == 0 || file.Write(memory->GetData(), length) == length);
    }
    // Other chunks are read whole first. The buffer grows with the bytes that
    // actually arrive, so a lying length cannot demand gigabytes up front.
    constexpr uint32_t kBlock = 64 * 1024;
    std::vector<uint8_t> bytes;
    try {
        if (!chunk.SetPosition(0))
            return false;
        const uint32_t declared = chunk.GetLength();
        uint32_t total = 0;
        while (total < declared) {
            const uint32_t want = std::min(kBlock, declared - total);
            bytes.resize(static_cast<std::size_t>(total) + want);
            const uint32_t got = chunk.Read(bytes.data() + total, want);
            total += got;
            if (got < want)
                break;
        }
        bytes.resize(total);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const auto length = static_cast<uint32_t>(bytes.size());
    return WriteHeader(file, chunk.GetId(), length) && (length == 0 || file.Write(bytes.data(), length) == length);
}

}  // namespace zt::chunkformat
