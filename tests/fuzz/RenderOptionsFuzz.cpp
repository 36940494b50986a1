// The renderer's command line as a careless user types it: one argument per line of the
// input. Reading it either refuses with a message or yields options inside their
// bounds; every automation point it accepts lands on a frame, at any rate, without
// overflow.
#include "FuzzSupport.h"

#include "RenderOptions.h"

#include <stdexcept>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace qs::fuzz;
    std::vector<std::string> args{"quillstrip-render"};
    std::string arg;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\n') {
            args.push_back(arg);
            arg.clear();
        } else if (data[i] != '\0') {  // a command line holds no NUL
            arg += static_cast<char>(data[i]);
        }
    }
    args.push_back(arg);
    std::vector<const char*> argv;
    for (const std::string& a : args)
        argv.push_back(a.c_str());

    render::SOptions o;
    {
        // The options hold at most what was typed, in vectors that at most double.
        CAllocationBound bound(64 * size + 4096);
        try {
            render::ParseOptions(static_cast<int>(argv.size()), argv.data(), o);
        } catch (const std::runtime_error&) {
            return 0;  // refused with a message; anything else thrown is a finding
        }
    }
    if (o.help)
        return 0;
    Require(o.block >= 1 && o.block <= render::kMaxBlock, "the block size is in range");
    Require(o.rate >= render::kMinRate && o.rate <= render::kMaxRate, "the example's rate is in range");
    Require(!o.output.empty(), "there is always an output name");
    for (const auto& [title, text] : o.settings)
        Require(title.find('=') == std::string::npos, "a setting's title ends at the first '='");

    for (const auto& [title, list] : o.automations) {
        for (const std::string& item : render::SplitPoints(list)) {
            for (int rate : {render::kMinRate, 44100, render::kMaxRate}) {
                std::string value, error;
                uint64_t frame = 0;
                if (!render::ParsePoint(item, rate, value, frame, error))
                    continue;
                Require(frame <= uint64_t(1e15), "an accepted point lies on a frame a file can reach");
                Require(item.compare(0, value.size(), value) == 0 && item[value.size()] == '@',
                        "the value is the text before the time");
            }
        }
    }
    return 0;
}
