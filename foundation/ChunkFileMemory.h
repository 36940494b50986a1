#pragma once

#include <cstdint>
#include <memory>

#include "foundation/ChunkFile.h"
#include "foundation/FileMemory.h"

namespace zt {

// A chunk file in memory: reads an image in place, or builds a new image in
// an owned, growing buffer (the plug-in state handed to the host).
//
// Modes (as EChunkFileMode):
//   0 read    the caller's image in place; it must outlive the file.
//   1 update  an owned copy of the image; "ZTCF" and the type word are
//             written over its start and writing continues at offset 8.
//   2 create  an owned, empty buffer; "ZTCF" and the type word are written.
//   other     an owned copy of the image; nothing read or written.
// Modes other than 2 need the image: a null data pointer throws IException*
// type 4 (file), reason 8 (generic), as does using a file that was never opened.
class IChunkFileMemory : public virtual IChunkFile {
public:
    // copyChunks: found chunks own copies of their bytes; otherwise they read
    // the image in place and are only valid while it is unchanged.
    virtual bool Open(const void* data, uint64_t size, int mode, uint32_t& type, bool copyChunks) = 0;
    // The image, including everything written; stays readable after Close.
    virtual const uint8_t* GetData() const = 0;
    virtual uint64_t GetSize() const = 0;
};

class CChunkFileMemory : public virtual IChunkFileMemory {
public:
    CChunkFileMemory();
    ~CChunkFileMemory() override;
    CChunkFileMemory(const CChunkFileMemory&) = delete;
    CChunkFileMemory& operator=(const CChunkFileMemory&) = delete;

    bool Open(const void* data, uint64_t size, int mode, uint32_t& type, bool copyChunks) override;
    const uint8_t* GetData() const override;
    uint64_t GetSize() const override;

    void Destroy() override;
    void Close() override;
    // Chunks are CChunkMemory, cut to the bytes the image actually holds.
    std::unique_ptr<IChunk> FindChunk(uint32_t id) override;
    std::unique_ptr<IChunk> FindNextChunk(uint64_t& cursor, uint32_t id) override;
    bool WriteChunk(IChunk& chunk) override;
    IFile& GetFile() override;

private:
    CFileMemory file_;
    bool copyChunks_ = true;
};

}  // namespace zt
