#include "gui/toolkit/PngWriter.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

namespace zt::ge {
namespace {

// libpng reports errors by longjmp, so everything here is plain data: no
// destructor may be skipped on the way out.
bool Encode(std::FILE* file, png_bytep* rows, SSize size)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(size.width), png_uint_32(size.height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);                          // our pixels are blue, green, red ...
    png_set_filler(png, 0, PNG_FILLER_AFTER);  // ... and a fourth byte to drop
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool WritePng(const IDC& surface, const std::string& path)
{
    const SSize size = surface.GetSize();
    const uint8_t* bits = surface.GetBits();
    if (!bits || size.width < 1 || size.height < 1)
        return false;
    std::vector<png_bytep> rows(std::size_t(size.height));
    for (int32_t y = 0; y < size.height; ++y)
        rows[std::size_t(y)] = const_cast<png_bytep>(bits + std::size_t(y) * std::size_t(surface.GetStride()));
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool encoded = Encode(file, rows.data(), size);
    const bool closed = std::fclose(file) == 0;
    if (!(encoded && closed))
        std::remove(path.c_str());
    return encoded && closed;
}

}  // namespace zt::ge
