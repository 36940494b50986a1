// quillstrip-render: renders audio files through a VST 3 effect bundle offline, the
// way a host does, through the VST 3 interfaces only.
#include "tools/hosting/ParameterChanges.h"
#include "tools/hosting/Vst3Host.h"

#include "pluginterfaces/base/ustring.h"

#include <sndfile.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

const char* const kHelp
    = "usage: quillstrip-render [options] [INPUT [OUTPUT]]\n"
      "\n"
      "Renders INPUT (any file libsndfile reads) through a VST 3 effect into OUTPUT. With no\n"
      "INPUT it renders a built-in example (a few seconds of drums, bass and noise) to\n"
      "example-out.wav. OUTPUT defaults to INPUT's name with \"-out.wav\"; its format follows its\n"
      "extension (.wav 32-bit float, .flac 24-bit, .aiff 32-bit float, .ogg Vorbis).\n"
      "\n"
      "  --plugin PATH            the .vst3 bundle (default: ~/.vst3/Quillstrip Pro Small.vst3)\n"
      "  --set \"TITLE=VALUE\"      a parameter by its title and a value as the host shows it:\n"
      "                           \"Comp Threshold=-20\", \"Comp Enable=On\", \"EQ Band 3 Type=Bell\",\n"
      "                           \"Input Gain=-6.0\". Applied before the processor is activated,\n"
      "                           as a host restores a project, so the render starts there.\n"
      "  --automate \"TITLE=V1@T1,V2@T2,...\"\n"
      "                           changes sent with the audio at T seconds (inputParameterChanges);\n"
      "                           they ramp or glide as the plug-in does for any live change.\n"
      "  --sidechain FILE         feeds FILE to the side-chain bus (same rate and channels)\n"
      "  --state-in FILE          loads the component state from FILE first\n"
      "  --state-out FILE         saves the component state to FILE afterwards\n"
      "  --block N|random         host block size (default 512); random varies it per call\n"
      "  --rate HZ                sample rate of the built-in example (default 48000)\n"
      "  --no-compensate          keep the plug-in's latency in the output\n"
      "  --force                  overwrite OUTPUT when it exists\n"
      "  --list                   print every parameter and stop\n"
      "  --info                   print the classes, buses and latency and stop\n";

struct SOptions {
    std::string plugin, input, output, sidechain, stateIn, stateOut;
    std::vector<std::pair<std::string, std::string>> settings;     // title, text
    std::vector<std::pair<std::string, std::string>> automations;  // title, "V@T,..."
    int block = 512;
    bool randomBlocks = false;
    int rate = 48000;
    bool compensate = true, force = false, list = false, info = false;
};

struct SAudio {
    int rate = 48000;
    int channels = 2;
    std::vector<std::vector<float>> data;  // [channel][frame]
    size_t frames() const { return data.empty() ? 0 : data[0].size(); }
};

std::string Ascii(const TChar* text)
{
    char out[129] = {};
    UString(const_cast<TChar*>(text), 128).toAscii(out, 128);
    return out;
}

bool FileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool ReadAudio(const std::string& path, SAudio& audio)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) {
        std::fprintf(stderr, "cannot read %s: %s\n", path.c_str(), sf_strerror(nullptr));
        return false;
    }
    if (info.channels < 1 || info.channels > 2) {
        std::fprintf(stderr, "%s: only mono and stereo files are supported\n", path.c_str());
        sf_close(file);
        return false;
    }
    std::vector<float> interleaved(static_cast<size_t>(info.frames) * static_cast<size_t>(info.channels));
    const sf_count_t got = sf_readf_float(file, interleaved.data(), info.frames);
    sf_close(file);
    audio.rate = info.samplerate;
    audio.channels = info.channels;
    audio.data.assign(static_cast<size_t>(info.channels), std::vector<float>(static_cast<size_t>(got)));
    for (size_t i = 0; i < static_cast<size_t>(got); ++i)
        for (size_t c = 0; c < static_cast<size_t>(info.channels); ++c)
            audio.data[c][i] = interleaved[i * static_cast<size_t>(info.channels) + c];
    return true;
}

int FormatFor(const std::string& path)
{
    std::string ext = path.substr(path.find_last_of('.') + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == "flac")
        return SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
    if (ext == "aif" || ext == "aiff")
        return SF_FORMAT_AIFF | SF_FORMAT_FLOAT;
    if (ext == "ogg")
        return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    return SF_FORMAT_WAV | SF_FORMAT_FLOAT;
}

