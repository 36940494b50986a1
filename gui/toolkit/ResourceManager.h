#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "foundation/Chunk.h"
#include "foundation/ChunkFileMemory.h"
#include "foundation/Interface.h"
#include "gui/toolkit/BitmapResource.h"
#include "gui/toolkit/Colour.h"
#include "gui/toolkit/FontResource.h"

namespace zt::ge {

// The resource file: a chunk file whose chunk "SLSR" lists the resources
// (id, kind, offset, size; 16 bytes each after a version and a count) and
// whose chunk "SRSR" holds their bytes back to back. The chunk ids are the
// four bytes as shown, read as little-endian words.
namespace resourcefile {
constexpr uint32_t kListChunk = 0x52534C53;  // "SLSR"
constexpr uint32_t kDataChunk = 0x52535253;  // "SRSR"
constexpr uint32_t kVersion = 1;
constexpr uint32_t kEntrySize = 16;

struct SEntry {
    int32_t id = 0;
    uint32_t kind = 0;
    uint32_t offset = 0;  // from the start of the data chunk's contents
    uint32_t size = 0;
};
}  // namespace resourcefile

// Hands out the skin's bitmaps and fonts by id. Each is loaded and decoded
// on first use and shared afterwards: every call returns one more reference,
// which the caller ends with Release (TResourceRef does it).
class IResourceManager : public virtual IDestructable {
public:
    // Null for an id that is not listed or not a bitmap. A bitmap whose TGA
    // is refused is still returned; it draws nothing.
    virtual IBitmapResource* GetBitmap(int32_t id) = 0;
    // The same for fonts. The colour is baked in when the font decodes, so
    // each colour of one id is a font of its own.
    virtual IFontResource* GetFont(int32_t id, SColour colour) = 0;
    virtual const std::vector<resourcefile::SEntry>& GetEntries() const = 0;
};

class CResourceManager : public virtual IResourceManager {
public:
    // Reads the list of the resource file at data (size bytes), which must
    // outlive the manager. Throws the zt exception "Resource chunk list not
    // found in file" when there is no list (or no chunk file at all).
    CResourceManager(const void* data, uint64_t size);
    ~CResourceManager() override;  // releases the cache's references
    CResourceManager(const CResourceManager&) = delete;
    CResourceManager& operator=(const CResourceManager&) = delete;

    void Destroy() override;
    IBitmapResource* GetBitmap(int32_t id) override;
    IFontResource* GetFont(int32_t id, SColour colour) override;
    const std::vector<resourcefile::SEntry>& GetEntries() const override;

    std::size_t GetCachedCount() const { return bitmaps_.size() + fonts_.size(); }

private:
    const resourcefile::SEntry* Find(int32_t id) const;
    std::vector<uint8_t> ReadBytes(const resourcefile::SEntry& entry);

    CChunkFileMemory file_;
    std::unique_ptr<IChunk> data_;  // null when the file has no data chunk
    std::vector<resourcefile::SEntry> entries_;
    std::map<int32_t, CBitmapResource*> bitmaps_;
    std::map<std::pair<int32_t, uint32_t>, CFontResource*> fonts_;  // by id and colour
};

// Builds a resource file in memory (the skin generator and tests use it).
class CResourceFileWriter {
public:
    void Add(int32_t id, uint32_t kind, std::vector<uint8_t> bytes);
    // The whole file: "ZTCF", version 1, the list chunk, the data chunk.
    std::vector<uint8_t> Build() const;

private:
    std::vector<resourcefile::SEntry> entries_;
    std::vector<uint8_t> data_;
};

}  // namespace zt::ge
