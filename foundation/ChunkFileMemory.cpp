#include "foundation/ChunkFileMemory.h"

#include <algorithm>

#include "foundation/ChunkFormat.h"
#include "foundation/Exception.h"

namespace zt {

CChunkFileMemory::CChunkFileMemory() = default;
CChunkFileMemory::~CChunkFileMemory() = default;

void CChunkFileMemory::Destroy() { delete this; }

bool CChunkFileMemory::Open(const void* data, uint64_t size, int mode, uint32_t& type, bool copyChunks)
{
    if (data == nullptr && mode != kChunkFileCreate)
        throw CreateException(kExceptionTypeFile, kExceptionReasonFileGeneric);
    Close();
    copyChunks_ = copyChunks;

    bool ok = false;
    if (mode == kChunkFileRead)
        ok = file_.OpenView(data, size) && chunkformat::ReadContainerHeader(file_, type);
    else if (mode == kChunkFileCreate)
        ok = file_.OpenBuffer(nullptr, 0) && chunkformat::WriteContainerHeader(file_, type);
    else if (mode == kChunkFileUpdate)
        ok = file_.OpenBuffer(data, size) && chunkformat::WriteContainerHeader(file_, type);
    else
        ok = file_.OpenBuffer(data, size);
    if (!ok)
        file_.Close();
    return ok;
}

const uint8_t* CChunkFileMemory::GetData() const { return file_.GetData(); }
uint64_t CChunkFileMemory::GetSize() const { return file_.GetSize(); }

void CChunkFileMemory::Close() { file_.Close(); }

std::unique_ptr<IChunk> CChunkFileMemory::FindChunk(uint32_t id)
{
    uint64_t cursor = chunkformat::kFirstChunk;
    return FindNextChunk(cursor, id);
}

std::unique_ptr<IChunk> CChunkFileMemory::FindNextChunk(uint64_t& cursor, uint32_t id)
{
    chunkformat::SChunkLocation found;
    if (!chunkformat::FindChunk(file_, cursor, id, found))
        return nullptr;
    // The header was read whole, so the data offset lies within the image.
    const uint64_t present = std::min<uint64_t>(found.length, file_.GetSize() - found.dataOffset);
    return std::make_unique<CChunkMemory>(file_.GetData() + found.dataOffset, static_cast<uint32_t>(present), found.id,
                                          copyChunks_);
}

bool CChunkFileMemory::WriteChunk(IChunk& chunk) { return chunkformat::WriteChunk(file_, chunk); }

IFile& CChunkFileMemory::GetFile() { return file_; }

}  // namespace zt
