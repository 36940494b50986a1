#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zt::ge {

// Truevision TGA (version 2.0, with its footer), the one image format of the
// resource file. Only uncompressed true-colour images of 24 or 32 bits are
// accepted; everything else is refused rather than guessed at.
namespace tga {

constexpr std::size_t kHeaderSize = 18;
constexpr std::size_t kFooterSize = 26;
constexpr uint8_t kTypeTrueColour = 2;
constexpr uint8_t kDescriptorRightToLeft = 0x10;
constexpr uint8_t kDescriptorTopDown = 0x20;

// Pixels in the surface format: blue, green, red, fourth byte; rows top
// down, width * 4 bytes each.
struct SImage {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitsPerPixel = 0;  // of the source: 24 or 32
    std::vector<uint8_t> pixels;
};

// Decodes data (size bytes). False, with image untouched, when the data is
// too short, lacks the footer signature, is not an uncompressed true-colour
// image of 24 or 32 bits, is empty, is stored right to left, or holds fewer pixel
// bytes than its header promises. 24-bit pixels get a fourth byte of 0;
// 32-bit pixels keep theirs. The alpha-bit count of the descriptor is ignored.
bool Decode(const uint8_t* data, std::size_t size, SImage& image);

struct SEncodeOptions {
    int32_t bitsPerPixel = 32;     // 24 drops the fourth byte
    bool topDown = true;           // otherwise rows are stored bottom up
    std::vector<uint8_t> imageId;  // at most 255 bytes
};

// Encodes pixels (surface format, width * 4 bytes per row) as a TGA file
// with the footer. Empty for sizes a TGA cannot hold (0 or above 65535).
std::vector<uint8_t> Encode(const uint8_t* pixels, int32_t width, int32_t height, const SEncodeOptions& options);

}  // namespace tga
}  // namespace zt::ge
