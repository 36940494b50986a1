// quillstrip-presets: builds the factory presets from readable descriptions and
// installs them.
//
//   quillstrip-presets build DESCRIPTIONS_DIR OUTPUT_DIR
//       Each NAME.txt becomes NAME.preset. A description holds lines
//       "Parameter Name = value" with host parameter names and values as the editor
//       and the host show them, with or without their units ("-3 dB", "2.5K", "Bell"),
//       read by the same parser a host's typed values go through. Anything after "#"
//       is a comment. Parameters not named keep their defaults.
//   quillstrip-presets install BUILT_DIR [PRESET_DIR]
//       Copies the built presets into the preset folder (default: the plug-in's). A file
//       the user has changed since it was installed is left alone; the folder's
//       ".factory-presets" file remembers what was installed.
#include "product/plugin/GainDisplayConverter.h"
#include "product/plugin/Parm.h"
#include "product/plugin/QuillstripParameterTable.h"
#include "framework/de/ParameterManager.h"
#include "framework/ztpi/ParameterText.h"
#include "framework/ztpi/SetChunk.h"
#include "foundation/ChunkFile.h"
#include "foundation/Paths.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace quillstrip;

namespace {

std::string Trim(std::string s)
{
    const size_t first = s.find_first_not_of(" \t\r");
    const size_t last = s.find_last_not_of(" \t\r");
    return first == std::string::npos ? "" : s.substr(first, last - first + 1);
}

// The value of a row from its text, read as the host reads a typed value: the number the
// display shows, with or without its unit ("Output Gain = -3 dB" is the fader position
// that shows -3.0 dB), "K" for thousands, or a list entry by its text or number. NaN,
// infinities and values outside the range are refused.
bool ParseValue(const SParameterRow& row, const std::string& text, float& value)
{
    zt::ztpi::SAutomationInfo info;
    info.kind = row.scale == EScale::kList ? zt::ztpi::SAutomationInfo::kList : zt::ztpi::SAutomationInfo::kContinuous;
    info.minimum = row.minimum;
    info.maximum = row.maximum;
    info.displayDecimals = row.displayDecimals;
    std::snprintf(info.unit, sizeof info.unit, "%s", row.unit ? row.unit : "");
    std::snprintf(info.valueTexts, sizeof info.valueTexts, "%s", row.texts ? row.texts : "");
    static CGainDisplayConverter gain;  // as the plug-in shows its gains: in dB
    gain.SetUnit("dB");
    info.displayConverter = row.display == EDisplay::kGain ? &gain : nullptr;
    return zt::ztpi::PlainFromText(info, text.c_str(), value);
}

std::string FrameworkPath(const fs::path& path)
{
    std::string framework;
    zt::ConvertPath(zt::EPathDirection::kToFramework, fs::absolute(path).string().c_str(), framework, true);
    return framework;
}

bool BuildOne(const fs::path& description, const fs::path& output)
{
    std::map<std::string, const SParameterRow*> byName;
    for (const SParameterRow& row : ParameterRows(kSetProcessing))
        if (row.name[0] != '\0')
            byName[row.name] = &row;

    zt::de::CParameterManager parameters;
    parameters.SetNumberOfSets(1);
    for (const SParameterRow& row : ParameterRows(kSetProcessing))
        parameters.AddParameter(
            new CParm(nullptr, 0, row.number, row.defaultValue, row.minimum, row.maximum, row.decimals), 0);

    std::ifstream in(description);
    std::string line;
    for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
        line = Trim(line.substr(0, line.find('#')));
        if (line.empty())
            continue;
        const size_t eq = line.find('=');
        const std::string name = Trim(line.substr(0, eq));
        const auto row = byName.find(name);
        float value = 0;
        if (eq == std::string::npos || row == byName.end()
            || !ParseValue(*row->second, Trim(line.substr(eq + 1)), value)) {
            if (row == byName.end())
                std::fprintf(stderr, "%s:%d: cannot read \"%s\"\n", description.c_str(), lineNumber, line.c_str());
            else
                std::fprintf(stderr, "%s:%d: cannot read \"%s\" (%s takes %g to %g%s%s)\n", description.c_str(),
                             lineNumber, line.c_str(), name.c_str(), row->second->minimum, row->second->maximum,
                             row->second->unit && *row->second->unit ? " " : "", row->second->unit);
            return false;
        }
        parameters.SetValue(false, row->second->number, value, 0);
    }

