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
    m_width = image.width;
    m_height = image.height;
    m_bitsPerPixel = image.bitsPerPixel;
    m_pixels = std::move(image.pixels);
    m_opaque = m_bitsPerPixel == 24;
    if (!m_opaque) {
        m_opaque = true;
        for (std::size_t i = 3; i < m_pixels.size(); i += 4)
            if (m_pixels[i] != 255) {
                m_opaque = false;
                break;
            }
    }
    MarkDecoded();
    return true;
}

int32_t CBitmapResource::GetWidth() const { return m_width; }
int32_t CBitmapResource::GetHeight() const { return m_height; }
int32_t CBitmapResource::GetBitsPerPixel() const { return m_bitsPerPixel; }
int32_t CBitmapResource::GetStride() const { return m_width * 4; }
const uint8_t* CBitmapResource::GetPixels() const { return m_pixels.empty() ? nullptr : m_pixels.data(); }
bool CBitmapResource::IsOpaque() const { return m_opaque; }

SPixelView CBitmapResource::GetView() const { return {GetPixels(), {m_width, m_height}, GetStride()}; }

SPixelView CBitmapResource::GetFrame(int32_t index, int32_t frameCount) const
{
    if (!GetPixels() || frameCount < 1 || m_height < frameCount)
        return {};
    const int32_t frameHeight = m_height / frameCount;
    index = std::clamp(index, 0, frameCount - 1);
    return {GetPixels() + std::size_t(index) * std::size_t(frameHeight) * std::size_t(GetStride()),
            {m_width, frameHeight},
            GetStride()};
}

void CBitmapResource::DrawFrame(IDrawPrimitives& primitives, int32_t index, int32_t frameCount, SPoint topLeft,
                                const SRect& clip) const
{
    const SPixelView frame = GetFrame(index, frameCount);
    if (!frame.bits)
        return;
    if (m_opaque)
        primitives.CopyPixels(frame, topLeft, clip);
    else
        primitives.BlendPixels(frame, topLeft, clip);
}

}  // namespace zt::ge
