#include "gui/toolkit/MemoryDC.h"

#include <new>

namespace zt::ge {

CMemoryDC::CMemoryDC(SSize size) { Resize(size); }

uint8_t* CMemoryDC::GetBits() { return m_size.width > 0 ? m_bits.get() : nullptr; }
const uint8_t* CMemoryDC::GetBits() const { return m_size.width > 0 ? m_bits.get() : nullptr; }
SSize CMemoryDC::GetSize() const { return m_size; }
int32_t CMemoryDC::GetStride() const { return m_size.width * 4; }
std::size_t CMemoryDC::GetCapacity() const { return m_capacity; }

bool CMemoryDC::Resize(SSize size)
{
    const std::size_t needed = SurfaceBytes(size);
    if (needed == 0) {
        m_size = {};
        return size.width == 0 || size.height == 0;  // an empty surface is fine, a bad size is not
    }
    if (needed > m_capacity) {
        m_bits.reset();
        m_capacity = 0;
        m_size = {};
        m_bits.reset(new (std::nothrow) uint8_t[needed]);
        if (!m_bits)
            return false;
        m_capacity = needed;
    }
    m_size = size;
    return true;
}

}  // namespace zt::ge