bool WriteAudio(const std::string& path, const SAudio& audio)
{
    SF_INFO info{};
    info.samplerate = audio.rate;
    info.channels = audio.channels;
    info.format = FormatFor(path);
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), sf_strerror(nullptr));
        return false;
    }
    std::vector<float> interleaved(audio.frames() * static_cast<size_t>(audio.channels));
    for (size_t i = 0; i < audio.frames(); ++i)
        for (size_t c = 0; c < static_cast<size_t>(audio.channels); ++c)
            interleaved[i * static_cast<size_t>(audio.channels) + c] = audio.data[c][i];
    const bool ok = sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(audio.frames()))
        == static_cast<sf_count_t>(audio.frames());
    sf_close(file);
    return ok;
}

// A few seconds of drums, a bass line and noise, slightly different on each side.
SAudio ExampleInput(int rate)
{
    SAudio audio;
    audio.rate = rate;
    const size_t frames = static_cast<size_t>(4 * rate);
    audio.data.assign(2, std::vector<float>(frames));
    const double bassNotes[4] = {55.0, 55.0, 65.41, 49.0};
    uint32_t seed = 12345;
    for (size_t i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        const double beat = std::fmod(t, 0.5);
        const double kick
            = 0.55 * std::exp(-beat * 18.0) * std::sin(2.0 * M_PI * (48.0 + 100.0 * std::exp(-beat * 30.0)) * beat);
        const double offbeat = std::fmod(t + 0.25, 0.5);
        seed = seed * 1664525u + 1013904223u;
        const double noise = static_cast<int32_t>(seed) / 2147483648.0;
        const double snare = std::fmod(t, 1.0) >= 0.5 ? 0.3 * std::exp(-std::fmod(t - 0.5, 1.0) * 25.0) * noise : 0.0;
        const double hat = 0.12 * std::exp(-offbeat * 70.0) * noise;
        const double note = bassNotes[static_cast<size_t>(t) % 4];
        const double bass = 0.25 * std::tanh(2.0 * std::sin(2.0 * M_PI * note * t));
        const double hiss = 0.01 * noise;
        audio.data[0][i] = static_cast<float>(kick + snare + hat + bass + hiss);
        audio.data[1][i] = static_cast<float>(kick + 0.8 * snare + 0.6 * hat + bass + 0.7 * hiss);
    }
    return audio;
}

// The number a display text starts with: "2.5K" is 2500, "-Inf" minus infinity.
bool ParseDisplayNumber(const std::string& text, double& value)
{
    if (text.rfind("-Inf", 0) == 0) {
        value = -INFINITY;
        return true;
    }
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    if (end == text.c_str())
        return false;
    if (*end == 'K' || *end == 'k')
        value *= 1000.0;
    return true;
}

struct SParameter {
    ParamID id;
    std::string title, units;
    int32 steps;
    double defaultValue;
};

std::map<std::string, SParameter> Parameters(const qs::hosting::CVst3Host& host)
{
    std::map<std::string, SParameter> parameters;
    for (int32 i = 0; i < host.controller()->getParameterCount(); ++i) {
        ParameterInfo info{};
        if (host.controller()->getParameterInfo(i, info) == kResultOk)
            parameters[Ascii(info.title)]
                = {info.id, Ascii(info.title), Ascii(info.units), info.stepCount, info.defaultNormalizedValue};
    }
    return parameters;
}

