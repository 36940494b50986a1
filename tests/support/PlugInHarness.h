// A plug-in object driven as a host would drive it, with a host that records what
// the plug-in tells it.
#pragma once

#include "product/plugin/QuillstripParameterIds.h"
#include "product/plugin/QuillstripPlugIn.h"

#include <cstring>
#include <memory>
#include <vector>

struct RecordingHost : zt::ztpi::IHost {
    std::vector<int32_t> changed;
    int latencyChanges = 0;
    void BeginEdit(int32_t) override {}
    void ParameterChanged(int32_t index) override { changed.push_back(index); }
    void EndEdit(int32_t) override {}
    void GetHostName(char* text) override { std::strcpy(text, "test"); }
    void GetHostVendor(char* text) override { std::strcpy(text, "test"); }
    void LatencyChanged() override { ++latencyChanges; }
};

// Automation indices used by the tests (the host's parameter ids).
enum : int32_t {
    kIdxBypass = 0,
    kIdxOversample = 1,
    kIdxInputGain = 2,
    kIdxInputPhase = 3,
    kIdxInputDelay = 4,
    kIdxOutputGain = 5,
    kIdxRouting = 6,
    kIdxBand1Enable = 7,
    kIdxGateScMonitor = 51,
    kIdxGateScEnable = 50,
    kIdxCompThreshold = 61,
    kIdxCompScEnable = 68,
    kIdxCompScMonitor = 69,
};

class PlugInHarness {
public:
    explicit PlugInHarness(int32_t rate = 48000, int32_t channels = 2, int32_t sidechain = 0)
        : plugIn_(new CQuillstripPlugIn(&host))
    {
        plugIn_->Open();
        plugIn_->SetChannelConfig(channels, channels, sidechain);
        plugIn_->SetMaxBlockSize(512);
        plugIn_->SetSampleRate(rate);
        plugIn_->Resume();
        host.changed.clear();
    }
    ~PlugInHarness() { plugIn_.release()->Destroy(); }

    zt::ztpi::IPlugIn& plugIn() { return *plugIn_; }
    CQuillstripPlugIn& product() { return *plugIn_; }
    zt::de::IParameterManager& parameters() { return *plugIn_->GetParameterManager(); }

    // Runs one host block; channels hold main inputs then side-chain inputs.
    std::vector<std::vector<float>> Run(const std::vector<std::vector<float>>& in, int32_t outputs = 2)
    {
        const int32_t frames = in.empty() ? 0 : static_cast<int32_t>(in[0].size());
        inputs_ = in;
        std::vector<std::vector<float>> out(static_cast<size_t>(outputs),
                                            std::vector<float>(static_cast<size_t>(frames), 7.0f));
        std::vector<float*> inPtr, outPtr;
        for (auto& c : inputs_)
            inPtr.push_back(c.data());
        for (auto& c : out)
            outPtr.push_back(c.data());
        plugIn_->Process(outPtr.data(), inPtr.data(), frames);
        return out;
    }

    RecordingHost host;

private:
    std::unique_ptr<CQuillstripPlugIn> plugIn_;
    std::vector<std::vector<float>> inputs_;
};

// A deterministic test signal in [-1, 1).
inline std::vector<float> Noise(size_t frames, uint32_t seed)
{
    std::vector<float> v(frames);
    for (auto& x : v) {
        seed = seed * 1664525u + 1013904223u;
        x = static_cast<float>(static_cast<int32_t>(seed) / 2147483648.0);
    }
    return v;
}
