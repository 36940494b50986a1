#pragma once

#include <cstdint>
#include <vector>

#include "gui/native/DC.h"
#include "gui/toolkit/Resource.h"

namespace zt::ge {

class IDrawPrimitives;

// A skin image, decoded from its TGA file into the surface format (32 bits,
// rows top down, stride width * 4). Images with several frames (knob film
// strips, button states) hold them one below the other.
class IBitmapResource : public virtual IResource {
public:
    virtual int32_t GetWidth() const = 0;  // 0 while undecoded
    virtual int32_t GetHeight() const = 0;
    virtual int32_t GetBitsPerPixel() const = 0;  // of the source: 24 or 32
    virtual int32_t GetStride() const = 0;
    virtual const uint8_t* GetPixels() const = 0;  // null while undecoded
    // True when every pixel covers what lies beneath: a 24-bit source, or a
    // 32-bit one whose fourth bytes are all 255. Such images are copied, the
    // others blended by their fourth byte.
    virtual bool IsOpaque() const = 0;
    virtual SPixelView GetView() const = 0;
    // Frame index of frameCount equal frames stacked top to bottom; the
    // index is limited to the frames there are. Empty while undecoded.
    virtual SPixelView GetFrame(int32_t index, int32_t frameCount) const = 0;
    // Draws frame index of frameCount with its top-left at topLeft, inside clip.
    virtual void DrawFrame(IDrawPrimitives& primitives, int32_t index, int32_t frameCount, SPoint topLeft,
                           const SRect& clip) const = 0;
};

class CBitmapResource : public virtual IBitmapResource, public CResource {
public:
    CBitmapResource(int32_t id, std::vector<uint8_t> data);

    // Decodes the TGA bytes; on any refusal the bitmap stays undecoded and
    // draws nothing.
    bool Decode();

    int32_t GetWidth() const override;
    int32_t GetHeight() const override;
    int32_t GetBitsPerPixel() const override;
    int32_t GetStride() const override;
    const uint8_t* GetPixels() const override;
    bool IsOpaque() const override;
    SPixelView GetView() const override;
    SPixelView GetFrame(int32_t index, int32_t frameCount) const override;
    void DrawFrame(IDrawPrimitives& primitives, int32_t index, int32_t frameCount, SPoint topLeft,
                   const SRect& clip) const override;

protected:
    ~CBitmapResource() override;

private:
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t bitsPerPixel_ = 0;
    bool opaque_ = false;
    std::vector<uint8_t> pixels_;
};

}  // namespace zt::ge
