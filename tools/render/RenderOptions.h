// The renderer's command line: options, file names and automation points, read
// strictly (a number with anything after it is refused, not truncated). Kept apart from
// the rendering so that a fuzz target can feed it whatever a user might type.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace render {

constexpr int kMinRate = 8000, kMaxRate = 384000, kMaxBlock = 8192;

struct SOptions {
    std::string plugin, input, output, sidechain, stateIn, stateOut;
    std::vector<std::pair<std::string, std::string>> settings;     // title, text
    std::vector<std::pair<std::string, std::string>> automations;  // title, "V@T,..."
    int block = 512;
    bool randomBlocks = false;
    int rate = 48000;
    bool compensate = true, force = false, list = false, info = false;
    bool help = false;  // --help: nothing after it was read
};

// Reads argv[1..argc); throws std::runtime_error saying what is wrong. The plug-in is
// left empty when none is named.
void ParseOptions(int argc, const char* const* argv, SOptions& options);

// A whole number in [low, high] and nothing else ("12abc" is not 12).
bool ParseWhole(const std::string& text, int low, int high, int& value);

// Seconds as a plain decimal number from 0 ("1.5"; not "abc", "-5", "1e30" or "inf").
bool ParseSeconds(const std::string& text, double& seconds);

// The comma-separated items of an --automate list, empty ones included.
std::vector<std::string> SplitPoints(const std::string& list);

// One item "VALUE@SECONDS": the value's text and the frame at rate it falls on. False,
// with error saying why, when it has no "@" or its time is no number of seconds from 0
// (or lies beyond any file).
bool ParsePoint(const std::string& item, int rate, std::string& value, uint64_t& frame, std::string& error);

// OUTPUT's default for INPUT: the same folder and name, its extension replaced by
// "-out.wav" ("my.dir/song" gives "my.dir/song-out.wav").
std::string DefaultOutputFor(const std::string& input);

}  // namespace render