// The normalized value whose display is text: a list entry by its text or number, or
// the middle of the span of normalized values that display the given number.
bool ValueFromText(const qs::hosting::CVst3Host& host, const SParameter& p, const std::string& text, double& normalized,
                   std::string& error)
{
    auto display = [&](double n) { return host.ValueText(p.id, n); };
    if (p.steps > 0) {
        std::string choices;
        for (int32 k = 0; k <= p.steps; ++k) {
            const double n = double(k) / p.steps;
            if (display(n) == text || text == std::to_string(k)) {
                normalized = n;
                return true;
            }
            choices += (k ? ", " : "") + display(n);
        }
        error = "\"" + p.title + "\" takes one of: " + choices;
        return false;
    }
    double target = 0, low = 0, high = 0;
    const bool parsed = ParseDisplayNumber(text, target);
    ParseDisplayNumber(display(0.0), low);
    ParseDisplayNumber(display(1.0), high);
    const bool rising = high >= low;
    if (!parsed || std::isnan(target) || target < std::min(low, high) || target > std::max(low, high)) {
        error = "\"" + p.title + "\" takes values from " + display(0.0) + " to " + display(1.0) + p.units + "; \""
            + text + "\" is not among them";
        return false;
    }
    // The display shows a fixed number of decimals near the target: the span of values
    // shown as the target is what a user means by it.
    {
        double probe = 0;
        const std::string shown = display(0.5);
        const size_t point = shown.find('.');
        int decimals = 0;
        while (point != std::string::npos && point + 1 + decimals < shown.size()
               && std::isdigit(static_cast<unsigned char>(shown[point + 1 + decimals])))
            ++decimals;
        if (ParseDisplayNumber(shown, probe) && shown.find_first_of("Kk") == std::string::npos) {
            const double scale = std::pow(10.0, decimals);
            target = std::round(target * scale) / scale;
        }
    }
    // The first normalized value whose display reaches target (or passes it).
    auto firstReaching = [&](bool strictly) {
        double lo = 0.0, hi = 1.0;
        for (int i = 0; i < 60; ++i) {
            const double mid = 0.5 * (lo + hi);
            double shown = 0;
            ParseDisplayNumber(display(mid), shown);
            const bool reached = rising ? (strictly ? shown > target : shown >= target)
                                        : (strictly ? shown < target : shown <= target);
            (reached ? hi : lo) = mid;
        }
        return hi;
    };
    normalized = std::clamp(0.5 * (firstReaching(false) + firstReaching(true)), 0.0, 1.0);
    if (target == (rising ? high : low))
        normalized = 1.0;
    if (target == (rising ? low : high))
        normalized = 0.0;
    return true;
}

bool ReadBytes(const std::string& path, std::vector<char>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

std::string DefaultPlugin()
{
    const char* home = std::getenv("HOME");
    const std::string installed = std::string(home ? home : "") + "/.vst3/Quillstrip Pro Small.vst3";
    return FileExists(installed) ? installed : QS_DEFAULT_BUNDLE;
}

int Fail(const char* text)
{
    std::fprintf(stderr, "quillstrip-render: %s\n", text);
    return 1;
}

bool ParseOptions(int argc, char** argv, SOptions& o)
{
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
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
            std::fputs(kHelp, stdout);
            std::exit(0);
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
        else if (arg == "--rate")
            o.rate = std::atoi(value().c_str());
        else if (arg == "--block") {
            const std::string v = value();
            o.randomBlocks = v == "random";
            o.block = o.randomBlocks ? 4096 : std::atoi(v.c_str());
            if (o.block < 1)
                throw std::runtime_error("--block takes a size from 1 up, or random");
        } else if (arg == "--no-compensate")
            o.compensate = false;
        else if (arg == "--force")
            o.force = true;
        else if (arg == "--list")
            o.list = true;
        else if (arg == "--info")
            o.info = true;
        else if (!arg.empty() && arg[0] == '-')
            throw std::runtime_error("unknown option " + arg);
        else
            positional.push_back(arg);
    }
    if (positional.size() > 2)
        throw std::runtime_error("too many files");
    if (o.rate < 8000 || o.rate > 384000)
        throw std::runtime_error("--rate takes 8000 to 384000");
    o.input = positional.empty() ? "" : positional[0];
    o.output = positional.size() > 1 ? positional[1]
        : o.input.empty()            ? "example-out.wav"
                                     : o.input.substr(0, o.input.find_last_of('.')) + "-out.wav";
    if (o.plugin.empty())
        o.plugin = DefaultPlugin();
    return true;
}

void PrintInfo(const qs::hosting::CVst3Host& host)
{
    PClassInfo info;
    for (int32 i = 0; i < host.factory()->countClasses(); ++i)
        if (host.factory()->getClassInfo(i, &info) == kResultOk)
            std::printf("class %d: %s (%s)\n", i, info.name, info.category);
    for (BusDirection dir : {kInput, kOutput}) {
        for (int32 b = 0; b < host.component()->getBusCount(kAudio, dir); ++b) {
            BusInfo bus{};
            host.component()->getBusInfo(kAudio, dir, b, bus);
            std::printf("%s bus %d: %s, %d channel(s)%s\n", dir == kInput ? "input" : "output", b,
                        Ascii(bus.name).c_str(), bus.channelCount,
                        bus.flags & BusInfo::kDefaultActive ? "" : ", inactive by default");
        }
    }
    std::printf("latency: %u samples\n", host.processor()->getLatencySamples());
}

