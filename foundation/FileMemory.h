#pragma once

#include <cstdint>
#include <vector>

#include "foundation/File.h"

namespace zt {

// A byte stream over memory. Reading, writing or positioning it while it has
// no memory (never opened, or closed) is a programming error and throws
// IException* type 4 (file), reason 8 (generic).
class IFileMemory : public virtual IFile {
public:
    // Reads the caller's block in place; the block must outlive the file.
    // Writes move nothing. A null block throws as above.
    virtual bool OpenView(const void* data, uint64_t size) = 0;
    // Works on an owned buffer that starts as a copy of data (empty when size
    // is 0) and grows with writes. A null block with a size throws as above.
    virtual bool OpenBuffer(const void* data, uint64_t size) = 0;
    // The bytes: the caller's block, or the owned buffer, which stays readable
    // after Close until the next Open. Null when there are none.
    virtual const uint8_t* GetData() const = 0;
};

class CFileMemory : public virtual IFileMemory, public CFileCP {
public:
    CFileMemory();
    ~CFileMemory() override;
    CFileMemory(const CFileMemory&) = delete;
    CFileMemory& operator=(const CFileMemory&) = delete;

    bool OpenView(const void* data, uint64_t size) override;
    bool OpenBuffer(const void* data, uint64_t size) override;
    const uint8_t* GetData() const override;

    void Destroy() override;
    void Close() override;
    uint32_t Read(void* buffer, uint32_t count) override;
    // Short (possibly 0) when the file is a view or memory runs out.
    uint32_t Write(const void* buffer, uint32_t count) override;
    bool SetPosition(uint64_t position) override;
    uint64_t GetSize() const override;

private:
    void RequireMemory() const;

    bool open_ = false;
    const uint8_t* view_ = nullptr;  // set in view mode only
    uint64_t viewSize_ = 0;
    std::vector<uint8_t> buffer_;  // buffer mode
};

}  // namespace zt
