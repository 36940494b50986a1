#pragma once

// Chunk files: "ZTCF", a type word, then a flat list of (id, length, data)
// chunks; the byte layout is in ChunkFormat.h.
//
// Writing: open with mode 2 and a type word, build each chunk in a
// CChunkMemory by sequential writes, WriteChunk it, Close.
// Reading: open with mode 0, FindChunk / FindNextChunk, read the chunk's data.

#include <cstdint>
#include <memory>

#include "foundation/Chunk.h"
#include "foundation/File.h"
#include "foundation/Interface.h"

namespace zt {

// How a chunk file is opened.
enum EChunkFileMode {
    kChunkFileRead = 0,    // checks "ZTCF" and returns the type word
    kChunkFileUpdate = 1,  // existing file: writes "ZTCF" and the type word over its start
    kChunkFileCreate = 2,  // new or emptied file: writes "ZTCF" and the type word
                           // Any other value opens an existing file for reading and writing and
                           // neither reads nor writes a header; the position stays at 0.
};

class IChunkFile : public virtual IDestructable {
public:
    virtual void Close() = 0;
    // The first chunk with this id, or null. The caller owns the chunk.
    virtual std::unique_ptr<IChunk> FindChunk(uint32_t id) = 0;
    // Like FindChunk from cursor on (0 means the first chunk). Leaves cursor
    // past every chunk examined, so repeated calls enumerate every chunk with
    // this id in file order.
    virtual std::unique_ptr<IChunk> FindNextChunk(uint64_t& cursor, uint32_t id) = 0;
    // Appends at the current position, which after opening for writing is the
    // end. False when not every byte was written.
    virtual bool WriteChunk(IChunk& chunk) = 0;
    // The raw bytes, for copying whole images.
    virtual IFile& GetFile() = 0;
};

// A chunk file on disk. Its chunks are windows (CChunk) onto the open file
// and must not outlive it.
class CChunkFile : public virtual IChunkFile {
public:
    CChunkFile();
    ~CChunkFile() override;
    CChunkFile(const CChunkFile&) = delete;
    CChunkFile& operator=(const CChunkFile&) = delete;

    // path is a framework path. type is read in mode 0 (the caller decides
    // whether to accept it) and written in modes 1 and 2. False on a missing
    // or short file, a wrong magic or a failed header write; the file is then
    // closed.
    bool Open(const char* path, int mode, uint32_t& type);

    void Destroy() override;
    void Close() override;
    std::unique_ptr<IChunk> FindChunk(uint32_t id) override;
    std::unique_ptr<IChunk> FindNextChunk(uint64_t& cursor, uint32_t id) override;
    bool WriteChunk(IChunk& chunk) override;
    IFile& GetFile() override;

private:
    CFile file_;
};

}  // namespace zt
