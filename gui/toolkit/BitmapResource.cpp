#include "gui/toolkit/BitmapResource.h"

#include <algorithm>
#include <utility>

#include "gui/toolkit/DrawPrimitives.h"
#include "gui/toolkit/Tga.h"

namespace zt::ge {

CBitmapResource::CBitmapResource(int32_t id, std::vector<uint8_t> data)
    : CResource(id, kResourceBitmap, std::move(data))
{}

CBitmapResource::~CBitmapResource() = default;

bool CBitmapResource::Decode()
{
    if (IsDecoded())
        return true;
    tga::SImage image;
    if (!tga::Decode(GetData(), GetSize(), image))
        return false;
    width_ = image.width;
    height_ = image.height;
    bitsPerPixel_ = image.bitsPerPixel;
    pixels_ = std::move(image.pixels);
    opaque_ = bitsPerPixel_ == 24;
    if (!opaque_) {
        opaque_ = true;
        for (std::size_t i = 3; i < pixels_.size(); i += 4)
            if (pixels_[i] != 255) {
                opaque_ = false;
                break;
            }
    }
    MarkDecoded();
    return true;
}

int32_t CBitmapResource::GetWidth() const { return width_; }
int32_t CBitmapResource::GetHeight() const { return height_; }
int32_t CBitmapResource::GetBitsPerPixel() const { return bitsPerPixel_; }
int32_t CBitmapResource::GetStride() const { return width_ * 4; }
const uint8_t* CBitmapResource::GetPixels() const { return pixels_.empty() ? nullptr : pixels_.data(); }
bool CBitmapResource::IsOpaque() const { return opaque_; }

SPixelView CBitmapResource::GetView() const { return {GetPixels(), {width_, height_}, GetStride()}; }

SPixelView CBitmapResource::GetFrame(int32_t index, int32_t frameCount) const
{
    if (!GetPixels() || frameCount < 1 || height_ < frameCount)
        return {};
    const int32_t frameHeight = height_ / frameCount;
    index = std::clamp(index, 0, frameCount - 1);
    return {GetPixels() + std::size_t(index) * std::size_t(frameHeight) * std::size_t(GetStride()),
            {width_, frameHeight},
            GetStride()};
}

void CBitmapResource::DrawFrame(IDrawPrimitives& primitives, int32_t index, int32_t frameCount, SPoint topLeft,
                                const SRect& clip) const
{
    const SPixelView frame = GetFrame(index, frameCount);
    if (!frame.bits)
        return;
    if (opaque_)
        primitives.CopyPixels(frame, topLeft, clip);
    else
        primitives.BlendPixels(frame, topLeft, clip);
}

}  // namespace zt::ge
