// quillstrip-lv2-describe BUNDLE_DIR PRESET_DESCRIPTIONS_DIR
//
// Writes manifest.ttl, the plug-in's description and presets.ttl into the LV2 bundle:
// one port per automated parameter as the plug-in object reports it, and each factory
// preset description (NAME.txt) as an LV2 preset of port values, read as the factory
// preset files are.
#include "host/quillstrip_lv2/ProductIdentity.h"
#include "tools/presets/PresetDescription.h"

#include "host/lv2/Description.h"
#include "product/plugin/QuillstripParameterIds.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The plug-in object the host would get, without a host.
struct SPlugIn {
    SPlugIn()
    {
        int32_t version = 0;
        module = qs::lv2::kProduct.moduleEntry(nullptr, &version);
        plugIn = module ? module->CreatePlugIn(0) : nullptr;
        if (plugIn)
            plugIn->Open();
    }
    ~SPlugIn()
    {
        if (plugIn)
            plugIn->Destroy();
        if (module)
            module->Destroy();
    }
    zt::ztpi::IModule* module = nullptr;
    zt::ztpi::IPlugIn* plugIn = nullptr;
};

// Every automated parameter of the processing set at the value the description gives
// it, so that loading the preset also returns the ones it does not name to their defaults.
bool ReadPreset(const fs::path& description, zt::ztpi::IPlugIn& plugIn, zt::lv2::SPreset& preset)
{
    const auto parameters = quillstrip::MakeProcessingSet();
    std::string error;
    if (!quillstrip::ApplyPresetDescription(description, *parameters, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    preset.name = description.stem().string();
    for (int32_t i = 0; i < plugIn.GetNumParameters(); ++i) {
        zt::ztpi::SAutomationInfo info;
        plugIn.GetAutomationInfo(i, &info);
        if (info.set == quillstrip::kSetProcessing)
            preset.values.emplace_back(i, parameters->GetValue(info.number, info.set));
    }
    return true;
}

bool WriteFile(const fs::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: quillstrip-lv2-describe BUNDLE_DIR PRESET_DESCRIPTIONS_DIR\n");
        return 2;
    }
    const fs::path bundle = argv[1];
    SPlugIn made;
    if (!made.plugIn) {
        std::fprintf(stderr, "quillstrip-lv2-describe: cannot make the plug-in object\n");
        return 1;
    }
    try {
        std::vector<fs::path> descriptions;
        for (const auto& entry : fs::directory_iterator(argv[2]))
            if (entry.path().extension() == ".txt")
                descriptions.push_back(entry.path());
        std::sort(descriptions.begin(), descriptions.end());
        std::vector<zt::lv2::SPreset> presets(descriptions.size());
        for (size_t k = 0; k < descriptions.size(); ++k)
            if (!ReadPreset(descriptions[k], *made.plugIn, presets[k]))
                return 1;

        zt::lv2::SBundleText text;
        std::string error;
        const zt::lv2::SUIDescription ui = {qs::lv2::kUIUri, qs::lv2::kUIBinary};
        if (!zt::lv2::DescribeBundle(qs::lv2::kProduct, *made.plugIn, qs::lv2::kBinary, qs::lv2::kDescription, presets,
                                     text, error, &ui)) {
            std::fprintf(stderr, "quillstrip-lv2-describe: %s\n", error.c_str());
            return 1;
        }
        fs::create_directories(bundle);
        if (!WriteFile(bundle / qs::lv2::kDescription, text.plugin) || !WriteFile(bundle / "presets.ttl", text.presets)
            || !WriteFile(bundle / "manifest.ttl", text.manifest))
            return 1;
        std::printf("described %s: %d control ports, %zu presets\n", bundle.c_str(), made.plugIn->GetNumParameters(),
                    presets.size());
    } catch (const fs::filesystem_error& e) {
        std::fprintf(stderr, "quillstrip-lv2-describe: %s\n", e.what());
        return 1;
    }
    return 0;
}
