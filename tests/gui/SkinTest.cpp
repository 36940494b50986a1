// The generated skin as the editor will find it in the library.
#include <gtest/gtest.h>

#include "gui/toolkit/ResourceManager.h"
#include "resources/EmbeddedSkin.h"
#include "resources/SkinIds.h"

namespace zt::ge {
namespace {

using namespace quillstrip::skin;

class SkinTest : public ::testing::Test {
protected:
    SkinTest() : resources(GetEmbeddedResourceFile(), GetEmbeddedResourceFileSize()) {}
    SSize FrameSize(int id, int frames)
    {
        IBitmapResource* bitmap = resources.GetBitmap(id);
        if (!bitmap)
            return {};
        const SSize size = bitmap->GetFrame(0, frames).size;
        const bool even = bitmap->GetHeight() % frames == 0;
        bitmap->Release();
        return even ? size : SSize{};
    }
    CResourceManager resources;
};

TEST_F(SkinTest, EveryIdExistsWithItsKindAndDecodes)
{
    const auto& entries = resources.GetEntries();
    ASSERT_EQ(entries.size(), 115u);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const int id = int(kFirstId + i);
        ASSERT_EQ(entries[i].id, id);
        const bool font = id >= kFontSmall && id <= kFontTitle;
        EXPECT_EQ(entries[i].kind, font ? kResourceFont : kResourceBitmap) << id;
        if (font) {
            IFontResource* f = resources.GetFont(id, SColour::FromRGB(255, 255, 255));
            ASSERT_NE(f, nullptr);
            EXPECT_EQ(f->GetGlyphCount(), 95) << id;  // space to tilde
            EXPECT_GT(f->GetTextWidth("Threshold", 9), 30) << id;
            EXPECT_GT(f->GetMetric(0), 0);
            f->Release();
        } else {
            IBitmapResource* b = resources.GetBitmap(id);
            ASSERT_NE(b, nullptr);
            EXPECT_TRUE(b->IsDecoded()) << id;
            b->Release();
        }
    }
}

TEST_F(SkinTest, TheEditorsImagesHaveTheirSizes)
{
    EXPECT_EQ(FrameSize(kBackgroundLarge, 1), (SSize{780, 700}));
    EXPECT_EQ(FrameSize(kBackgroundGraphite, 1), (SSize{780, 700}));
    EXPECT_EQ(FrameSize(kBackgroundSlate, 1), (SSize{780, 700}));
    EXPECT_EQ(FrameSize(kBackground, 1), (SSize{780, 500}));
    EXPECT_EQ(FrameSize(kDisplayPanel, 1), (SSize{780, 276}));
    EXPECT_EQ(FrameSize(kEqDisplay, 1), (SSize{492, 141}));
    for (int id = kSelectLimiter; id <= kSelectCompressor; ++id)
        EXPECT_EQ(FrameSize(id, 2), (SSize{116, 26})) << id;
    EXPECT_EQ(FrameSize(kSectionOnOff, 2), (SSize{48, 26}));
    EXPECT_EQ(FrameSize(kKnobDelay, 127), (SSize{36, 36}));
    EXPECT_EQ(FrameSize(kClipLight, 2), (SSize{32, 11}));
    EXPECT_EQ(FrameSize(kSliderHandle, 1), (SSize{23, 18}));
    EXPECT_EQ(FrameSize(kStateRouting, 2), (SSize{68, 20}));
    EXPECT_EQ(FrameSize(kListBox, 1), (SSize{116, 20}));
    for (int id : {kMeterLevel, kMeterLevelSmall, kMeterReduction, kMeterReductionTall})
        EXPECT_NE(FrameSize(id, 1), SSize{}) << id;
}

}  // namespace
}  // namespace zt::ge
