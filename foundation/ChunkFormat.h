#pragma once

// The chunk container's byte layout, shared by the disk and memory chunk
// files. All integers are little-endian; there is no padding anywhere.
//
//   container: offset 0  "ZTCF"        4 bytes, magic
//              offset 4  type word     u32, chosen by the writer
//              offset 8  chunks, one after another until the end
//   chunk:     offset 0  identifier    u32
//              offset 4  length n      u32, excludes this 8-byte header
//              offset 8  data          n bytes
//
// No order, uniqueness or nesting: a reader scans from offset 8 and the first
// chunk with a matching identifier wins.

#include <cstdint>

#include "foundation/Chunk.h"
#include "foundation/File.h"

namespace zt::chunkformat {

constexpr uint64_t kFirstChunk = 8;
constexpr uint32_t kChunkHeaderSize = 8;

void PutU32(uint8_t* bytes, uint32_t value);
uint32_t GetU32(const uint8_t* bytes);

// Checks the size, the magic and reads the type word.
bool ReadContainerHeader(IFile& file, uint32_t& type);
bool WriteContainerHeader(IFile& file, uint32_t type);

struct SChunkLocation {
    uint32_t id = 0;
    uint32_t length = 0;      // as declared; may run past the end of the file
    uint64_t dataOffset = 0;  // first data byte
};

// Scans from cursor (raised to the first chunk) for a chunk with this id and
// leaves cursor past every chunk examined, the found one included. False when
// the list ends, or ends in a truncated header, first.
bool FindChunk(IFile& file, uint64_t& cursor, uint32_t id, SChunkLocation& found);

// Writes header and data at the file's position. A chunk that yields fewer
// bytes than it declares (cut short by its file) is written with the length
// it actually yields, so the new container stays consistent.
bool WriteChunk(IFile& file, IChunk& chunk);

}  // namespace zt::chunkformat
