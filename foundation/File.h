#pragma once

#include <cstdint>
#include <cstdio>

#include "foundation/Interface.h"

namespace zt {

// A byte stream with a current position: a file on disk, a memory block or a
// chunk. Reads and writes never fail loudly; they report how many bytes moved.
class IFile : public virtual IDestructable {
public:
    virtual void Close() = 0;
    // Copies up to count bytes from the position and advances past them.
    virtual uint32_t Read(void* buffer, uint32_t count) = 0;
    virtual uint32_t Write(const void* buffer, uint32_t count) = 0;
    // Positions past the end are allowed; reads there return 0 bytes and
    // writes there fill the gap with zeros.
    virtual bool SetPosition(uint64_t position) = 0;
    virtual uint64_t GetPosition() const = 0;
    virtual uint64_t GetSize() const = 0;
};

// The current-position bookkeeping shared by the streams.
class CFileCP : public virtual IFile {
public:
    bool SetPosition(uint64_t position) override;
    uint64_t GetPosition() const override;

protected:
    uint64_t position_ = 0;
};

// How CFile::Open treats the file.
enum EFileMode {
    kFileModeRead = 0,    // existing file, reading only
    kFileModeUpdate = 1,  // existing file, reading and writing; not created, not truncated
    kFileModeCreate = 2,  // created or truncated, reading and writing
};

// A file on disk.
class CFile : public virtual IFile, public CFileCP {
public:
    CFile();
    ~CFile() override;  // closes
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // path is a framework path; a relative one is taken from the current
    // folder. False when it does not convert, names a folder or will not open;
    // any other mode than the three above fails too. Position starts at 0.
    bool Open(const char* path, int mode);
    bool IsOpen() const;

    void Destroy() override;
    void Close() override;
    uint32_t Read(void* buffer, uint32_t count) override;
    uint32_t Write(const void* buffer, uint32_t count) override;
    uint64_t GetSize() const override;

private:
    bool SeekFor(bool writing);

    std::FILE* file_ = nullptr;
    uint64_t size_ = 0;
    // Where the C stream stands and what it did last: a seek is only needed
    // when either differs (the C library requires one between a write and a read).
    uint64_t streamPosition_ = 0;
    bool streamValid_ = false;
    bool lastWasWrite_ = false;
};

}  // namespace zt
