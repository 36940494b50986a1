#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/ResourceTestSupport.h"
#include "foundation/Exception.h"
#include "gui/toolkit/Bitmap.h"
#include "gui/toolkit/OffscreenWindow.h"
#include "gui/toolkit/Pane.h"
#include "gui/toolkit/Text.h"

namespace zt::ge {
namespace {

using test::MakeFontStrip;
using test::MakeResourceFile;
using test::MakeTga;
using test::SolidTga;

// A picture where every pixel differs, so a flipped or shifted row shows.
SColour Pattern(int32_t x, int32_t y) { return SColour{uint8_t(x * 17), uint8_t(y * 29), uint8_t(x + y), 200}; }

bool DecodeTga(const std::vector<uint8_t>& bytes, tga::SImage& image)
{
    return tga::Decode(bytes.data(), bytes.size(), image);
}

TEST(TgaTest, AcceptedVariantsDecodeToTheSamePixels)
{
    tga::SImage top32, bottom32, bottom24, withId;
    ASSERT_TRUE(DecodeTga(MakeTga(5, 4, Pattern), top32));
    ASSERT_TRUE(DecodeTga(MakeTga(5, 4, Pattern, {32, false, {}}), bottom32));
    ASSERT_TRUE(DecodeTga(MakeTga(5, 4, Pattern, {24, false, {}}), bottom24));
    const std::vector<uint8_t> idFile = MakeTga(5, 4, Pattern, {32, true, {'Z'}});
    EXPECT_EQ(idFile[0], 1);
    EXPECT_EQ(idFile[19], Pattern(0, 0).b);  // the pixels start after the one-byte id
    ASSERT_TRUE(DecodeTga(idFile, withId));

    EXPECT_EQ(top32.bitsPerPixel, 32);
    EXPECT_EQ(bottom24.bitsPerPixel, 24);
    EXPECT_EQ(top32.pixels, bottom32.pixels);
    EXPECT_EQ(top32.pixels, withId.pixels);
    for (std::size_t i = 0; i < top32.pixels.size(); ++i)
        EXPECT_EQ(bottom24.pixels[i], i % 4 == 3 ? 0 : top32.pixels[i]) << "byte " << i;
}

TEST(TgaTest, RefusedVariantsAndDamagedFilesStayUndecoded)
{
    const std::vector<uint8_t> good = MakeTga(4, 3, Pattern);
    tga::SImage image;
    auto refused = [&](std::vector<uint8_t> bytes) { return !tga::Decode(bytes.data(), bytes.size(), image); };
    auto with = [&](std::size_t offset, uint8_t value) {
        std::vector<uint8_t> bytes = good;
        bytes[offset] = value;
        return bytes;
    };
    EXPECT_TRUE(refused(with(2, 10)));                 // run-length encoded
    EXPECT_TRUE(refused(with(2, 1)));                  // colour-mapped
    EXPECT_TRUE(refused(with(2, 3)));                  // grey
    EXPECT_TRUE(refused(with(16, 16)));                // 16 bits per pixel
    EXPECT_TRUE(refused(with(17, 0x30)));              // right to left
    EXPECT_TRUE(refused(with(good.size() - 5, 'x')));  // signature damaged
    EXPECT_TRUE(refused(with(13, 0xFF)));              // a width far beyond the data
    EXPECT_TRUE(refused(with(0, 255)));                // an image id that swallows the pixels
    EXPECT_TRUE(refused(with(12, 0)));                 // no columns
    EXPECT_TRUE(refused(with(14, 0)));                 // no rows
    for (std::size_t size = 0; size < good.size(); ++size)
        EXPECT_FALSE(tga::Decode(good.data(), size, image)) << "cut to " << size;
    EXPECT_FALSE(tga::Decode(nullptr, 100, image));
    EXPECT_TRUE(tga::Decode(good.data(), good.size(), image));
}

TEST(FontResourceTest, StripMarkersGiveGlyphsFromSpaceOn)
{
    std::vector<int32_t> widths(95);
    for (std::size_t i = 0; i < widths.size(); ++i)
        widths[i] = 3 + int32_t(i % 4);
    IFontResource* font = nullptr;
    const std::vector<uint8_t> file = MakeResourceFile({{1, kResourceFont, MakeFontStrip(widths)}});
    CResourceManager resources(file.data(), file.size());
    font = resources.GetFont(1, SColour::FromRGB(10, 20, 30));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->GetGlyphCount(), 95);
    EXPECT_EQ(font->GetGlyphWidth(' '), 3);
    EXPECT_EQ(font->GetGlyphWidth('~'), widths[94]);
    EXPECT_EQ(font->GetGlyphWidth(127), 0);
    EXPECT_EQ(font->GetGlyphWidth(31), 0);
    EXPECT_EQ(font->GetGlyphStart('!'), 3);
    EXPECT_EQ(font->GetGlyphOffset1('A'), 2);
    EXPECT_EQ(font->GetGlyphOffset2('A'), -3);
    EXPECT_EQ(font->GetMetric(0), 7);
    EXPECT_EQ(font->GetMetric(1), 12);
    EXPECT_EQ(font->GetLineHeight(), 12);
    EXPECT_EQ(font->GetTextWidth("!\x7F!", 3), 8);  // a character without a glyph adds nothing