    zt::CChunkFile file;
    uint32_t type = 1;
    if (!file.Open(FrameworkPath(output).c_str(), zt::kChunkFileCreate, type)
        || !zt::ztpi::WriteSetChunk(file, parameters, kSetProcessing)) {
        std::fprintf(stderr, "cannot write %s\n", output.c_str());
        return false;
    }
    return true;
}

// FNV-1a over the file: enough to tell whether the user changed it.
std::string Fingerprint(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    uint64_t hash = 1469598103934665603ull;
    char c;
    while (in.get(c))
        hash = (hash ^ static_cast<uint8_t>(c)) * 1099511628211ull;
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

int Build(const fs::path& descriptions, const fs::path& output)
{
    fs::create_directories(output);
    int built = 0;
    for (const auto& entry : fs::directory_iterator(descriptions)) {
        if (entry.path().extension() != ".txt")
            continue;
        if (!BuildOne(entry.path(), output / (entry.path().stem().string() + ".preset")))
            return 1;
        ++built;
    }
    std::printf("built %d presets into %s\n", built, output.c_str());
    return 0;
}

int Install(const fs::path& built, fs::path folder)
{
    if (folder.empty()) {
        std::string framework, system;
        if (!zt::GetSpecialFolder(zt::kSpecialFolderProgramFiles, framework)
            || !zt::ConvertPath(zt::EPathDirection::kToSystem, (framework + "Kelmora:Quillstrip Pro:Presets:").c_str(),
                                system, true))
            return 1;
        folder = system;
    }
    fs::create_directories(folder);
    const fs::path manifestPath = folder / ".factory-presets";
    std::map<std::string, std::string> installed;  // name -> fingerprint as installed
    {
        std::ifstream manifest(manifestPath);
        std::string name, print;
        while (manifest >> print && std::getline(manifest >> std::ws, name))
            installed[name] = print;
    }
    int copied = 0, kept = 0;
    for (const auto& entry : fs::directory_iterator(built)) {
        if (entry.path().extension() != ".preset")
            continue;
        const std::string name = entry.path().filename().string();
        const fs::path target = folder / name;
        const bool exists = fs::exists(target);
        if (exists && (!installed.count(name) || installed[name] != Fingerprint(target))) {
            ++kept;  // the user's own file, or one the user changed
            continue;
        }
        fs::copy_file(entry.path(), target, fs::copy_options::overwrite_existing);
        installed[name] = Fingerprint(target);
        ++copied;
    }
    std::ofstream manifest(manifestPath);
    for (const auto& [name, print] : installed)
        manifest << print << ' ' << name << '\n';
    std::printf("installed %d presets into %s (%d changed by the user left alone)\n", copied, folder.c_str(), kept);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    // A missing folder, a file where a folder should be, or one we may not write: said,
    // not thrown at the user.
    try {
        if (command == "build" && argc == 4)
            return Build(argv[2], argv[3]);
        if (command == "install" && (argc == 3 || argc == 4))
            return Install(argv[2], argc == 4 ? argv[3] : "");
    } catch (const fs::filesystem_error& e) {
        std::fprintf(stderr, "quillstrip-presets: %s\n", e.what());
        return 1;
    }
    std::fprintf(stderr,
                 "usage: quillstrip-presets build DESCRIPTIONS_DIR OUTPUT_DIR\n"
                 "       quillstrip-presets install BUILT_DIR [PRESET_DIR]\n");
    return 2;
}
