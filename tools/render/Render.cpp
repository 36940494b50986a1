// quillstrip-render: runs audio files through the plug-in bundle the way a host
// does (the real VST 3 processor and controller), offline.
//
//   quillstrip-render [options] input.wav output.wav
//   quillstrip-render [options] --example output.wav
//
// Options:
//   --plugin PATH        the .vst3 bundle (default: the one this build made)
//   --set NAME=VALUE     a parameter by its host name and plain value (dB, Hz, %,
//                        list entry number ...); may be repeated
//   --sidechain KEY.wav  feed KEY.wav to the side-chain input (same rate and channels)
//   --block N            host block size (default 512)
//   --no-compensate      keep the plug-in's latency in the output
#include "core/QuillstripParameterTable.h"
#include "core/de/Converters.h"
#include "tools/hosting/Vst3Host.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct SAudio {
    int rate = 48000;
    int channels = 2;
    std::vector<std::vector<float>> data;  // [channel][frame]
    size_t frames() const { return data.empty() ? 0 : data[0].size(); }
};

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
    for (sf_count_t i = 0; i < got; ++i)
        for (int c = 0; c < info.channels; ++c)
            audio.data[static_cast<size_t>(c)][static_cast<size_t>(i)] =
                interleaved[static_cast<size_t>(i) * static_cast<size_t>(info.channels) + static_cast<size_t>(c)];
    return true;
}

bool WriteAudio(const std::string& path, const SAudio& audio)
{
    SF_INFO info{};
    info.samplerate = audio.rate;
    info.channels = audio.channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), sf_strerror(nullptr));
        return false;
    }
    std::vector<float> interleaved(audio.frames() * static_cast<size_t>(audio.channels));
    for (size_t i = 0; i < audio.frames(); ++i)
        for (int c = 0; c < audio.channels; ++c)
            interleaved[i * static_cast<size_t>(audio.channels) + static_cast<size_t>(c)] = audio.data[static_cast<size_t>(c)][i];
    const bool ok = sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(audio.frames())) ==
                    static_cast<sf_count_t>(audio.frames());
    sf_close(file);
    return ok;
}

// Four seconds of a small mix: a kick-like thump, a hat-like noise burst and a
// chord, slightly different on the two sides.
SAudio ExampleInput()
{
    SAudio audio;
    audio.rate = 48000;
    const size_t frames = 4 * 48000;
    audio.data.assign(2, std::vector<float>(frames));
    uint32_t seed = 12345;
    for (size_t i = 0; i < frames; ++i) {
        const double t = double(i) / audio.rate;
        const double beat = std::fmod(t, 0.5);
        const double kick = 0.6 * std::exp(-beat * 18.0) * std::sin(2.0 * M_PI * (50.0 + 90.0 * std::exp(-beat * 30.0)) * beat);
        seed = seed * 1664525u + 1013904223u;
        const double noise = (static_cast<int32_t>(seed) / 2147483648.0);
        const double hat = 0.15 * std::exp(-std::fmod(t + 0.25, 0.5) * 60.0) * noise;
        const double chord = 0.12 * (std::sin(2 * M_PI * 220.0 * t) + std::sin(2 * M_PI * 277.2 * t) +
                                     std::sin(2 * M_PI * 329.6 * t));
        audio.data[0][i] = static_cast<float>(kick + hat + chord);
        audio.data[1][i] = static_cast<float>(kick + 0.7 * hat + chord * 0.9);
    }
    return audio;
}

// Plain value -> normalized, by the parameter's own converter.
bool Normalize(int id, float plain, double& normalized)
{
    const auto order = quillstrip::AutomationOrder();
    if (id < 0 || id >= static_cast<int>(order.size()))
        return false;
    const quillstrip::SParameterRow& row = *order[static_cast<size_t>(id)];
    int32_t kind = zt::de::IConverter::kLinear;
    if (row.scale == quillstrip::EScale::kTrueLog)
        kind = zt::de::IConverter::kTrueLog;
    else if (row.scale == quillstrip::EScale::kLog)
        kind = zt::de::IConverter::kLog;
    const float clamped = std::clamp(plain, row.minimum, row.maximum);
    normalized = zt::de::MakeConverter(kind, row.minimum, row.maximum, row.logBase ? *row.logBase : 0)->ToNormalized(clamped);
    return true;
}

