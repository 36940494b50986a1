#include "framework/ztpi/SetChunk.h"

#include "foundation/Chunk.h"

#include <cstring>

namespace zt::ztpi {

namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint32_t GetU32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

uint32_t SetChunkId(int32_t set)
{
    return FourCC('S', char('0' + set / 100 % 10), char('0' + set / 10 % 10), char('0' + set % 10));
}

bool WriteSetChunk(IChunkFile& file, const zt::de::IParameterManager& parameters, int32_t set)
{
    const int32_t n = parameters.GetNumParameters(set);
    std::vector<uint8_t> bytes;
    bytes.reserve(8 + 4 * static_cast<size_t>(n));
    PutU32(bytes, 0);
    PutU32(bytes, static_cast<uint32_t>(n));
    for (int32_t i = 0; i < n; ++i) {
        uint32_t bits;
        const float v = parameters.GetValue(i, set);
        std::memcpy(&bits, &v, 4);
        PutU32(bytes, bits);
    }
    CChunkMemory chunk(SetChunkId(set));
    if (chunk.Write(bytes.data(), static_cast<uint32_t>(bytes.size())) != bytes.size())
        return false;
    return file.WriteChunk(chunk);
}

bool ReadSetChunk(IChunk& chunk, SSetValues& out)
{
    uint8_t header[8];
    chunk.SetPosition(0);
    if (chunk.Read(header, 8) != 8)
        return false;
    const uint32_t first = GetU32(header);
    const uint32_t count = GetU32(header + 4);
    // The data must hold every value the count promises.
    if (uint64_t(count) * 4 > uint64_t(chunk.GetSize()) - 8)
        return false;
    std::vector<uint8_t> raw(uint64_t(count) * 4);
    if (count != 0 && chunk.Read(raw.data(), static_cast<uint32_t>(raw.size())) != raw.size())
        return false;
    out.first = first;
    out.values.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t bits = GetU32(raw.data() + 4 * i);
        std::memcpy(&out.values[i], &bits, 4);
    }
    return true;
}

void ApplySetValues(zt::de::IParameterManager& parameters, int32_t set, const SSetValues& stored, bool notify)
{
    const int64_t n = parameters.GetNumParameters(set);
    const int64_t count = static_cast<int64_t>(stored.values.size());
    for (int64_t number = count; number < n; ++number) {
        const auto* parameter = parameters.GetParameter(static_cast<int32_t>(number), set);
        parameters.SetValue(notify, static_cast<int32_t>(number), parameter->GetDefault(), set);
    }
    const int64_t first = stored.first;
    if (first >= n)
        return;
    const int64_t usable = std::min(count, n - first);
    parameters.SetValues(static_cast<int32_t>(first), static_cast<int32_t>(usable), stored.values.data(), set, notify);
}

}  // namespace zt::ztpi
