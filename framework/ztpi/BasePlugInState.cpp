// The plug-in object's host state and preset snapshot.
#include "framework/ztpi/BasePlugIn.h"

#include "framework/ztpi/SetChunk.h"
#include "foundation/Chunk.h"

#include <cstring>

namespace zt::ztpi {

namespace {

bool WriteBytes(zt::IChunkFile& file, uint32_t id, const void* data, size_t size)
{
    zt::CChunkMemory chunk(id);
    if (size != 0 && chunk.Write(data, static_cast<uint32_t>(size)) != size)
        return false;
    return file.WriteChunk(chunk);
}

std::vector<uint8_t> ReadWhole(zt::IChunk& chunk)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(chunk.GetSize()));
    chunk.SetPosition(0);
    if (!bytes.empty())
        bytes.resize(chunk.Read(bytes.data(), static_cast<uint32_t>(bytes.size())));
    return bytes;
}

}  // namespace

bool CBasePlugIn::WritePresetSets(zt::IChunkFile& file)
{
    for (int32_t set : presetSets_)
        if (!WriteSetChunk(file, *parameters_, set))
            return false;
    return true;
}

bool CBasePlugIn::TakeSnapshot()
{
    auto snapshot = std::make_unique<zt::CChunkFileMemory>();
    uint32_t type = kStateFileType;
    if (!snapshot->Open(nullptr, 0, zt::kChunkFileCreate, type, true) || !WritePresetSets(*snapshot))
        return false;
    snapshot_ = std::move(snapshot);
    return true;
}

std::vector<uint8_t> CBasePlugIn::BuildState()
{
    zt::CAutoLock lock(lock_);
    zt::CChunkFileMemory file;
    uint32_t type = kStateFileType;
    if (!parameters_ || !file.Open(nullptr, 0, zt::kChunkFileCreate, type, true))
        return {};
    for (int32_t set : stateSets_)
        if (!WriteSetChunk(file, *parameters_, set))
            return {};
    const uint8_t* snapshot = snapshot_ ? snapshot_->GetData() : nullptr;
    const size_t snapshotSize = snapshot_ ? static_cast<size_t>(snapshot_->GetSize()) : 0;
    if (!WriteBytes(file, kSnapshotChunk, snapshot, snapshotSize))
        return {};
    const std::vector<uint8_t> extra = GetExtraData();
    if (!extra.empty() && !WriteBytes(file, kExtraChunk, extra.data(), extra.size()))
        return {};
    if (!presetName_.empty() && !WriteBytes(file, kPresetNameChunk, presetName_.data(), presetName_.size()))
        return {};
    return std::vector<uint8_t>(file.GetData(), file.GetData() + file.GetSize());
}

int32_t CBasePlugIn::GetChunkSize() { return static_cast<int32_t>(BuildState().size()); }

void CBasePlugIn::GetChunk(void* buffer)
{
    const std::vector<uint8_t> state = BuildState();
    if (!state.empty())
        std::memcpy(buffer, state.data(), state.size());
}

bool CBasePlugIn::SetChunk(const void* data, int32_t size)
{
    if (size <= 0 || !data || !parameters_)
        return false;
    zt::CChunkFileMemory file;
    uint32_t type = 0;
    if (!file.Open(data, static_cast<uint64_t>(size), zt::kChunkFileRead, type, true))
        return false;

    // Read and check everything first, so that a damaged state changes nothing.
    std::vector<std::pair<int32_t, SSetValues>> sets;
    for (int32_t set : stateSets_) {
        if (auto chunk = file.FindChunk(SetChunkId(set))) {
            SSetValues values;
            if (!ReadSetChunk(*chunk, values))
                return false;
            sets.emplace_back(set, std::move(values));
        }
    }
    std::vector<uint8_t> extra, snapshot, name;
    const bool hasExtra = [&] {
        auto c = file.FindChunk(kExtraChunk);
        return c ? (extra = ReadWhole(*c), true) : false;
    }();
    const bool hasSnapshot = [&] {
        auto c = file.FindChunk(kSnapshotChunk);
        return c ? (snapshot = ReadWhole(*c), true) : false;
    }();
    if (auto c = file.FindChunk(kPresetNameChunk))
        name = ReadWhole(*c);
    std::unique_ptr<zt::CChunkFileMemory> newSnapshot;
    if (hasSnapshot) {
        newSnapshot = std::make_unique<zt::CChunkFileMemory>();
        uint32_t snapshotType = 0;
        // Kept as the bytes it came with (opened neither to read nor to write).
        if (snapshot.size() < 8 || !newSnapshot->Open(snapshot.data(), snapshot.size(), 3, snapshotType, true))
            newSnapshot.reset();
    }

    zt::CAutoLock lock(lock_);
    loading_ = true;
    if (hasExtra)
        SetExtraData(extra.data(), static_cast<uint32_t>(extra.size()));
    for (const auto& [set, values] : sets)
        ApplySetValues(*parameters_, set, values, true);
    if (newSnapshot)
        snapshot_ = std::move(newSnapshot);
    presetName_.assign(name.begin(), name.end());
    loading_ = false;
    return true;
}

}  // namespace zt::ztpi
