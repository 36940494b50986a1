// TGA images: a refused image leaves the output as it was, an accepted one holds
// exactly its pixels, no more than the data could carry, and encodes back to itself.
#include "FuzzSupport.h"

#include "gui/toolkit/Tga.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace qs::fuzz;
    namespace tga = zt::ge::tga;
    tga::SImage image;
    image.width = -7;
    image.pixels = {1, 2, 3};
    bool decoded;
    {
        // 24-bit pixels gain a fourth byte: at most a third more than the data.
        CAllocationBound bound(size + size / 3 + 64);
        decoded = tga::Decode(data, size, image);
    }
    if (!decoded) {
        Require(image.width == -7 && image.pixels == std::vector<uint8_t>({1, 2, 3}), "a refused image is untouched");
        return 0;
    }
    Require(image.width > 0 && image.height > 0, "a positive size");
    Require(image.bitsPerPixel == 24 || image.bitsPerPixel == 32, "24 or 32 bits");
    const size_t pixels = size_t(image.width) * size_t(image.height);
    Require(image.pixels.size() == pixels * 4, "four bytes a pixel");
    Require(pixels * size_t(image.bitsPerPixel / 8) + tga::kHeaderSize + tga::kFooterSize <= size,
            "no more pixels than the data holds");

    tga::SEncodeOptions options;
    options.bitsPerPixel = image.bitsPerPixel;
    const std::vector<uint8_t> encoded = tga::Encode(image.pixels.data(), image.width, image.height, options);
    tga::SImage again;
    Require(tga::Decode(encoded.data(), encoded.size(), again), "the encoded image decodes");
    Require(again.width == image.width && again.height == image.height && again.pixels == image.pixels,
            "and holds the same pixels");
    return 0;
}