void PrintList(const qs::hosting::CVst3Host& host)
{
    std::vector<SParameter> ordered;
    for (const auto& [title, p] : Parameters(host))
        ordered.push_back(p);
    std::sort(ordered.begin(), ordered.end(), [](const SParameter& a, const SParameter& b) { return a.id < b.id; });
    std::printf("%4s  %-22s %-5s %5s  %-16s %s\n", "id", "title", "units", "steps", "default", "current");
    for (const SParameter& p : ordered)
        std::printf("%4u  %-22s %-5s %5d  %-16s %s\n", p.id, p.title.c_str(), p.units.c_str(), p.steps,
                    host.ValueText(p.id, p.defaultValue).c_str(),
                    host.ValueText(p.id, host.GetNormalized(p.id)).c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    SOptions o;
    try {
        ParseOptions(argc, argv, o);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quillstrip-render: %s\n\n%s", e.what(), kHelp);
        return 2;
    }

    const bool rendering = !o.list && !o.info;
    SAudio in;
    if (o.input.empty())
        in = ExampleInput(o.rate);
    else if (!ReadAudio(o.input, in))
        return 1;
    SAudio key;
    if (!o.sidechain.empty()) {
        if (!ReadAudio(o.sidechain, key))
            return 1;
        if (key.rate != in.rate || key.channels != in.channels)
            return Fail("the side-chain file must have the input's rate and channels");
        for (auto& c : key.data)
            c.resize(in.frames(), 0.0f);
    }

    qs::hosting::CVst3Host host;
    if (!host.Load(o.plugin) || !host.CreateInstance())
        return Fail(("cannot load " + o.plugin + ": " + host.error()).c_str());
    const int sideChannels = o.sidechain.empty() ? 0 : key.channels;
    if (!host.SetBuses(in.channels, sideChannels))
        return Fail("the plug-in refuses this channel layout");
    if (!o.stateIn.empty()) {
        std::vector<char> state;
        if (!ReadBytes(o.stateIn, state) || host.SetState(state) != kResultOk)
            return Fail(("cannot load the state in " + o.stateIn).c_str());
    }

    const auto parameters = Parameters(host);
    auto find = [&](const std::string& title) -> const SParameter* {
        const auto it = parameters.find(title);
        return it == parameters.end() ? nullptr : &it->second;
    };
    for (const auto& [title, text] : o.settings) {
        const SParameter* p = find(title);
        double n = 0;
        std::string error = "no parameter is called \"" + title + "\" (--list shows them all)";
        if (!p || !ValueFromText(host, *p, text, n, error))
            return Fail(error.c_str());
        host.SetNormalized(p->id, n);
        std::printf("%-22s %s%s\n", title.c_str(), host.ValueText(p->id, host.GetNormalized(p->id)).c_str(),
                    p->units.c_str());
    }

    struct SChange {
        size_t frame;
        ParamID id;
        double value;
    };
    std::vector<SChange> changes;
    for (const auto& [title, list] : o.automations) {
        const SParameter* p = find(title);
        if (!p)
            return Fail(("no parameter is called \"" + title + "\"").c_str());
        size_t start = 0;
        while (start < list.size()) {
            const size_t end = std::min(list.find(',', start), list.size());
            const std::string item = list.substr(start, end - start);
            const size_t at = item.rfind('@');
            double n = 0;
            std::string error;
            if (at == std::string::npos)
                return Fail(("\"" + item + "\" should read VALUE@SECONDS").c_str());
            if (!ValueFromText(host, *p, item.substr(0, at), n, error))
                return Fail(error.c_str());
            const double seconds = std::atof(item.c_str() + at + 1);
            changes.push_back({static_cast<size_t>(std::max(0.0, seconds) * in.rate), p->id, n});
            start = end + 1;
        }
    }
    std::stable_sort(changes.begin(), changes.end(),
                     [](const SChange& a, const SChange& b) { return a.frame < b.frame; });

    if (o.info)
        PrintInfo(host);
    if (o.list)
        PrintList(host);
    if (!rendering)
        return 0;
    if (FileExists(o.output) && !o.force)
        return Fail((o.output + " exists; --force overwrites it").c_str());

    host.Setup(in.rate, o.block);
    host.SetActive(true);
    const size_t latency = host.processor()->getLatencySamples();
    const size_t total = in.frames() + (o.compensate ? latency : 0);
    SAudio out;
    out.rate = in.rate;
    out.channels = in.channels;
    out.data.assign(static_cast<size_t>(in.channels), std::vector<float>(total));

    std::vector<std::vector<float>> inBlock(2, std::vector<float>(static_cast<size_t>(o.block)));
    std::vector<std::vector<float>> sideBlock(2, std::vector<float>(static_cast<size_t>(o.block)));
    std::vector<std::vector<float>> outBlock(2, std::vector<float>(static_cast<size_t>(o.block)));
    float* inPtr[2] = {inBlock[0].data(), inBlock[1].data()};
    float* sidePtr[2] = {sideBlock[0].data(), sideBlock[1].data()};
    float* outPtr[2] = {outBlock[0].data(), outBlock[1].data()};
    qs::hosting::CParameterChanges blockChanges;
    size_t nextChange = 0;
    uint32_t seed = 2024;
    int shownPercent = -10;
    const bool showProgress = total > static_cast<size_t>(in.rate) * 30;
    for (size_t at = 0; at < total;) {
        size_t n = static_cast<size_t>(o.block);
        if (o.randomBlocks) {
            seed = seed * 1664525u + 1013904223u;
            n = 1 + (seed >> 8) % static_cast<uint32_t>(o.block);
        }
        n = std::min(n, total - at);
        for (size_t c = 0; c < static_cast<size_t>(in.channels); ++c) {
            for (size_t i = 0; i < n; ++i) {
                const size_t f = at + i;
                inBlock[c][i] = f < in.frames() ? in.data[c][f] : 0.0f;
                if (sideChannels)
                    sideBlock[c][i] = f < key.frames() ? key.data[c][f] : 0.0f;
            }
        }
        blockChanges.Clear();
        for (; nextChange < changes.size() && changes[nextChange].frame < at + n; ++nextChange)
            blockChanges.Add(changes[nextChange].id,
                             static_cast<int32>(changes[nextChange].frame - std::min(at, changes[nextChange].frame)),
                             changes[nextChange].value);
        host.Process(inPtr, in.channels, sideChannels ? sidePtr : nullptr, sideChannels, outPtr, in.channels,
                     static_cast<int>(n), 0, blockChanges.Empty() ? nullptr : &blockChanges);
        for (size_t c = 0; c < static_cast<size_t>(in.channels); ++c)
            std::copy_n(outBlock[c].begin(), n, out.data[c].begin() + static_cast<long>(at));
        at += n;
        const int percent = static_cast<int>(100 * at / total);
        if (showProgress && percent >= shownPercent + 10) {
            shownPercent = percent - percent % 10;
            std::fprintf(stderr, "\r%3d %%", shownPercent);
        }
    }
    if (showProgress)
        std::fprintf(stderr, "\n");
    host.SetActive(false);
    if (o.compensate)
        for (auto& c : out.data)
            c.erase(c.begin(), c.begin() + static_cast<long>(latency));

    if (!o.stateOut.empty()) {
        const std::vector<char> state = host.GetState();
        std::ofstream(o.stateOut, std::ios::binary).write(state.data(), static_cast<long>(state.size()));
    }
    if (!WriteAudio(o.output, out))
        return 1;

    // A NaN would slip past a running maximum, so non-finite samples are counted
    // instead, and a file with any has no peak to speak of.
    auto countNonFinite = [](const SAudio& audio) {
        size_t count = 0;
        for (const auto& c : audio.data)
            count += static_cast<size_t>(std::count_if(c.begin(), c.end(), [](float v) { return !std::isfinite(v); }));
        return count;
    };
    const size_t nonFiniteIn = countNonFinite(in) + (sideChannels ? countNonFinite(key) : 0);
    const size_t nonFiniteOut = countNonFinite(out);
    float peak = 0.0f;
    for (const auto& c : out.data)
        for (float v : c)
            peak = std::max(peak, std::fabs(v));
    char peakText[64];
    if (nonFiniteOut != 0)
        std::snprintf(peakText, sizeof peakText, "not finite");
    else
        std::snprintf(peakText, sizeof peakText, "%.2f dBFS", peak > 0 ? 20.0 * std::log10(peak) : -INFINITY);
    std::printf("%s: %s, %zu frames at %d Hz, %d channel(s); latency %zu samples%s; output peak %s; "
                "non-finite samples: %zu in, %zu out\n",
                o.output.c_str(), o.input.empty() ? "built-in example" : o.input.c_str(), out.frames(), out.rate,
                out.channels, latency, o.compensate ? " (compensated)" : "", peakText, nonFiniteIn, nonFiniteOut);
    return 0;
}