    // Coverage went into the fourth byte, the colour into the other three.
    const SPixelView glyph = font->GetGlyph('!');
    ASSERT_NE(glyph.bits, nullptr);
    EXPECT_EQ(glyph.size.width, 4);
    const uint8_t* below = glyph.bits + glyph.stride;
    EXPECT_EQ(below[0], 30);
    EXPECT_EQ(below[2], 10);
    EXPECT_EQ(below[3], 255);
    EXPECT_EQ(glyph.bits[3], 0);
    font->Release();
}

TEST(FontResourceTest, TextBlendsItsColourByCoverage)
{
    const std::vector<uint8_t> file
        = MakeResourceFile({{1, kResourceFont, MakeFontStrip(std::vector<int32_t>(95, 4))}});
    CResourceManager resources(file.data(), file.size());
    COffscreenWindow window({40, 20});
    window.SetResourceManager(&resources);
    window.GetRootPane()->AddChild(new test::CProbeFill({0, 0, 40, 20}));
    auto* text = new CText({2, 2, 30, 10}, "AB");
    text->SetFont(1, SColour::FromRGB(200, 100, 0));
    window.GetRootPane()->AddChild(text);
    window.Paint();
    // Full coverage: (colour * 255) >> 8 + (black * 0) >> 8.
    EXPECT_EQ(window.GetPixel({3, 5}), (SColour{0, 99, 199, 255}));
    EXPECT_EQ(window.GetPixel({9, 5}), (SColour{0, 99, 199, 255}));
    EXPECT_EQ(window.GetPixel({10, 5}), test::CProbeFill::kColour);  // eight columns of text, no more
    EXPECT_EQ(window.GetPixel({3, 2}), test::CProbeFill::kColour);   // the strip's marker row covers nothing
}

TEST(ResourceManagerTest, UsersOfOneIdShareOneBitmap)
{
    const std::vector<uint8_t> file
        = MakeResourceFile({{1000, kResourceBitmap, SolidTga(2, 2, SColour::FromRGB(1, 2, 3))},
                            {1001, kResourceFont, MakeFontStrip({3, 4})}});
    CResourceManager resources(file.data(), file.size());
    COffscreenWindow window({20, 20});
    window.SetResourceManager(&resources);
    auto* a = new CBitmap({0, 0, 2, 2}, 1000);
    auto* b = new CBitmap({5, 5, 2, 2}, 1000);
    window.GetRootPane()->AddChild(a);
    window.GetRootPane()->AddChild(b);
    window.Paint();
    ASSERT_NE(a->GetBitmap(), nullptr);
    EXPECT_EQ(a->GetBitmap(), b->GetBitmap());
    EXPECT_EQ(a->GetBitmap()->GetRefCount(), 3);  // the cache and the two controls
    EXPECT_EQ(window.GetPixel({6, 6}), SColour::FromRGB(1, 2, 3));

    // Asked for as the wrong kind, or an id not listed: nothing.
    EXPECT_EQ(resources.GetFont(1000, {}), nullptr);
    EXPECT_EQ(resources.GetBitmap(1001), nullptr);
    EXPECT_EQ(resources.GetBitmap(4242), nullptr);
    EXPECT_EQ(resources.GetCachedCount(), 1u);
}

TEST(ResourceManagerTest, AFileWithoutTheListIsRefusedWithTheException)
{
    auto message = [](const std::vector<uint8_t>& bytes) -> std::string {
        try {
            CResourceManager resources(bytes.data(), bytes.size());
        } catch (IException* e) {
            std::string text = e->Description() ? e->Description() : "";
            e->Destroy();
            return text;
        }
        return "opened";
    };
    CChunkFileMemory other;
    uint32_t type = 1;
    other.Open(nullptr, 0, kChunkFileCreate, type, true);
    CChunkMemory data(resourcefile::kDataChunk);
    other.WriteChunk(data);
    EXPECT_EQ(message({other.GetData(), other.GetData() + other.GetSize()}), "Resource chunk list not found in file");
    EXPECT_EQ(message({}), "Resource chunk list not found in file");  // short files: see the cuts below
}

// Every resource file here is malformed in some way; none is read past its
// end, and the rules hold: without the list the exception, otherwise what
// is there loads, and a resource cut short stays undecoded.
TEST(ResourceManagerTest, DamagedFilesNeverReadPastTheirBytes)
{
    const std::vector<uint8_t> bitmapBytes = SolidTga(3, 3, SColour::FromRGB(9, 9, 9));
    const std::vector<uint8_t> good = MakeResourceFile({{1000, kResourceBitmap, bitmapBytes},
                                                        {1001, kResourceFont, MakeFontStrip({2, 3, 4})},
                                                        {1002, 7, SolidTga(1, 1, {})}});
    {
        CResourceManager resources(good.data(), good.size());
        EXPECT_EQ(resources.GetEntries().size(), 3u);
        EXPECT_EQ(resources.GetBitmap(1002), nullptr);  // an unknown kind is no resource
    }
    // "ZTCF", version, the list chunk's header: below that there is no list.
    const std::size_t listHeaderEnd = 16;
    const std::size_t bitmapEnd = 8 + (8 + 8 + 3 * 16) + 8 + bitmapBytes.size();
    for (std::size_t size = 0; size < good.size(); ++size) {
        // Its own allocation, so a read past the end is one past the memory.
        std::vector<uint8_t> cut(good.begin(), good.begin() + std::ptrdiff_t(size));
        bool thrown = false;
        try {
            CResourceManager resources(cut.data(), cut.size());
            IBitmapResource* bitmap = resources.GetBitmap(1000);
            EXPECT_EQ(bitmap && bitmap->IsDecoded(), size >= bitmapEnd) << "cut to " << size;
            if (bitmap)
                bitmap->Release();
            if (IFontResource* font = resources.GetFont(1001, {}))
                font->Release();
        } catch (IException* e) {
            thrown = true;
            e->Destroy();
        }
        EXPECT_EQ(thrown, size < listHeaderEnd) << "cut to " << size;
    }

    // An offset beyond the data, a size shorter than the file it stands for,
    // and a count that claims more entries than there are.
    std::vector<uint8_t> lying = good;
    const std::size_t list = 8 + 8;  // the list chunk's contents
    const uint32_t hugeCount = 1000000, offset = 0xFFFFFF00, shortSize = 40;
    std::memcpy(&lying[list + 4], &hugeCount, 4);
    std::memcpy(&lying[list + 8 + 8], &offset, 4);
    std::memcpy(&lying[list + 8 + 16 + 12], &shortSize, 4);
    CResourceManager resources(lying.data(), lying.size());
    EXPECT_EQ(resources.GetEntries().size(), 3u);
    IBitmapResource* bitmap = resources.GetBitmap(1000);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_FALSE(bitmap->IsDecoded());
    EXPECT_EQ(bitmap->GetFrame(0, 1).bits, nullptr);
    bitmap->Release();
    IFontResource* font = resources.GetFont(1001, {});
    ASSERT_NE(font, nullptr);
    EXPECT_FALSE(font->IsDecoded());
    EXPECT_EQ(font->GetTextWidth("abc", 3), 0);
    font->Release();
}

TEST(ResourceManagerTest, AnUndecodedBitmapDrawsNothing)
{
    std::vector<uint8_t> rle = SolidTga(4, 4, SColour::FromRGB(255, 0, 0));
    rle[2] = 10;
    const std::vector<uint8_t> file = MakeResourceFile({{5, kResourceBitmap, rle}});
    CResourceManager resources(file.data(), file.size());
    COffscreenWindow window({10, 10});
    window.SetResourceManager(&resources);
    window.GetRootPane()->AddChild(new CBitmap({0, 0, 10, 10}, -1));
    window.GetRootPane()->AddChild(new test::CProbeFill({0, 0, 10, 10}));
    auto* picture = new CBitmap({2, 2, 4, 4}, 5);
    window.GetRootPane()->AddChild(picture);
    window.Paint();
    EXPECT_EQ(window.GetPixel({3, 3}), test::CProbeFill::kColour);
    ASSERT_NE(picture->GetBitmap(), nullptr);
    EXPECT_FALSE(picture->GetBitmap()->IsDecoded());
}

}  // namespace
}  // namespace zt::ge
