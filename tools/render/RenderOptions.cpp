#include "RenderOptions.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace render {

bool ParseWhole(const std::string& text, int low, int high, int& value)
{
    if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), ::isdigit))
        return false;
    const long v = std::strtol(text.c_str(), nullptr, 10);
    if (v < low || v > high)
        return false;
    value = static_cast<int>(v);
    return true;
}

bool ParseSeconds(const std::string& text, double& seconds)
{
    if (text.empty() || text.size() > 20
        || !std::all_of(text.begin(), text.end(),
                        [](char c) { return std::isdigit(static_cast<unsigned char>(c)) || c == '.'; })
        || std::count(text.begin(), text.end(), '.') > 1 || text == ".")
        return false;
    seconds = std::strtod(text.c_str(), nullptr);
    return std::isfinite(seconds);
}

void ParseOptions(int argc, const char* const* argv, SOptions& o)
{
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        // An empty value (an unset shell variable) would otherwise read as "none given":
        // --state-out "" would write nothing and still succeed.
        auto value = [&]() -> std::string {
            if (i + 1 >= argc || argv[i + 1][0] == '\0')
                throw std::runtime_error(arg + " needs a value");
            return argv[++i];
        };
        auto pair = [&](const std::string& text) {
            const size_t eq = text.find('=');
            if (eq == std::string::npos)
                throw std::runtime_error("\"" + text + "\" should read TITLE=VALUE");
            return std::make_pair(text.substr(0, eq), text.substr(eq + 1));
        };
        if (arg == "--help" || arg == "-h") {
            o.help = true;
            return;
        } else if (arg == "--plugin")
            o.plugin = value();
        else if (arg == "--set")
            o.settings.push_back(pair(value()));
        else if (arg == "--automate")
            o.automations.push_back(pair(value()));
        else if (arg == "--sidechain")
            o.sidechain = value();
        else if (arg == "--state-in")
            o.stateIn = value();
        else if (arg == "--state-out")
            o.stateOut = value();
        else if (arg == "--rate") {
            if (!ParseWhole(value(), kMinRate, kMaxRate, o.rate))
                throw std::runtime_error("--rate takes a whole number of Hz from 8000 to 384000");
        } else if (arg == "--block") {
            const std::string v = value();
            o.randomBlocks = v == "random";
            if (o.randomBlocks)
                o.block = 4096;
            else if (!ParseWhole(v, 1, kMaxBlock, o.block))
                throw std::runtime_error("--block takes a size from 1 to 8192, or random");
        } else if (arg == "--no-compensate")
            o.compensate = false;
        else if (arg == "--force")
            o.force = true;
        else if (arg == "--list")
            o.list = true;
        else if (arg == "--info")
            o.info = true;
        else if (arg.size() > 1 && arg[0] == '-')
            throw std::runtime_error("unknown option " + arg);
        else if (arg.empty())
            throw std::runtime_error("an empty file name (no INPUT renders the example; an empty one is a mistake)");
        else
            positional.push_back(arg);
    }
    if (positional.size() > 2)
        throw std::runtime_error("too many files");
    o.input = positional.empty() ? "" : positional[0];
    o.output = positional.size() > 1 ? positional[1]
        : o.input.empty()            ? "example-out.wav"
                                     : DefaultOutputFor(o.input);
}

std::vector<std::string> SplitPoints(const std::string& list)
{
    std::vector<std::string> items;
    size_t start = 0;
    while (start <= list.size()) {
        const size_t end = std::min(list.find(',', start), list.size());
        items.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

bool ParsePoint(const std::string& item, int rate, std::string& value, uint64_t& frame, std::string& error)
{
    const size_t at = item.rfind('@');
    if (at == std::string::npos) {
        error = "\"" + item + "\" should read VALUE@SECONDS";
        return false;
    }
    double seconds = 0;
    // The bound keeps the frame a whole number a 64-bit counter holds exactly.
    if (!ParseSeconds(item.substr(at + 1), seconds) || seconds * rate > 1e15) {
        error = "\"" + item + "\": the time should be a number of seconds from 0";
        return false;
    }
    value = item.substr(0, at);
    frame = static_cast<uint64_t>(seconds * rate);
    return true;
}

std::string DefaultOutputFor(const std::string& input)
{
    if (input == "-")
        return "stdin-out.wav";
    const size_t slash = input.find_last_of('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = input.find_last_of('.');
    // A dot in a folder's name, or the one a hidden file's name starts with, is no extension.
    const bool extension = dot != std::string::npos && dot > nameStart;
    return (extension ? input.substr(0, dot) : input) + "-out.wav";
}

}  // namespace render