double PeakDb(const SAudio& audio)
{
    float peak = 0.0f;
    for (const auto& c : audio.data)
        for (float v : c)
            peak = std::max(peak, std::fabs(v));
    return peak > 0 ? 20.0 * std::log10(peak) : -INFINITY;
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: quillstrip-render [--plugin PATH] [--set NAME=VALUE]... [--sidechain KEY.wav]\n"
                 "                         [--block N] [--no-compensate] (input.wav | --example) output.wav\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::string plugin = QS_DEFAULT_BUNDLE, input, output, sidechain;
    std::vector<std::pair<std::string, float>> settings;
    int block = 512;
    bool compensate = true, example = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (arg == "--plugin" || arg == "--sidechain" || arg == "--set" || arg == "--block") {
            const char* value = next();
            if (!value)
                return Usage();
            if (arg == "--plugin")
                plugin = value;
            else if (arg == "--sidechain")
                sidechain = value;
            else if (arg == "--block")
                block = std::max(1, std::atoi(value));
            else {
                const std::string s = value;
                const size_t eq = s.rfind('=');
                if (eq == std::string::npos)
                    return Usage();
                settings.emplace_back(s.substr(0, eq), std::strtof(s.c_str() + eq + 1, nullptr));
            }
        } else if (arg == "--no-compensate") {
            compensate = false;
        } else if (arg == "--example") {
            example = true;
        } else if (input.empty() && !example) {
            input = arg;
        } else if (output.empty()) {
            output = arg;
        } else {
            return Usage();
        }
    }
    if (output.empty() || (input.empty() && !example))
        return Usage();

    SAudio in;
    if (example)
        in = ExampleInput();
    else if (!ReadAudio(input, in))
        return 1;
    SAudio key;
    if (!sidechain.empty()) {
        if (!ReadAudio(sidechain, key))
            return 1;
        if (key.rate != in.rate || key.channels != in.channels) {
            std::fprintf(stderr, "the side-chain file must match the input's rate and channels\n");
            return 1;
        }
        for (auto& c : key.data)
            c.resize(in.frames(), 0.0f);
    }

    qs::hosting::CVst3Host host;
    if (!host.Load(plugin) || !host.CreateInstance()) {
        std::fprintf(stderr, "cannot load %s: %s\n", plugin.c_str(), host.error().c_str());
        return 1;
    }
    if (!host.SetBuses(in.channels, key.channels > 0 && !sidechain.empty() ? key.channels : 0)) {
        std::fprintf(stderr, "the plug-in refused %d channel(s)%s\n", in.channels, sidechain.empty() ? "" : " with a side-chain");
        return 1;
    }
    for (const auto& [name, value] : settings) {
        const int id = host.FindParameter(name);
        double normalized = 0;
        if (id < 0 || !Normalize(id, value, normalized)) {
            std::fprintf(stderr, "unknown parameter \"%s\"\n", name.c_str());
            return 1;
        }
        host.SetNormalized(static_cast<Steinberg::Vst::ParamID>(id), normalized);
        std::printf("%-22s %s\n", name.c_str(), host.ValueText(static_cast<Steinberg::Vst::ParamID>(id), normalized).c_str());
    }
    host.Setup(in.rate, block);
    host.SetActive(true);
    const size_t latency = host.processor()->getLatencySamples();

    // Run the file and, when compensating, as many zeros after it as the latency.
    const size_t total = in.frames() + (compensate ? latency : 0);
    SAudio out;
    out.rate = in.rate;
    out.channels = in.channels;
    out.data.assign(static_cast<size_t>(in.channels), std::vector<float>(total));
    std::vector<std::vector<float>> inBlock(2, std::vector<float>(static_cast<size_t>(block)));
    std::vector<std::vector<float>> sideBlock(2, std::vector<float>(static_cast<size_t>(block)));
    std::vector<std::vector<float>> outBlock(2, std::vector<float>(static_cast<size_t>(block)));
    float* inPtr[2] = {inBlock[0].data(), inBlock[1].data()};
    float* sidePtr[2] = {sideBlock[0].data(), sideBlock[1].data()};
    float* outPtr[2] = {outBlock[0].data(), outBlock[1].data()};
    for (size_t at = 0; at < total; at += static_cast<size_t>(block)) {
        const size_t n = std::min(static_cast<size_t>(block), total - at);
        for (int c = 0; c < in.channels; ++c) {
            for (size_t i = 0; i < n; ++i) {
                const size_t f = at + i;
                inBlock[static_cast<size_t>(c)][i] = f < in.frames() ? in.data[static_cast<size_t>(c)][f] : 0.0f;
                if (!sidechain.empty())
                    sideBlock[static_cast<size_t>(c)][i] = f < key.frames() ? key.data[static_cast<size_t>(c)][f] : 0.0f;
            }
        }
        host.Process(inPtr, in.channels, sidechain.empty() ? nullptr : sidePtr, sidechain.empty() ? 0 : in.channels,
                     outPtr, in.channels, static_cast<int>(n));
        for (int c = 0; c < in.channels; ++c)
            std::copy_n(outBlock[static_cast<size_t>(c)].begin(), n, out.data[static_cast<size_t>(c)].begin() + static_cast<long>(at));
    }
    host.SetActive(false);
    if (compensate)
        for (auto& c : out.data)
            c.erase(c.begin(), c.begin() + static_cast<long>(latency));

    if (!WriteAudio(output, out))
        return 1;
    std::printf("%s: %zu frames at %d Hz, %d channel(s), latency %zu%s; peak in %.2f dBFS, out %.2f dBFS\n",
                output.c_str(), out.frames(), out.rate, out.channels, latency, compensate ? " (compensated)" : "",
                PeakDb(in), PeakDb(out));
    return 0;
}
