// quillstrip-render: renders audio files through a VST 3 effect bundle offline, the
// way a host does, through the VST 3 interfaces only.
#include "tools/hosting/ParameterChanges.h"
#include "AudioStream.h"
#include "RenderOptions.h"
#include "tools/hosting/Vst3Host.h"

#include "pluginterfaces/base/ustring.h"

#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

const char* const kHelp
    = "usage: quillstrip-render [options] [INPUT [OUTPUT]]\n"
      "\n"
      "Renders INPUT (any mono or stereo file libsndfile reads, 8 to 384 kHz; \"-\" reads a pipe)\n"
      "through a VST 3 effect into OUTPUT, a block at a time. With no INPUT it renders a built-in\n"
      "example (a few seconds of drums, bass and noise) to example-out.wav. OUTPUT defaults to\n"
      "INPUT's name with \"-out.wav\"; its extension sets the format (.wav 32-bit float, .flac\n"
      "24-bit, clipped at full scale with a warning, .aiff 32-bit float, .ogg Vorbis). OUTPUT is\n"
      "written beside its final name and only replaces it when complete, so rendering a file\n"
      "onto itself is safe.\n"
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
      "  --block N|random         host block size, 1 to 8192 (default 512); random varies it\n"
      "  --rate HZ                sample rate of the built-in example (default 48000)\n"
      "  --no-compensate          keep the plug-in's latency at the start (the output is longer)\n"
      "  --force                  overwrite OUTPUT when it exists\n"
      "  --list                   print every parameter and stop\n"
      "  --info                   print the classes, buses and latency and stop\n";

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

// A few seconds of drums, a bass line and noise, slightly different on each side, made a
// block at a time.
class CExample {
public:
    explicit CExample(int rate) : rate_(rate) {}
    uint64_t Frames() const { return static_cast<uint64_t>(4 * rate_); }
    // The next frames, zeros after the end; returns how many were the example's.
    size_t Read(render::SBlock& block, size_t frames)
    {
        static const double kBassNotes[4] = {55.0, 55.0, 65.41, 49.0};
        block.frames = std::min(frames, block.channels[0].size());
        size_t real = 0;
        for (size_t i = 0; i < block.frames; ++i, ++frame_) {
            if (frame_ >= Frames()) {
                block.channels[0][i] = block.channels[1][i] = 0.0f;
                continue;
            }
            ++real;
            const double t = double(frame_) / rate_;
            const double beat = std::fmod(t, 0.5);
            const double kick
                = 0.55 * std::exp(-beat * 18.0) * std::sin(2.0 * M_PI * (48.0 + 100.0 * std::exp(-beat * 30.0)) * beat);
            const double offbeat = std::fmod(t + 0.25, 0.5);
            seed_ = seed_ * 1664525u + 1013904223u;
            const double noise = static_cast<int32_t>(seed_) / 2147483648.0;
            const double snare
                = std::fmod(t, 1.0) >= 0.5 ? 0.3 * std::exp(-std::fmod(t - 0.5, 1.0) * 25.0) * noise : 0.0;
            const double hat = 0.12 * std::exp(-offbeat * 70.0) * noise;
            const double note = kBassNotes[static_cast<size_t>(t) % 4];
            const double bass = 0.25 * std::tanh(2.0 * std::sin(2.0 * M_PI * note * t));
            const double hiss = 0.01 * noise;
            block.channels[0][i] = static_cast<float>(kick + snare + hat + bass + hiss);
            block.channels[1][i] = static_cast<float>(kick + 0.8 * snare + 0.6 * hat + bass + 0.7 * hiss);
        }
        return real;
    }

private:
    int rate_;
    uint64_t frame_ = 0;
    uint32_t seed_ = 12345;
};

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

