#include "gui/toolkit/Tga.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace zt::ge::tga {
namespace {

constexpr char kSignature[] = "TRUEVISION-XFILE.";  // and its terminating zero: 18 bytes
constexpr std::size_t kSignatureSize = sizeof kSignature;

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
void PutU16(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

}  // namespace

bool Decode(const uint8_t* data, std::size_t size, SImage& image)
{
    if (!data || size < kHeaderSize + kFooterSize)
        return false;
    if (std::memcmp(data + size - kSignatureSize, kSignature, kSignatureSize) != 0)
        return false;
    if (data[2] != kTypeTrueColour)
        return false;
    const int32_t depth = data[16];
    if (depth != 24 && depth != 32)
        return false;
    const uint8_t descriptor = data[17];
    if (descriptor & kDescriptorRightToLeft)
        return false;
    const bool topDown = (descriptor & kDescriptorTopDown) != 0;
    const int32_t width = U16(data + 12), height = U16(data + 14);
    if (width == 0 || height == 0)
        return false;  // nothing to draw, and the encoder never writes it
    const std::size_t start = kHeaderSize + data[0];
    const std::size_t sourceStride = std::size_t(width) * std::size_t(depth / 8);
    // The pixels must lie between the header (and image id) and the footer;
    // a header that promises more than the file holds is refused, not read past.
    const std::size_t available = size - kFooterSize;
    if (start > available || sourceStride * std::size_t(height) > available - start)
        return false;

    SImage decoded;
    decoded.width = width;
    decoded.height = height;
    decoded.bitsPerPixel = depth;
    decoded.pixels.resize(std::size_t(width) * std::size_t(height) * 4);
    for (int32_t row = 0; row < height; ++row) {
        const int32_t sourceRow = topDown ? row : height - 1 - row;
        const uint8_t* s = data + start + std::size_t(sourceRow) * sourceStride;
        uint8_t* d = decoded.pixels.data() + std::size_t(row) * std::size_t(width) * 4;
        if (depth == 32) {
            std::memcpy(d, s, sourceStride);
            continue;
        }
        for (int32_t x = 0; x < width; ++x, s += 3, d += 4) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
            d[3] = 0;
        }
    }
    image = std::move(decoded);
    return true;
}

std::vector<uint8_t> Encode(const uint8_t* pixels, int32_t width, int32_t height, const SEncodeOptions& options)
{
    if (!pixels || width < 1 || height < 1 || width > 65535 || height > 65535)
        return {};
    if (options.bitsPerPixel != 24 && options.bitsPerPixel != 32)
        return {};
    const std::size_t idLength = std::min<std::size_t>(options.imageId.size(), 255);
    const std::size_t bytesPerPixel = std::size_t(options.bitsPerPixel / 8);
    const std::size_t stride = std::size_t(width) * bytesPerPixel;
    std::vector<uint8_t> out(kHeaderSize + idLength + stride * std::size_t(height) + kFooterSize, 0);
    uint8_t* h = out.data();
    h[0] = uint8_t(idLength);
    h[2] = kTypeTrueColour;
    PutU16(h + 12, uint32_t(width));
    PutU16(h + 14, uint32_t(height));
    h[16] = uint8_t(options.bitsPerPixel);
    h[17] = uint8_t((options.topDown ? kDescriptorTopDown : 0) | (options.bitsPerPixel == 32 ? 8 : 0));
    if (idLength)
        std::memcpy(h + kHeaderSize, options.imageId.data(), idLength);
    uint8_t* body = h + kHeaderSize + idLength;
    for (int32_t row = 0; row < height; ++row) {
        const int32_t storedRow = options.topDown ? row : height - 1 - row;
        const uint8_t* s = pixels + std::size_t(row) * std::size_t(width) * 4;
        uint8_t* d = body + std::size_t(storedRow) * stride;
        for (int32_t x = 0; x < width; ++x, s += 4, d += bytesPerPixel)
            std::memcpy(d, s, bytesPerPixel);
    }
    // Footer: no extension area, no developer directory, then the signature.
    std::memcpy(out.data() + out.size() - kSignatureSize, kSignature, kSignatureSize);
    return out;
}

}  // namespace zt::ge::tga
