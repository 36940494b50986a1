// The plug-in object's preset files.
#include "framework/ztpi/BasePlugIn.h"

#include <algorithm>
#include <cstring>

#include "framework/de/DisplayConverter.h"
#include "framework/ztpi/FileDialogs.h"
#include "foundation/Chunk.h"
#include "foundation/ChunkFile.h"
#include "foundation/FileSearch.h"
#include "foundation/Paths.h"

namespace zt::ztpi {

namespace {
constexpr const char* kFilterName = "Presets (*.preset)";
constexpr const char* kFilterPattern = "*.preset";
}  // namespace

std::string CBasePlugIn::GetPresetFolder() const
{
    std::string folder;
    if (!zt::GetSpecialFolder(zt::kSpecialFolderProgramFiles, folder))
        return {};
    return folder + vendor_ + ":" + product_ + ":Presets:";
}

void CBasePlugIn::ScanPresets()
{
    presetNames_.clear();
    const std::string folder = GetPresetFolder();
    zt::CFileSearch search;
    if (folder.empty() || !search.Search((folder + "*" + kPresetExtension).c_str()))
        return;
    for (const zt::SFoundFile& file : search.Results())
        if (!file.isFolder)
            presetNames_.push_back(file.name);
    std::sort(presetNames_.begin(), presetNames_.end());
}

int32_t CBasePlugIn::RescanPresets()
{
    ScanPresets();
    return GetNumPresets();
}

bool CBasePlugIn::GetPresetName(int32_t index, char* text)
{
    if (index < 0 || index >= GetNumPresets() || !text)
        return false;
    std::string name = presetNames_[static_cast<size_t>(index)];
    const size_t extension = std::strlen(kPresetExtension);
    if (name.size() > extension && name.compare(name.size() - extension, extension, kPresetExtension) == 0)
        name.resize(name.size() - extension);
    zt::de::CopyText(name, text, kTextSize);
    return true;
}

bool CBasePlugIn::LoadPresetAt(int32_t index)
{
    if (index < 0 || index >= GetNumPresets())
        return false;
    const std::string path = GetPresetFolder() + presetNames_[static_cast<size_t>(index)];
    // Checked first, so that a file that vanished or is damaged leaves even the current
    // preset path as it was.
    // A file without a single set of values is no preset a menu should offer to load.
    std::vector<std::pair<int32_t, SSetValues>> sets;
    if (!ReadPresetSets(path, sets, nullptr) || sets.empty())
        return false;
    return LoadPreset(path);
}

bool CBasePlugIn::WritePreset(zt::IChunkFile& file)
{
    if (!WritePresetSets(file))
        return false;
    const std::vector<uint8_t> extra = GetExtraData();
    if (extra.empty())
        return true;
    zt::CChunkMemory chunk(kExtraChunk);
    return chunk.Write(extra.data(), static_cast<uint32_t>(extra.size())) == extra.size() && file.WriteChunk(chunk);
}

bool CBasePlugIn::ReadPresetSets(const std::string& path, std::vector<std::pair<int32_t, SSetValues>>& sets,
                                 std::vector<uint8_t>* extra)
{
    zt::CChunkFile file;
    uint32_t type = 0;  // any type word is accepted
    if (!file.Open(path.c_str(), zt::kChunkFileRead, type))
        return false;
    for (int32_t set : presetSets_) {
        if (auto chunk = file.FindChunk(SetChunkId(set))) {
            SSetValues values;
            if (!ReadSetChunk(*chunk, values))
                return false;
            sets.emplace_back(set, std::move(values));
        }
    }
    if (extra) {
        if (auto chunk = file.FindChunk(kExtraChunk)) {
            extra->resize(static_cast<size_t>(chunk->GetSize()));
            chunk->SetPosition(0);
            if (!extra->empty())
                extra->resize(chunk->Read(extra->data(), static_cast<uint32_t>(extra->size())));
        }
    }
    return true;
}

bool CBasePlugIn::LoadPreset(const std::string& path)
{
    presetPath_ = path;
    std::vector<std::pair<int32_t, SSetValues>> sets;
    std::vector<uint8_t> extra;
    if (!ReadPresetSets(path, sets, &extra))
        return false;
    zt::CAutoLock lock(lock_);
    loading_ = true;
    if (!extra.empty())
        SetExtraData(extra.data(), static_cast<uint32_t>(extra.size()));
    for (const auto& [set, values] : sets)
        ApplySetValues(*parameters_, set, values, true);
    loading_ = false;
    return true;
}

bool CBasePlugIn::SavePreset()
{
    if (presetPath_.empty() || presetPath_[0] != ':')
        return SavePresetAs();
    zt::CreateFolder(presetPath_.substr(0, presetPath_.rfind(':') + 1).c_str());
    zt::CChunkFile file;
    uint32_t type = kPresetFileType;
    if (!file.Open(presetPath_.c_str(), zt::kChunkFileCreate, type))
        return false;
    zt::CAutoLock lock(lock_);
    return WritePreset(file);
}

bool CBasePlugIn::SavePresetAs()
{
    if (!dialogs_)
        return false;
    std::string folder = GetPresetFolder(), name = "New Preset";
    const size_t split = presetPath_.rfind(':');
    if (!presetPath_.empty() && split != std::string::npos) {
        folder = presetPath_.substr(0, split + 1);
        name = presetPath_.substr(split + 1);
    }
    std::string chosen;
    if (!dialogs_->ChooseFileToSave(folder, name, kFilterName, kFilterPattern, chosen))
        return false;
    presetPath_ = chosen;
    return SavePreset();
}

bool CBasePlugIn::SavePresetTo(const std::string& path)
{
    if (path.empty() || path[0] != ':')
        return false;
    presetPath_ = path;
    return SavePreset();
}

bool CBasePlugIn::LoadPresetWithDialog()
{
    std::string chosen;
    if (!dialogs_ || !dialogs_->ChooseFileToOpen(GetPresetFolder(), kFilterName, kFilterPattern, chosen))
        return false;
    return LoadPreset(chosen);
}

}  // namespace zt::ztpi
