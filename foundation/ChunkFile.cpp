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
    if (!file_.Open(path, fileMode))
        return false;

    bool ok = true;
    if (mode == kChunkFileRead)
        ok = chunkformat::ReadContainerHeader(file_, type);
    else if (mode == kChunkFileUpdate || mode == kChunkFileCreate)
        ok = chunkformat::WriteContainerHeader(file_, type);
    if (!ok)
        file_.Close();
    return ok;
}

void CChunkFile::Close() { file_.Close(); }

std::unique_ptr<IChunk> CChunkFile::FindChunk(uint32_t id)
{
    uint64_t cursor = chunkformat::kFirstChunk;
    return FindNextChunk(cursor, id);
}

std::unique_ptr<IChunk> CChunkFile::FindNextChunk(uint64_t& cursor, uint32_t id)
{
    chunkformat::SChunkLocation found;
    if (!chunkformat::FindChunk(file_, cursor, id, found))
        return nullptr;
    return std::make_unique<CChunk>(file_, found.dataOffset, found.id, found.length);
}

bool CChunkFile::WriteChunk(IChunk& chunk) { return chunkformat::WriteChunk(file_, chunk); }

IFile& CChunkFile::GetFile() { return file_; }

}  // namespace zt
