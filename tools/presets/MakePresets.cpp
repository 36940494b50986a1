// quillstrip-presets: builds the factory presets from readable descriptions and
// installs them.
//
//   quillstrip-presets build DESCRIPTIONS_DIR OUTPUT_DIR
//       Each NAME.txt becomes NAME.preset (PresetDescription.h says what a
//       description holds).
//   quillstrip-presets install BUILT_DIR [PRESET_DIR]
//       Copies the built presets into the preset folder (default: the plug-in's). A file
//       the user has changed since it was installed is left alone; the folder's
//       ".factory-presets" file remembers what was installed.
#include "tools/presets/PresetDescription.h"
#include "product/plugin/QuillstripParameterTable.h"
#include "framework/ztpi/SetChunk.h"
#include "foundation/ChunkFile.h"
#include "foundation/Paths.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace quillstrip;

namespace {

std::string FrameworkPath(const fs::path& path)
{
    std::string framework;
    zt::ConvertPath(zt::EPathDirection::kToFramework, fs::absolute(path).string().c_str(), framework, true);
    return framework;
}

bool BuildOne(const fs::path& description, const fs::path& output)
{
    const auto parameters = MakeProcessingSet();
    std::string error;
    if (!ApplyPresetDescription(description, *parameters, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }

    zt::CChunkFile file;
    uint32_t type = 1;
    if (!file.Open(FrameworkPath(output).c_str(), zt::kChunkFileCreate, type)
        || !zt::ztpi::WriteSetChunk(file, *parameters, kSetProcessing)) {
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
