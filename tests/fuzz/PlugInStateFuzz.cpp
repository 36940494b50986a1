// The plug-in's state as a host hands it back: a refused state changes nothing, an
// accepted one reads back and loads again, and the audio stays finite either way.
#include "PlugInSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace qs::fuzz;
    Reset();
    auto& p = Plug().plugIn();
    const std::vector<uint8_t> before = State();
    bool accepted;
    {
        CAllocationBound bound(2 * size + 65536);
        accepted = p.SetChunk(data, static_cast<int32_t>(std::min<size_t>(size, INT32_MAX)));
    }
    const std::vector<uint8_t> after = State();
    if (!accepted)
        Require(after == before, "a refused state changes nothing");
    else
        Require(p.SetChunk(after.data(), static_cast<int32_t>(after.size())) && State() == after,
                "an accepted state reads back as itself");
    RequireFiniteOutput();
    return 0;
}
