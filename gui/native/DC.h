#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/Interface.h"
#include "gui/native/Geometry.h"

namespace zt::ge {

// A 32-bit pixel surface: blue, green, red, fourth byte per pixel, rows top
// down, stride exactly width * 4. All drawing of a window goes into one.
class IDC : public virtual IInterface {
public:
    virtual uint8_t* GetBits() = 0;  // null while the surface is empty
    virtual const uint8_t* GetBits() const = 0;
    virtual SSize GetSize() const = 0;
    virtual int32_t GetStride() const = 0;        // bytes per row
    virtual std::size_t GetCapacity() const = 0;  // bytes the storage holds
    // Takes the new size. Storage is replaced by exactly width * height * 4
    // bytes only when that exceeds the capacity, so it never shrinks. False
    // when the storage cannot be had; the surface is then empty.
    virtual bool Resize(SSize size) = 0;
};

// A read-only view of pixels in the surface format, such as a decoded bitmap
// or one frame of it (point bits at the frame's first row).
struct SPixelView {
    const uint8_t* bits = nullptr;
    SSize size;
    int32_t stride = 0;  // bytes per row
};

// Bytes a surface of that size needs; 0 for empty or unreasonable sizes.
inline std::size_t SurfaceBytes(SSize size)
{
    constexpr int32_t kMaxSide = 32767;  // beyond any screen; keeps the product far from overflow
    if (size.width < 1 || size.height < 1 || size.width > kMaxSide || size.height > kMaxSide)
        return 0;
    return std::size_t(size.width) * std::size_t(size.height) * 4;
}

}  // namespace zt::ge