// The normalized value a typed text means, read by the plug-in's own parser (as a host's
// generic editor does): "1000" for a frequency is 1000 Hz, "On", "Bell", "-6 dB", "2.5K".
bool ValueFromText(const qs::hosting::CVst3Host& host, const SParameter& p, const std::string& text, double& normalized,
                   std::string& error)
{
    String128 typed = {};
    UString(typed, 128).fromAscii(text.c_str());
    double n = -1.0;
    if (host.controller()->getParamValueByString(p.id, typed, n) == kResultOk && n >= 0.0 && n <= 1.0) {
        normalized = n;
        return true;
    }
    auto display = [&](double v) { return host.ValueText(p.id, v); };
    if (p.steps > 0) {
        std::string choices;
        for (int32 k = 0; k <= p.steps; ++k)
            choices += (k ? ", " : "") + display(double(k) / p.steps);
        error = "\"" + p.title + "\" takes one of: " + choices + "; \"" + text + "\" is not among them";
    } else {
        error = "\"" + p.title + "\" takes values from " + display(0.0) + " to " + display(1.0) + p.units + "; \""
            + text + "\" is not among them";
    }
    return false;
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

// Whether path can be written later: its folder exists and takes new files, and it is
// not a folder itself.
bool CanWrite(const std::string& path, std::string& error)
{
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        error = path + " is a folder";
    else if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        error = "cannot write " + path + ": the folder " + folder + " does not exist";
    else if (::access(folder.c_str(), W_OK) != 0)
        error = "cannot write " + path + ": the folder " + folder + " is not writable";
    else
        return true;
    return false;
}

int Fail(const char* text)
{
    std::fprintf(stderr, "quillstrip-render: %s\n", text);
    return 1;
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

// The input: a file (or standard input), or the built-in example.
class CInput {
public:
    bool Open(const std::string& path, int exampleRate, std::string& error)
    {
        if (path.empty()) {
            example_ = std::make_unique<CExample>(exampleRate);
            exampleRate_ = exampleRate;
            return true;
        }
        if (!reader_.Open(path)) {
            error = reader_.error();
            return false;
        }
        if (reader_.Rate() < render::kMinRate || reader_.Rate() > render::kMaxRate) {
            error = path + " is at " + std::to_string(reader_.Rate()) + " Hz; the renderer takes 8000 to 384000 Hz";
            return false;
        }
        return true;
    }
    int Rate() const { return example_ ? exampleRate_ : reader_.Rate(); }
    int Channels() const { return example_ ? 2 : reader_.Channels(); }
    bool Read(render::SBlock& block, size_t frames, std::string& error)
    {
        if (example_) {
            real_ = example_->Read(block, frames);
            framesRead_ += real_;
            finished_ = framesRead_ >= example_->Frames();
            return true;
        }
        const uint64_t before = reader_.FramesRead();
        if (!reader_.Read(block, frames)) {
            error = reader_.error();
            return false;
        }
        framesRead_ = reader_.FramesRead();
        finished_ = reader_.Finished();
        real_ = static_cast<size_t>(framesRead_ - before);
        return true;
    }
    // After a Read: the frames of the block that came from the input, not the zeros after it.
    size_t RealFrames() const { return real_; }
    uint64_t FramesRead() const { return framesRead_; }
    // True once the whole input has been read (and FramesRead is its length).
    bool Finished() const { return finished_; }

private:
    std::unique_ptr<CExample> example_;
    int exampleRate_ = 0;
    render::CAudioReader reader_;
    uint64_t framesRead_ = 0;
    size_t real_ = 0;
    bool finished_ = false;
};

int main(int argc, char** argv)
{
    render::SOptions o;
    try {
        render::ParseOptions(argc, argv, o);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quillstrip-render: %s\n\n%s", e.what(), kHelp);
        return 2;
    }
    if (o.help) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (o.plugin.empty())
        o.plugin = DefaultPlugin();
    const bool rendering = !o.list && !o.info;
    if (rendering && render::CAudioWriter::FormatFor(o.output) == 0)
        return Fail(
            (o.output + ": the name should end in .wav, .flac, .aiff or .ogg, which decides the format").c_str());

    std::string error;
    CInput in;
    if (!in.Open(o.input, o.rate, error))
        return Fail(error.c_str());
    render::CAudioReader key;
    if (!o.sidechain.empty()) {
        if (!key.Open(o.sidechain))
            return Fail(key.error().c_str());
        if (key.Rate() != in.Rate() || key.Channels() != in.Channels())
            return Fail("the side-chain file must have the input's rate and channels");
    }

    qs::hosting::CVst3Host host;
    if (!host.Load(o.plugin) || !host.CreateInstance())
        return Fail(("cannot load " + o.plugin + ": " + host.error()).c_str());
    const int channels = in.Channels();
    const int sideChannels = o.sidechain.empty() ? 0 : key.Channels();
    if (!host.SetBuses(channels, sideChannels))
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
        error = "no parameter is called \"" + title + "\" (--list shows them all)";
        if (!p || !ValueFromText(host, *p, text, n, error))
            return Fail(error.c_str());
        host.SetNormalized(p->id, n);
        std::printf("%-22s %s%s\n", title.c_str(), host.ValueText(p->id, host.GetNormalized(p->id)).c_str(),
                    p->units.c_str());
    }

    struct SChange {
        uint64_t frame;
        ParamID id;
        double value;
    };
    std::vector<SChange> changes;
    for (const auto& [title, list] : o.automations) {
        const SParameter* p = find(title);
        if (!p)
            return Fail(("no parameter is called \"" + title + "\"").c_str());
        for (const std::string& item : render::SplitPoints(list)) {
            std::string text;
            uint64_t frame = 0;
            double n = 0;
            if (!render::ParsePoint(item, in.Rate(), text, frame, error))
                return Fail(error.c_str());
            if (!ValueFromText(host, *p, text, n, error))
                return Fail(error.c_str());
            changes.push_back({frame, p->id, n});
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
    if (o.input == "-" && o.output == "-")
        return Fail("the output must be a file");
    // Everything that can refuse the output does so before any audio is processed.
    render::CAudioWriter writer;
    if (!writer.Open(o.output, in.Rate(), channels))
        return Fail(writer.error().c_str());
    if (!o.stateOut.empty() && !CanWrite(o.stateOut, error))
        return Fail(error.c_str());

    host.Setup(in.Rate(), o.block);
    host.SetActive(true);
    const uint64_t latency = host.processor()->getLatencySamples();

    const size_t capacity = static_cast<size_t>(o.block);
    render::SBlock inBlock(2, capacity), sideBlock(2, capacity), outBlock(2, capacity);
    float* inPtr[2] = {inBlock.channels[0].data(), inBlock.channels[1].data()};
    float* sidePtr[2] = {sideBlock.channels[0].data(), sideBlock.channels[1].data()};
    float* outPtr[2] = {outBlock.channels[0].data(), outBlock.channels[1].data()};
    render::SLevels inLevels, outLevels;
    qs::hosting::CParameterChanges blockChanges;
    size_t nextChange = 0;
    uint32_t seed = 2024;
    uint64_t at = 0, written = 0;
    // The input, then the latency's worth of silence so that the tail comes out too;
    // compensating drops the first latency frames instead.
    auto total = [&] { return in.Finished() ? in.FramesRead() + latency : UINT64_MAX; };
    const bool showProgress = !o.input.empty() && o.input != "-";
    int shownSeconds = 0;
    while (at < total()) {
        size_t n = capacity;
        if (o.randomBlocks) {
            seed = seed * 1664525u + 1013904223u;
            n = 1 + (seed >> 8) % static_cast<uint32_t>(o.block);
        }
        // Where the length is known, blocks stop exactly at the end, as a host's would.
        const uint64_t knownTotal = in.Finished() ? total() : UINT64_MAX;
        n = static_cast<size_t>(std::min<uint64_t>(n, knownTotal - at));
        if (!in.Read(inBlock, n, error))
            return Fail(error.c_str());
        // The input may have ended inside this block: nothing past its tail is processed.
        if (in.Finished())
            n = static_cast<size_t>(std::min<uint64_t>(n, total() - at));
        if (n == 0)
            break;
        inLevels.Add(inBlock, channels, 0, in.RealFrames());
        if (sideChannels) {
            const uint64_t before = key.FramesRead();
            if (!key.Read(sideBlock, n))
                return Fail(key.error().c_str());
            inLevels.Add(sideBlock, sideChannels, 0, static_cast<size_t>(key.FramesRead() - before));
        }
        blockChanges.Clear();
        const size_t firstChange = nextChange;
        for (; nextChange < changes.size() && changes[nextChange].frame < at + n; ++nextChange)
            blockChanges.Add(changes[nextChange].id,
                             static_cast<int32>(changes[nextChange].frame - std::min(at, changes[nextChange].frame)),
                             changes[nextChange].value);
        host.Process(inPtr, channels, sideChannels ? sidePtr : nullptr, sideChannels, outPtr, channels,
                     static_cast<int>(n), 0, blockChanges.Empty() ? nullptr : &blockChanges);
        // As hosts do, the controller hears of played automation after the audio has it.
        for (size_t k = firstChange; k < nextChange; ++k)
            host.SetNormalized(changes[k].id, changes[k].value);

        // What goes to the file: the block, less what falls in the latency when compensating.
        const size_t skip = o.compensate && at < latency ? static_cast<size_t>(std::min<uint64_t>(latency - at, n)) : 0;
        if (skip < n) {
            outLevels.Add(outBlock, channels, skip, n);
            if (!writer.Write(outBlock, skip, n))
                return Fail(writer.error().c_str());
            written += n - skip;
        }
        at += n;
        if (showProgress && static_cast<int>(at / static_cast<uint64_t>(in.Rate()) / 60) > shownSeconds) {
            shownSeconds = static_cast<int>(at / static_cast<uint64_t>(in.Rate()) / 60);
            std::fprintf(stderr, "\r%d min", shownSeconds);
        }
    }
    if (showProgress && shownSeconds > 0)
        std::fprintf(stderr, "\n");
    host.SetActive(false);
    if (!writer.Commit())
        return Fail(writer.error().c_str());

    if (nextChange < changes.size())
        std::fprintf(
            stderr, "quillstrip-render: warning: %zu automation point(s) after the end of the input were not applied\n",
            changes.size() - nextChange);
    if (writer.Clipped() > 0)
        std::fprintf(stderr, "quillstrip-render: warning: %llu sample(s) beyond full scale were clipped to fit %s\n",
                     static_cast<unsigned long long>(writer.Clipped()), o.output.c_str());
    if (!o.stateOut.empty() && !render::WriteFileAtomically(o.stateOut, host.GetState(), error))
        return Fail(error.c_str());

    // A NaN would slip past a running maximum, so non-finite samples are counted instead,
    // and a file with any has no peak to speak of.
    char peakText[64];
    if (outLevels.nonFinite != 0)
        std::snprintf(peakText, sizeof peakText, "not finite");
    else
        std::snprintf(peakText, sizeof peakText, "%.2f dBFS",
                      outLevels.peak > 0 ? 20.0 * std::log10(outLevels.peak) : -INFINITY);
    std::printf("%s: %s, %llu frames at %d Hz, %d channel(s); latency %llu samples%s; output peak %s; "
                "non-finite samples: %llu in, %llu out\n",
                o.output.c_str(), o.input.empty() ? "built-in example" : o.input.c_str(),
                static_cast<unsigned long long>(written), in.Rate(), channels, static_cast<unsigned long long>(latency),
                o.compensate ? " (compensated)" : "", peakText, static_cast<unsigned long long>(inLevels.nonFinite),
                static_cast<unsigned long long>(outLevels.nonFinite));
    return 0;
}
