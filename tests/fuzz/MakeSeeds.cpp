// Writes the seed corpus (tests/fuzz/corpus/<target>/) with the project's own writers:
//   fuzz_make_seeds <corpus folder>
#include "FuzzSupport.h"
#include "PlugInSupport.h"

#include "foundation/ChunkFileMemory.h"
#include "framework/ztpi/SetChunk.h"
#include "tests/support/ResourceTestSupport.h"

#include <filesystem>

namespace {

std::string g_root;

void Seed(const std::string& target, const std::string& name, const std::vector<uint8_t>& bytes)
{
    std::filesystem::create_directories(g_root + "/" + target);
    zt::test::WriteBytes(g_root + "/" + target + "/" + name, bytes);
}

void Seed(const std::string& target, const std::string& name, const std::string& text)
{
    Seed(target, name, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> Bytes(zt::CChunkFileMemory& file) { return {file.GetData(), file.GetData() + file.GetSize()}; }

}  // namespace

int main(int argc, char** argv)
{
    using namespace qs::fuzz;
    if (argc != 2)
        return 2;
    g_root = argv[1];

    // Chunk files: two chunks, one repeated id, and one cut short.
    {
        zt::CChunkFileMemory file;
        uint32_t type = 7;
        file.Open(nullptr, 0, zt::kChunkFileCreate, type, true);
        for (uint32_t id : {0x41414141u, 0x42424242u, 0x41414141u}) {
            zt::CChunkMemory chunk(id);
            chunk.Write("chunk", 5);
            file.WriteChunk(chunk);
        }
        std::vector<uint8_t> bytes = Bytes(file);
        Seed("fuzz_chunk_file", "three-chunks", bytes);
        bytes.resize(bytes.size() - 3);
        Seed("fuzz_chunk_file", "cut-short", bytes);
        Seed("fuzz_chunk_file", "header-only", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 8));
    }

    // The plug-in's state and a preset, at defaults and with a few values moved.
    Reset();
    auto& p = Plug().plugIn();
    auto& pm = Plug().parameters();
    auto preset = [&] {
        zt::CChunkFileMemory file;
        uint32_t type = zt::ztpi::CBasePlugIn::kPresetFileType;
        file.Open(nullptr, 0, zt::kChunkFileCreate, type, true);
        zt::ztpi::WriteSetChunk(file, pm, quillstrip::kSetProcessing);
        return Bytes(file);
    };
    Seed("fuzz_plugin_state", "defaults", State());
    Seed("fuzz_vst3_state", "processor-defaults", State());
    Seed("fuzz_preset", "defaults", preset());
    for (int32_t i = 0; i < p.GetNumParameters(); i += 9) {
        zt::ztpi::SAutomationInfo info;
        p.GetAutomationInfo(i, &info);
        p.SetParameter(i, info.maximum);
    }
    Seed("fuzz_plugin_state", "moved", State());
    Seed("fuzz_vst3_state", "processor-moved", State());
    Seed("fuzz_preset", "moved", preset());

    // Preferences: the file the plug-in writes on first use, and small hand-made ones.
    Seed("fuzz_preferences", "written", zt::test::ReadBytes(Home().Sub("Documents/Kelmora/Quillstrip Small.xml")));
    Seed("fuzz_preferences", "two-keys",
         "<?xml version=\"1.0\" ?>\n<Preferences>\n  <Hue>0.25</Hue>\n  <KnobMode>1</KnobMode>\n</Preferences>\n");
    Seed("fuzz_preferences", "nested", "<a><b><c><Hue>x</Hue></c></b></a>");

    // Images and resource files.
    using namespace zt::ge;
    const auto checker = [](int32_t x, int32_t y) { return (x + y) % 2 ? SColour::FromRGB(255, 0, 0) : SColour{}; };
    tga::SEncodeOptions bottomUp24;
    bottomUp24.bitsPerPixel = 24;
    bottomUp24.topDown = false;
    Seed("fuzz_tga", "2x2-32", test::MakeTga(2, 2, checker));
    Seed("fuzz_tga", "3x1-24-bottom-up", test::MakeTga(3, 1, checker, bottomUp24));
    Seed("fuzz_resources", "bitmap-and-font",
         test::MakeResourceFile(
             {{1, kResourceBitmap, test::MakeTga(4, 3, checker)}, {2, kResourceFont, test::MakeFontStrip({2, 3, 2})}}));
    Seed("fuzz_resources", "bitmap", test::MakeResourceFile({{5, kResourceBitmap, test::MakeTga(1, 1, checker)}}));

    // Typed values: the first byte picks the parameter.
    Seed("fuzz_typed_value", "gain", std::string("\x02-6.5 dB"));
    Seed("fuzz_typed_value", "list", std::string("\x00On", 3));
    Seed("fuzz_typed_value", "thousands", std::string("\x10 2.5K Hz "));
    Seed("fuzz_typed_value", "minus-inf", std::string("\x05-Inf"));
    // The controller's state: a byte-order flag and 128 UTF-16 units, in either order.
    for (uint8_t flag : {0, 1}) {
        std::vector<uint8_t> controller(257, 0);
        controller[0] = flag;
        const std::string text = "Kick bus";
        for (size_t i = 0; i < text.size(); ++i)
            controller[1 + 2 * i + flag] = static_cast<uint8_t>(text[i]);
        Seed("fuzz_vst3_state", flag ? "controller-swapped" : "controller", controller);
    }

    // The renderer's command line, one argument per line.
    Seed("fuzz_render_options", "settings", "--set\nInput Gain=-6.0\n--set\nEQ Band 3 Type=Bell\nin.wav");
    Seed("fuzz_render_options", "automation",
         "--automate\nComp Threshold=-20@0,-30@1.5,-10@.25\n--block\n256\n--rate\n44100\nsong");
    Seed("fuzz_render_options", "files",
         "--plugin\nQ.vst3\n--state-in\ns\n--state-out\nt\n--sidechain\nkey.flac\n--no-compensate\n"
         "--force\n--block\nrandom\nmy.dir/song");
    Seed("fuzz_render_options", "refused", "--block\n12abc\n--automate\nBypass=On@1e30");
    return 0;
}
