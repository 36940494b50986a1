#include "foundation/ChunkFile.h"

#include "foundation/ChunkFormat.h"

namespace zt {

CChunkFile::CChunkFile() = default;
CChunkFile::~CChunkFile() = default;

void CChunkFile::Destroy() { delete this; }

bool CChunkFile::Open(const char* path, int mode, uint32_t& type)
{
    Close();
    int fileMode = kFileModeUpdate;
    if (mode == kChunkFileRead)
        fileMode = kFileModeRead;
    if (mode == kChunkFileCreate)
        fileMode = kFileModeCreate;
    if (!m_file.Open(path, fileMode))
        return false;

    bool ok = true;
    if (mode == kChunkFileRead)
        ok = chunkformat::ReadContainerHeader(m_file, type);
    else if (mode == kChunkFileUpdate || mode == kChunkFileCreate)
        ok = chunkformat::WriteContainerHeader(m_file, type);
    if (!ok)
        m_file.Close();
    return ok;
}

void CChunkFile::Close() { m_file.Close(); }

std::unique_ptr<IChunk> CChunkFile::FindChunk(uint32_t id)
{
    uint64_t cursor = chunkformat::kFirstChunk;
    return FindNextChunk(cursor, id);
}

std::unique_ptr<IChunk> CChunkFile::FindNextChunk(uint64_t& cursor, uint32_t id)
{
    chunkformat::SChunkLocation found;
    if (!chunkformat::FindChunk(m_file, cursor, id, found))
        return nullptr;
    return std::make_unique<CChunk>(m_file, found.dataOffset, found.id, found.length);
}

bool CChunkFile::WriteChunk(IChunk& chunk) { return chunkformat::WriteChunk(m_file, chunk); }

IFile& CChunkFile::GetFile() { return m_file; }

}  // namespace zt
