#include "gui/toolkit/ResourceManager.h"

#include <algorithm>

#include "foundation/ChunkFormat.h"
#include "foundation/Exception.h"

namespace zt::ge {

using resourcefile::SEntry;

CResourceManager::CResourceManager(const void* data, uint64_t size)
{
    uint32_t type = 0;
    std::unique_ptr<IChunk> list;
    // Read in place: the file lives in read-only data and is never copied whole.
    if (data && file_.Open(data, size, kChunkFileRead, type, false))
        list = file_.FindChunk(resourcefile::kListChunk);
    if (!list)
        throw CreateException(kExceptionTypeFile, kExceptionReasonWrongType, "Resource chunk list not found in file");

    uint8_t header[8];
    if (list->Read(header, 8) == 8) {
        const uint32_t count = chunkformat::GetU32(header + 4);
        // A count that claims more entries than the chunk holds reads only those there are.
        const uint32_t room = (list->GetLength() - 8) / resourcefile::kEntrySize;
        entries_.reserve(std::min(count, room));
        uint8_t bytes[resourcefile::kEntrySize];
        for (uint32_t i = 0; i < count && list->Read(bytes, sizeof bytes) == sizeof bytes; ++i)
            entries_.push_back({int32_t(chunkformat::GetU32(bytes)), chunkformat::GetU32(bytes + 4),
                                chunkformat::GetU32(bytes + 8), chunkformat::GetU32(bytes + 12)});
    }
    data_ = file_.FindChunk(resourcefile::kDataChunk);
}

CResourceManager::~CResourceManager()
{
    for (auto& [id, bitmap] : bitmaps_)
        bitmap->Release();
    for (auto& [key, font] : fonts_)
        font->Release();
}

void CResourceManager::Destroy() { delete this; }

const std::vector<SEntry>& CResourceManager::GetEntries() const { return entries_; }

const SEntry* CResourceManager::Find(int32_t id) const
{
    for (const SEntry& entry : entries_)
        if (entry.id == id)
            return &entry;
    return nullptr;
}

std::vector<uint8_t> CResourceManager::ReadBytes(const SEntry& entry)
{
    if (!data_ || entry.offset >= data_->GetLength())
        return {};
    // A size that runs past the data yields the bytes there are; the decoder
    // then finds no footer and refuses them.
    const uint32_t available = std::min(entry.size, data_->GetLength() - entry.offset);
    std::vector<uint8_t> bytes(available);
    data_->SetPosition(entry.offset);
    bytes.resize(data_->Read(bytes.data(), available));
    return bytes;
}

IBitmapResource* CResourceManager::GetBitmap(int32_t id)
{
    auto cached = bitmaps_.find(id);
    if (cached != bitmaps_.end()) {
        cached->second->AddRef();
        return cached->second;
    }
    const SEntry* entry = Find(id);
    if (!entry || entry->kind != kResourceBitmap)
        return nullptr;
    auto* bitmap = new CBitmapResource(id, ReadBytes(*entry));
    bitmap->Decode();
    bitmaps_[id] = bitmap;  // the cache keeps the first reference
    bitmap->AddRef();
    return bitmap;
}

IFontResource* CResourceManager::GetFont(int32_t id, SColour colour)
{
    uint32_t colourKey = 0;
    colourKey = uint32_t(colour.b) | uint32_t(colour.g) << 8 | uint32_t(colour.r) << 16;
    const auto key = std::make_pair(id, colourKey);
    auto cached = fonts_.find(key);
    if (cached != fonts_.end()) {
        cached->second->AddRef();
        return cached->second;
    }
    const SEntry* entry = Find(id);
    if (!entry || entry->kind != kResourceFont)
        return nullptr;
    auto* font = new CFontResource(id, ReadBytes(*entry), colour);
    font->Decode();
    fonts_[key] = font;
    font->AddRef();
    return font;
}

void CResourceFileWriter::Add(int32_t id, uint32_t kind, std::vector<uint8_t> bytes)
{
    entries_.push_back({id, kind, uint32_t(data_.size()), uint32_t(bytes.size())});
    data_.insert(data_.end(), bytes.begin(), bytes.end());
}

std::vector<uint8_t> CResourceFileWriter::Build() const
{
    CChunkFileMemory file;
    uint32_t version = resourcefile::kVersion;
    file.Open(nullptr, 0, kChunkFileCreate, version, true);
    CChunkMemory list(resourcefile::kListChunk);
    uint8_t word[4];
    auto put = [&](uint32_t v) {
        chunkformat::PutU32(word, v);
        list.Write(word, 4);
    };
    put(resourcefile::kVersion);
    put(uint32_t(entries_.size()));
    for (const SEntry& e : entries_) {
        put(uint32_t(e.id));
        put(e.kind);
        put(e.offset);
        put(e.size);
    }
    file.WriteChunk(list);
    CChunkMemory data(data_.data(), uint32_t(data_.size()), resourcefile::kDataChunk, false);
    file.WriteChunk(data);
    return std::vector<uint8_t>(file.GetData(), file.GetData() + file.GetSize());
}

}  // namespace zt::ge
