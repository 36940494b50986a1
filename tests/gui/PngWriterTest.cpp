#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "gui/toolkit/DrawPrimitives.h"
#include "gui/toolkit/MemoryDC.h"
#include "gui/toolkit/PngWriter.h"

namespace zt::ge {
namespace {

TEST(PngWriterTest, WritesThePixelsAsRgbThatLibpngReadsBack)
{
    CMemoryDC dc({3, 2});
    CDrawPrimitives draw(dc);
    const SRect all{0, 0, 3, 2};
    draw.FillRect(all, SColour::FromRGB(10, 20, 30), all);
    draw.FillRect({2, 1, 1, 1}, SColour::FromRGB(250, 128, 1), all);
    const std::string path = std::string(std::getenv("HOME")) + "/surface.png";
    ASSERT_TRUE(WritePng(dc, path));

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    EXPECT_EQ(image.width, 3u);
    EXPECT_EQ(image.height, 2u);
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    EXPECT_EQ((std::vector<uint8_t>(rgb.begin(), rgb.begin() + 3)), (std::vector<uint8_t>{10, 20, 30}));
    EXPECT_EQ((std::vector<uint8_t>(rgb.end() - 3, rgb.end())), (std::vector<uint8_t>{250, 128, 1}));
}

TEST(PngWriterTest, RefusesEmptySurfacesAndUnwritablePaths)
{
    CMemoryDC empty;
    EXPECT_FALSE(WritePng(empty, std::string(std::getenv("HOME")) + "/empty.png"));
    CMemoryDC dc({2, 2});
    EXPECT_FALSE(WritePng(dc, "/nonexistent-folder/x.png"));
}

}  // namespace
}  // namespace zt::ge
