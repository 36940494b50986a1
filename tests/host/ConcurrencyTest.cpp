// The plug-in driven as a busy host drives it: an audio thread processing without pause
// (side-chain active, automation arriving) while the UI thread sets every parameter,
// saves and loads the state, picks presets, switches oversampling and bypass, and the
// preference file changes under the reload timer. In the thread-sanitizer build this
// reports any race; in every build it must neither crash nor hang nor leave the output
// non-finite.
#include "QuillstripVersion.h"
#include "tests/support/PlugInHarness.h"
#include "tools/hosting/ParameterChanges.h"
#include "tools/hosting/Vst3Host.h"

#include "pluginterfaces/vst/ivstunits.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

TEST(Concurrency, AudioAndUiThreadsTogether)
{
    const std::string home = std::getenv("HOME");
    const std::string presets = home + "/.local/share/Kelmora/Quillstrip Pro/Presets/";
    std::filesystem::create_directories(presets);
    std::filesystem::copy_file(std::string(QS_PRESET_DIR) + "/Vocal.preset", presets + "Vocal.preset");
    std::filesystem::copy_file(std::string(QS_PRESET_DIR) + "/Loud Master.preset", presets + "Loud Master.preset");

    qs::hosting::CVst3Host host;
    ASSERT_TRUE(host.Load(QS_BUNDLE)) << host.error();
    ASSERT_TRUE(host.CreateInstance()) << host.error();
    ASSERT_TRUE(host.SetBuses(2, 2));
    ASSERT_TRUE(host.Setup(48000, 256));
    ASSERT_TRUE(host.SetActive(true));
    IEditController* controller = host.controller();
    const int32 automated = controller->getParameterCount() - 1;  // the program change last

    std::atomic<bool> stop{false};
    std::atomic<int> blocks{0};
    std::atomic<bool> finite{true};
    std::thread audio([&] {
        std::vector<float> l(256), r(256), sl(256), sr(256), ol(256), or_(256);
        float* in[2] = {l.data(), r.data()};
        float* side[2] = {sl.data(), sr.data()};
        float* out[2] = {ol.data(), or_.data()};
        uint32_t seed = 7;
        for (int block = 0; !stop.load(); ++block) {
            for (size_t i = 0; i < 256; ++i) {
                seed = seed * 1664525u + 1013904223u;
                l[i] = r[i] = sl[i] = sr[i] = 0.4f * static_cast<float>(static_cast<int32_t>(seed) / 2147483648.0);
            }
            qs::hosting::CParameterChanges changes;
            changes.Add(static_cast<ParamID>(block % automated), block % 256, (block % 7) / 6.0);
            host.Process(in, 2, side, 2, out, 2, 256, 0, &changes);
            for (size_t i = 0; i < 256; ++i)
                if (!std::isfinite(ol[i]) || !std::isfinite(or_[i]))
                    finite = false;
            blocks.fetch_add(1);
        }
    });

    auto* units = FUnknownPtr<IUnitInfo>(controller).getInterface();
    ASSERT_NE(units, nullptr);
    const std::string preferences = home + "/Documents/Kelmora/Quillstrip Small.xml";
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (int round = 0; std::chrono::steady_clock::now() < end; ++round) {
        for (int32 id = 0; id < automated; ++id)
            controller->setParamNormalized(static_cast<ParamID>(id), ((id + round) % 5) / 4.0);
        const std::vector<char> state = host.GetState();
        EXPECT_EQ(host.SetState(state), kResultOk);
        ProgramListInfo list{};
        units->getProgramListInfo(0, list);
        controller->setParamNormalized(static_cast<ParamID>(automated), round % 2);
        controller->setParamNormalized(1, round % 2);        // "Oversample Enable"
        controller->setParamNormalized(0, (round / 2) % 2);  // "Bypass"
        std::ofstream(preferences, std::ios::trunc)
            << "<?xml version=\"1.0\" ?><PreferenceManager><Hue>" << round % 90 << "</Hue></PreferenceManager>";
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    stop = true;
    audio.join();
    EXPECT_GT(blocks.load(), 10);
    EXPECT_TRUE(finite.load());
    host.SetActive(false);
}

// Preset files are saved and loaded by the editor on the plug-in object itself, which no
// VST 3 call reaches: the same audio thread (automation queued as the adapter queues it)
// against the UI thread saving and loading the preset, a section of it, and the state.
TEST(Concurrency, PresetFilesWhileProcessing)
{
    PlugInHarness h(48000, 2, 2);
    CQuillstripPlugIn& p = h.product();
    const std::string preset = p.GetPresetFolder() + "Mine.preset";
    EXPECT_FALSE(p.LoadPreset(preset));  // not there yet: it only becomes the current preset
    const int32_t automated = p.GetNumParameters();

    std::atomic<bool> stop{false};
    std::atomic<int> blocks{0};
    std::atomic<bool> finite{true};
    std::thread audio([&] {
        std::vector<std::vector<float>> in;
        for (uint32_t c = 0; c < 4; ++c)
            in.push_back(Noise(256, c + 1));
        std::vector<std::vector<float>> out(2, std::vector<float>(256));
        float* inPtr[4] = {in[0].data(), in[1].data(), in[2].data(), in[3].data()};
        float* outPtr[2] = {out[0].data(), out[1].data()};
        for (int block = 0; !stop.load(); ++block) {
            zt::ztpi::SAutomationInfo info;
            p.GetAutomationInfo(block % automated, &info);
            zt::ztpi::SEvent change;
            change.type = zt::ztpi::SEvent::kParameterChange;
            change.offset = block % 256;
            change.data[0] = block % automated;
            const float plain = info.minimum + (info.maximum - info.minimum) * float(block % 7) / 6.0f;
            std::memcpy(&change.data[1], &plain, sizeof plain);
            p.AddEvents(&change, 1);
            p.Process(outPtr, inPtr, 256);
            for (size_t i = 0; i < 256; ++i)
                if (!std::isfinite(out[0][i]) || !std::isfinite(out[1][i]))
                    finite = false;
            blocks.fetch_add(1);
        }
    });

    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (int round = 0; std::chrono::steady_clock::now() < end; ++round) {
        for (int32_t i = round % 5; i < automated; i += 5) {
            zt::ztpi::SAutomationInfo info;
            p.GetAutomationInfo(i, &info);
            p.SetParameter(i, info.minimum + (info.maximum - info.minimum) * float(round % 4) / 3.0f);
        }
        EXPECT_TRUE(p.SavePreset());
        EXPECT_TRUE(p.LoadPreset(preset));
        EXPECT_TRUE(p.LoadSectionPreset(preset, round % CQuillstripPlugIn::kNumSections));
        std::vector<uint8_t> state(static_cast<size_t>(p.GetChunkSize()));
        p.GetChunk(state.data());
        EXPECT_TRUE(p.SetChunk(state.data(), static_cast<int32_t>(state.size())));
        p.Idle();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    stop = true;
    audio.join();
    EXPECT_GT(blocks.load(), 10);
    EXPECT_TRUE(finite.load());
}
