// A parameter set as a chunk: id "S" + three digits of the set number, then the
// first parameter number (u32), the count n (u32) and n floats, all little-endian.
// Host state and preset files both carry sets this way.
#pragma once

#include "framework/de/ParameterInterfaces.h"
#include "foundation/ChunkFile.h"

#include <cstdint>
#include <vector>

namespace zt::ztpi {

// The four characters "Snnn" in memory order, read as one 32-bit identifier.
uint32_t SetChunkId(int32_t set);

// Builds a four-character identifier from its characters in memory order.
constexpr uint32_t FourCC(char a, char b, char c, char d)
{
    return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 | uint32_t(uint8_t(d)) << 24;
}

// Writes every value of set into its chunk. False when a write falls short.
bool WriteSetChunk(IChunkFile& file, const zt::de::IParameterManager& parameters, int32_t set);

struct SSetValues {
    uint32_t first = 0;
    std::vector<float> values;  // as stored: count of them
};

// Reads a set chunk whole. False when the chunk is shorter than its own count says:
// such a chunk is not applied at all.
bool ReadSetChunk(IChunk& chunk, SSetValues& out);

// Applies stored values the way a loaded state or preset does: parameters at or above
// the stored count go to their defaults (a file from an older version lacks them),
// then the stored values are set in one call; values beyond the set's end are skipped.
void ApplySetValues(zt::de::IParameterManager& parameters, int32_t set, const SSetValues& stored, bool notify);

}  // namespace zt::ztpi
