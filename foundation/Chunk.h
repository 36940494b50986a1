#pragma once

#include <cstdint>
#include <vector>

#include "foundation/File.h"

namespace zt {

// One chunk of a chunk file: a four-character identifier and its data, read
// and written like a file whose positions count from the start of the data.
class IChunk : public virtual IFile, public virtual IDestructable {
public:
    virtual uint32_t GetId() const = 0;
    virtual uint32_t GetLength() const = 0;  // data bytes, header excluded
};

// A chunk held in memory: built by sequential writes before it is written to
// a chunk file, or handed out by an in-memory chunk file.
class CChunkMemory : public virtual IChunk, public CFileCP {
public:
    // An empty chunk for writing.
    explicit CChunkMemory(uint32_t id = 0);
    // With copy the chunk keeps its own copy of the bytes; without, it reads the
    // caller's bytes in place (they must outlive it) and copies them only when
    // first written to, so the caller's memory is never modified. Null data
    // makes an empty chunk.
    CChunkMemory(const void* data, uint32_t length, uint32_t id, bool copy);
    CChunkMemory(const CChunkMemory&) = delete;
    CChunkMemory& operator=(const CChunkMemory&) = delete;

    uint32_t GetId() const override;
    void SetId(uint32_t id);
    uint32_t GetLength() const override;
    const uint8_t* GetData() const;  // null when empty

    void Destroy() override;
    void Close() override;
    // Copies min(count, length - position) bytes.
    uint32_t Read(void* buffer, uint32_t count) override;
    // A write that runs past the end grows the chunk to exactly its new end,
    // keeping the old bytes. Returns 0 if the length would leave 32 bits or
    // memory runs out.
    uint32_t Write(const void* buffer, uint32_t count) override;
    uint64_t GetSize() const override;

private:
    uint32_t id_;
    const uint8_t* borrowed_ = nullptr;  // the caller's bytes until the first write
    uint32_t length_ = 0;
    std::vector<uint8_t> owned_;  // used once borrowed_ is null
};

// A window onto one chunk's data inside an open file. It reads and writes
// the file in place and must not outlive it. Reads and writes are clamped to
// the chunk; a chunk whose declared length runs past the end of the file
// yields only the bytes that exist.
class CChunk : public virtual IChunk, public CFileCP {
public:
    CChunk(IFile& file, uint64_t dataOffset, uint32_t id, uint32_t length);
    CChunk(const CChunk&) = delete;
    CChunk& operator=(const CChunk&) = delete;

    uint32_t GetId() const override;
    uint32_t GetLength() const override;  // as declared in the chunk header

    void Destroy() override;
    void Close() override;
    uint32_t Read(void* buffer, uint32_t count) override;
    uint32_t Write(const void* buffer, uint32_t count) override;
    // The bytes of the chunk that exist in the file: at most the declared length.
    uint64_t GetSize() const override;

private:
    uint32_t Clamp(uint32_t count) const;

    IFile& file_;
    uint64_t dataOffset_;
    uint32_t id_;
    uint32_t length_;
};

}  // namespace zt
