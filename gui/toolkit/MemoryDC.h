#pragma once

#include <memory>

#include "gui/native/DC.h"

namespace zt::ge {

// A surface in ordinary memory: the offscreen window's, and the place for
// anything drawn ahead of time.
class CMemoryDC : public virtual IDC {
public:
    CMemoryDC() = default;
    explicit CMemoryDC(SSize size);
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;

    uint8_t* GetBits() override;
    const uint8_t* GetBits() const override;
    SSize GetSize() const override;
    int32_t GetStride() const override;
    std::size_t GetCapacity() const override;
    bool Resize(SSize size) override;

private:
    std::unique_ptr<uint8_t[]> bits_;
    std::size_t capacity_ = 0;
    SSize size_;
};

}  // namespace zt::ge
