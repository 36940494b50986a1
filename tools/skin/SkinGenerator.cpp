// Draws the editor's skin and writes it as one resource file: every image
// and font strip as a TGA file, listed by id. The build runs it and embeds
// the result; run it by hand with --tga-dir to look at the images.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "Art.h"
#include "Fonts.h"
#include "gui/toolkit/ResourceManager.h"
#include "gui/toolkit/Tga.h"
#include "resources/SkinIds.h"

namespace {

using namespace skin;
using namespace quillstrip::skin;
using zt::ge::kResourceBitmap;
using zt::ge::kResourceFont;

// How an image is stored. Most are 32-bit top-down; the opaque backgrounds
// save a quarter as 24 bits; a few are stored bottom up or carry an image
// id, as image tools leave them.
enum class EStore { kTop32, kBottom32, kBottom24, kTop32WithId };

struct SEntry {
    int id;
    uint32_t kind;
    EStore store;
    std::function<SImage()> draw;
};

std::vector<uint8_t> Encode(const SImage& image, EStore store)
{
    zt::ge::tga::SEncodeOptions options;
    options.bitsPerPixel = store == EStore::kBottom24 ? 24 : 32;
    options.topDown = store == EStore::kTop32 || store == EStore::kTop32WithId;
    if (store == EStore::kTop32WithId)
        options.imageId = {'Q'};
    return zt::ge::tga::Encode(image.pixels.data(), image.width, image.height, options);
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

std::vector<SEntry> Table(const CArt& art, const CFonts& fonts)
{
    auto font = [](cairo_font_face_t* face, double size) {
        return [face, size] {
            SImage image;
            image.pixels = RenderFontStrip(face, size, image.width, image.height);
            return image;
        };
    };
    const EStore top = EStore::kTop32;
    std::vector<SEntry> t = {
        {kFontSmall, kResourceFont, top, font(fonts.Condensed(), 10)},
        {kFontLabel, kResourceFont, top, font(fonts.CondensedBold(), 10)},
        {kFontMenu, kResourceFont, top, font(fonts.Sans(), 12)},
        {kFontTitle, kResourceFont, top, font(fonts.SansBold(), 13)},
        {kBackgroundLarge, kResourceBitmap, EStore::kBottom24, [&] { return art.Background(780, 700, 0); }},
        {kBackground, kResourceBitmap, EStore::kBottom24, [&] { return art.Background(780, 500, 0); }},
        {kSelectLimiter, kResourceBitmap, top, [&] { return art.SectionSelector("LIMITER"); }},
        {kSelectGate, kResourceBitmap, top, [&] { return art.SectionSelector("GATE"); }},
        {kSelectStereo, kResourceBitmap, top, [&] { return art.SectionSelector("STEREO"); }},
        {kSelectSaturation, kResourceBitmap, top, [&] { return art.SectionSelector("SATURATION"); }},
        {kSelectCompressor, kResourceBitmap, top, [&] { return art.SectionSelector("COMPRESSOR"); }},
        {kPanelGate, kResourceBitmap, EStore::kBottom32, [&] { return art.SectionPanel(kSectionWellWidth, 210, "GATE"); }},
        {kPanelCompressor, kResourceBitmap, EStore::kBottom32,
         [&] { return art.SectionPanel(kSectionWellWidth, 210, "COMPRESSOR"); }},
        {kPanelStereo, kResourceBitmap, EStore::kBottom32, [&] { return art.SectionPanel(kSectionWellWidth, 210, "STEREO WIDTH"); }},
        {kPanelSaturation, kResourceBitmap, EStore::kBottom32,
         [&] { return art.SectionPanel(kSectionWellWidth, 210, "SATURATION"); }},
        {kPanelLimiter, kResourceBitmap, EStore::kBottom32, [&] { return art.SectionPanel(kSectionWellWidth, 210, "LIMITER"); }},
        {kPanelEqBand, kResourceBitmap, top, [&] { return art.BandPanel(80, 92); }},
        {kAboutBox, kResourceBitmap, top, [&] { return art.AboutBox(360, 220); }},
        {kKnobDelay, kResourceBitmap, top, [&] { return art.KnobStrip(36, false); }},
        {kKnobLarge, kResourceBitmap, top, [&] { return art.KnobStrip(44, false); }},
        {kKnobSmall, kResourceBitmap, top, [&] { return art.KnobStrip(30, false); }},
        {kKnobLargeBipolar, kResourceBitmap, top, [&] { return art.KnobStrip(44, true); }},
        {kKnobSmallBipolar, kResourceBitmap, top, [&] { return art.KnobStrip(30, true); }},
        {kKnobTiny, kResourceBitmap, top, [&] { return art.KnobStrip(24, false); }},
        {kKnobTinyBipolar, kResourceBitmap, top, [&] { return art.KnobStrip(24, true); }},
        {kToggleSoloSmall, kResourceBitmap, top, [&] { return art.TextButton(18, 18, "S", false); }},
        {kToggleSolo, kResourceBitmap, top, [&] { return art.TextButton(40, 18, "SOLO", false); }},
        {kToggleListen, kResourceBitmap, top, [&] { return art.TextButton(48, 18, "LISTEN", false); }},
        {kToggleKey, kResourceBitmap, top, [&] { return art.TextButton(40, 18, "KEY", true); }},
        {kToggleBand, kResourceBitmap, top, [&] { return art.RoundToggle(18); }},
        {kButtonLoad, kResourceBitmap, top, [&] { return art.TextButton(44, 18, "LOAD", false); }},
        {kButtonReset, kResourceBitmap, top, [&] { return art.TextButton(44, 18, "RESET", false); }},
        {kListBox, kResourceBitmap, top, [&] { return art.ListBox(116, 20); }},
        {kListBoxSmall, kResourceBitmap, top, [&] { return art.ListBox(80, 16); }},
        {kSectionOnOff, kResourceBitmap, top, [&] { return art.OnOffButton(); }},
        {kStateDetection, kResourceBitmap, top,
         [&] {
             return art.MultiState(64, 18, {"PEAK", "POWER", "C-165"});
         }},
        {kStateStereoMode, kResourceBitmap, top,
         [&] {
             return art.MultiState(64, 18, {"MONO", "STEREO", "M/S"});
         }},
        {kStateCompType, kResourceBitmap, top,
         [&] {
             return art.MultiState(64, 18, {"TYPE 1", "TYPE 2"});
         }},
        {kStateSatMode, kResourceBitmap, top,
         [&] {
             return art.MultiState(64, 18, {"MODE 1", "MODE 2", "MODE 3"});
         }},
        {kStateKeyInput, kResourceBitmap, top,
         [&] {
             return art.MultiState(40, 18, {"INT", "EXT"});
         }},
        {kSettingsBackdrop, kResourceBitmap, top, [&] { return art.SettingsBackdrop(780, 500); }},
        {kButtonClose, kResourceBitmap, top, [&] { return art.CloseButton(18); }},
        {kScrollTrack, kResourceBitmap, top, [&] { return art.ScrollTrack(12, 64); }},
        {kScrollThumb, kResourceBitmap, top, [&] { return art.ScrollThumb(12, 24); }},
        {kLogo, kResourceBitmap, EStore::kTop32WithId, [&] { return art.Logo(120, 24); }},
        {kToggleAuto, kResourceBitmap, top, [&] { return art.TextButton(44, 18, "AUTO", true); }},
        {kFaderCap, kResourceBitmap, top, [&] { return art.FaderCap(26, 14); }},
        {kStateFftSize, kResourceBitmap, top,
         [&] {
             return art.MultiState(56, 18, {"SLOW", "MID", "FAST"});
         }},
        {kButtonPhase, kResourceBitmap, top, [&] { return art.TextButton(36, 20, "\xC3\x98", false); }},
        {kButtonOversample, kResourceBitmap, top, [&] { return art.TextButton(48, 20, "2x OS", true); }},
        {kButtonRouting, kResourceBitmap, top, [&] { return art.RoutingButton(22); }},
        {kStateRouting, kResourceBitmap, top,
         [&] {
             return art.MultiState(68, 20, {"EQ > DYN", "DYN > EQ"});
         }},
        {kSourceIn, kResourceBitmap, top, [&] { return art.TextButton(28, 20, "IN", false); }},
        {kSourceOut, kResourceBitmap, top, [&] { return art.TextButton(28, 20, "OUT", false); }},
        {kSourceOff, kResourceBitmap, top, [&] { return art.TextButton(28, 20, "OFF", false); }},
        {kButtonFreeze, kResourceBitmap, top, [&] { return art.TextButton(56, 18, "FREEZE", false); }},
        {kDisplayPanel, kResourceBitmap, EStore::kBottom24, [&] { return art.DisplayPanel(780, 276); }},
        {kMenuButton, kResourceBitmap, top, [&] { return art.MenuButton(88, 22); }},
        {kBackgroundGraphite, kResourceBitmap, EStore::kBottom24, [&] { return art.Background(780, 700, 1); }},
        {kMeterLevel, kResourceBitmap, top, [&] { return art.LevelMeter(8, 200, true); }},
        {kMeterLevelSmall, kResourceBitmap, top, [&] { return art.LevelMeter(140, 8, false); }},
        {kClipLight, kResourceBitmap, top, [&] { return art.Light(32, 11, "CLIP", 1.0, 0.26, 0.26); }},
        {kMeterReduction, kResourceBitmap, top, [&] { return art.ReductionMeter(140, 8, false); }},
        {kMeterReductionTall, kResourceBitmap, top, [&] { return art.ReductionMeter(8, 120, true); }},
        {kLimitLight, kResourceBitmap, top, [&] { return art.Light(32, 11, "LIMIT", 1.0, 0.7, 0.25); }},
        {kBackgroundSlate, kResourceBitmap, EStore::kBottom24, [&] { return art.Background(780, 700, 2); }},
        {kSliderHandle, kResourceBitmap, top, [&] { return art.SliderHandle(23, 18); }},
        {kEqDisplay, kResourceBitmap, EStore::kTop32WithId, [&] { return art.EqDisplay(492, 141); }},
    };
    for (int band = 1; band <= 6; ++band)
        t.push_back({kEqHandle1 + band - 1, kResourceBitmap, top, [&art, band] { return art.EqHandle(14, band); }});
    return t;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string output, tgaFolder, fontFolder = "/usr/share/fonts/truetype/dejavu";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--tga-dir" && i + 1 < argc) {
            tgaFolder = argv[++i];
        } else if (arg == "--fonts" && i + 1 < argc) {
            fontFolder = argv[++i];
        } else if (!arg.empty() && arg[0] != '-' && output.empty()) {
            output = arg;
        } else {
            std::fprintf(stderr, "usage: %s OUTPUT [--fonts DEJAVU_FOLDER] [--tga-dir FOLDER]\n", argv[0]);
            return 2;
        }
    }
    if (output.empty()) {
        std::fprintf(stderr, "usage: %s OUTPUT [--fonts DEJAVU_FOLDER] [--tga-dir FOLDER]\n", argv[0]);
        return 2;
    }
    CFonts fonts;
    std::string error;
    if (!fonts.Load(fontFolder, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const CArt art(fonts);
    std::vector<SEntry> table = Table(art, fonts);

    zt::ge::CResourceFileWriter writer;
    for (int id = kFirstId; id <= kLastId; ++id) {
        const SEntry* entry = nullptr;
        for (const SEntry& e : table)
            if (e.id == id)
                entry = &e;
        // Ids the editor does not draw still exist, as small bitmaps.
        const SImage image = entry ? entry->draw() : art.Placeholder();
        const std::vector<uint8_t> tga = Encode(image, entry ? entry->store : EStore::kTop32);
        if (tga.empty()) {
            std::fprintf(stderr, "resource %d: %dx%d cannot be a TGA file\n", id, image.width, image.height);
            return 1;
        }
        writer.Add(id, entry ? entry->kind : kResourceBitmap, tga);
        if (!tgaFolder.empty() && !WriteFile(tgaFolder + "/" + std::to_string(id) + ".tga", tga)) {
            std::fprintf(stderr, "cannot write into %s\n", tgaFolder.c_str());
            return 1;
        }
    }
    if (!WriteFile(output, writer.Build())) {
        std::fprintf(stderr, "cannot write %s\n", output.c_str());
        return 1;
    }
    return 0;
}
