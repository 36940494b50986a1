// A preset file from disk: a refused file changes nothing, and the audio stays finite.
#include "PlugInSupport.h"

#include "foundation/Paths.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace qs::fuzz;
    Reset();
    auto& product = Plug().product();
    static const std::string folder = product.GetPresetFolder();
    std::string system;
    zt::ConvertPath(zt::EPathDirection::kToSystem, (folder + "Fuzz.preset").c_str(), system, true);
    std::filesystem::create_directories(std::filesystem::path(system).parent_path());
    WriteFile(system, data, size);
    const std::vector<uint8_t> before = State();
    bool loaded;
    {
        CAllocationBound bound(2 * size + 65536);
        loaded = product.LoadPreset(folder + "Fuzz.preset");
    }
    if (!loaded)
        Require(State() == before, "a refused preset changes nothing");
    RequireFiniteOutput();
    return 0;
}
