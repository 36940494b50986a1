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
    m_copyChunks = copyChunks;

    bool ok = false;
    if (mode == kChunkFileRead)
        ok = m_file.OpenView(data, size) && chunkformat::ReadContainerHeader(m_file, type);
    else if (mode == kChunkFileCreate)
        ok = m_file.OpenBuffer(nullptr, 0) && chunkformat::WriteContainerHeader(m_file, type);
    else if (mode == kChunkFileUpdate)
        ok = m_file.OpenBuffer(data, size) && chunkformat::WriteContainerHeader(m_file, type);
    else
        ok = m_file.OpenBuffer(data, size);
    if (!ok)
        m_file.Close();
    return ok;
}

const uint8_t* CChunkFileMemory::GetData() const { return m_file.GetData(); }
uint64_t CChunkFileMemory::GetSize() const { return m_file.GetSize(); }

void CChunkFileMemory::Close() { m_file.Close(); }

std::unique_ptr<IChunk> CChunkFileMemory::FindChunk(uint32_t id)
{
    uint64_t cursor = chunkformat::kFirstChunk;
    return FindNextChunk(cursor, id);
}

std::unique_ptr<IChunk> CChunkFileMemory::FindNextChunk(uint64_t& cursor, uint32_t id)
{
    chunkformat::SChunkLocation found;
    if (!chunkformat::FindChunk(m_file, cursor, id, found))
        return nullptr;
    // The header was read whole, so the data offset lies within the image.
    const uint64_t present = std::min<uint64_t>(found.length, m_file.GetSize() - found.dataOffset);
    return std::make_unique<CChunkMemory>(m_file.GetData() + found.dataOffset, static_cast<uint32_t>(present), found.id,
                                          m_copyChunks);
}

bool CChunkFileMemory::WriteChunk(IChunk& chunk) { return chunkformat::WriteChunk(m_file, chunk); }

IFile& CChunkFileMemory::GetFile() { return m_file; }

}  // namespace zt
