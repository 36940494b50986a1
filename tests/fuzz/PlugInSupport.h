// The plug-in object for the fuzz targets that feed it: one instance for the run, its
// state as bytes, and a block of audio that must come out finite.
#pragma once

#include "FuzzSupport.h"
#include "tests/support/PlugInHarness.h"

#include <cmath>

namespace qs::fuzz {

inline PlugInHarness& Plug()
{
    Home();
    static PlugInHarness* harness = new PlugInHarness();  // lives for the whole run
    return *harness;
}

inline std::vector<uint8_t> State()
{
    auto& p = Plug().plugIn();
    std::vector<uint8_t> bytes(static_cast<size_t>(p.GetChunkSize()));
    p.GetChunk(bytes.data());
    return bytes;
}

// The state every input starts from, so each input's outcome depends on it alone.
inline void Reset()
{
    static const std::vector<uint8_t> initial = State();
    Plug().host.changed.clear();  // the recording host would otherwise grow all run
    Require(Plug().plugIn().SetChunk(initial.data(), static_cast<int32_t>(initial.size())), "the initial state loads");
}

// Whatever was loaded, the next block is finite.
inline void RequireFiniteOutput()
{
    std::vector<std::vector<float>> in(2, std::vector<float>(256));
    for (size_t i = 0; i < 256; ++i)
        in[i % 2][i] = std::sin(0.05f * float(i));
    for (const auto& channel : Plug().Run(in))
        for (float v : channel)
            Require(std::isfinite(v), "finite output");
}

}  // namespace qs::fuzz
