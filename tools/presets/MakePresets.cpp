// quillstrip-presets: builds the factory presets from readable descriptions and
// installs them.
//
//   quillstrip-presets build DESCRIPTIONS_DIR OUTPUT_DIR
//       Each NAME.txt becomes NAME.preset. A description holds lines
//       "Parameter Name = value" with host parameter names and plain values (dB, Hz,
//       percent, ms) or, for lists, the entry's text ("Bell") or number. Anything after
//       "#" is a comment. Parameters not named keep their defaults.
//   quillstrip-presets install BUILT_DIR [PRESET_DIR]
//       Copies the built presets into the preset folder (default: the plug-in's). A file
//       the user has changed since it was installed is left alone; the folder's
//       ".factory-presets" file remembers what was installed.
#include "product/plugin/Parm.h"
#include "product/plugin/QuillstripParameterTable.h"
#include "framework/de/ParameterManager.h"
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

// The value of a row from its text: a number, or one of a list's entries.
bool ParseValue(const SParameterRow& row, const std::string& text, float& value)
{
    char* end = nullptr;
    const float number = std::strtof(text.c_str(), &end);
    if (end != text.c_str() && Trim(end).empty()) {
        value = number;
        return true;
    }
    if (row.scale == EScale::kList) {
        std::stringstream entries(row.texts);
        std::string entry;
        for (int k = 0; std::getline(entries, entry, '@'); ++k) {
            if (entry == text) {
                value = static_cast<float>(k);
                return true;
            }
        }
    }
    return false;
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
            std::fprintf(stderr, "%s:%d: cannot read \"%s\"\n", description.c_str(), lineNumber, line.c_str());
            return false;
        }
        if (value < row->second->minimum || value > row->second->maximum) {
            std::fprintf(stderr, "%s:%d: %s is outside %g..%g\n", description.c_str(), lineNumber, name.c_str(),
                         row->second->minimum, row->second->maximum);
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
    if (command == "build" && argc == 4)
        return Build(argv[2], argv[3]);
    if (command == "install" && (argc == 3 || argc == 4))
        return Install(argv[2], argc == 4 ? argv[3] : "");
    std::fprintf(stderr,
                 "usage: quillstrip-presets build DESCRIPTIONS_DIR OUTPUT_DIR\n"
                 "       quillstrip-presets install BUILT_DIR [PRESET_DIR]\n");
    return 2;
}
