#include "gui/toolkit/MemoryDC.h"

#include <new>

namespace zt::ge {

CMemoryDC::CMemoryDC(SSize size) { Resize(size); }

uint8_t* CMemoryDC::GetBits() { return size_.width > 0 ? bits_.get() : nullptr; }
const uint8_t* CMemoryDC::GetBits() const { return size_.width > 0 ? bits_.get() : nullptr; }
SSize CMemoryDC::GetSize() const { return size_; }
int32_t CMemoryDC::GetStride() const { return size_.width * 4; }
std::size_t CMemoryDC::GetCapacity() const { return capacity_; }

bool CMemoryDC::Resize(SSize size)
{
    const std::size_t needed = SurfaceBytes(size);
    if (needed == 0) {
        size_ = {};
        return size.width == 0 || size.height == 0;  // an empty surface is fine, a bad size is not
    }
    if (needed > capacity_) {
        bits_.reset();
        capacity_ = 0;
        size_ = {};
        bits_.reset(new (std::nothrow) uint8_t[needed]);
        if (!bits_)
            return false;
        capacity_ = needed;
    }
    size_ = size;
    return true;
}

}  // namespace zt::ge
