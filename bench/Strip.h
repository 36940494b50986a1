// A plug-in object with its chain set up, as benchmarks of the whole chain use it.
#pragma once

#include "NullHost.h"
#include "product/plugin/QuillstripParameterIds.h"
#include "product/plugin/QuillstripPlugIn.h"

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <utility>

namespace bench {

using namespace quillstrip;

// The plug-in with its chain set up, fed fresh input every chunk: a stereo mix of three
// tones whose level swings between about -30 and -3 dBFS over 2048 frames, so the gate,
// the compressors and the limiter keep working. (Output never feeds back into input: a
// chain with gain would run away to infinity and NaN, which is not what users run.)
template <int Frames = 32>
class CStrip {
public:
    static constexpr int kSourceFrames = 2048;

    explicit CStrip(std::initializer_list<std::pair<int32_t, float>> settings)
        : plugIn_(std::make_unique<CQuillstripPlugIn>(&host_))
    {
        plugIn_->Open();
        plugIn_->SetChannelConfig(2, 2, 0);
        plugIn_->SetMaxBlockSize(Frames);
        for (const auto& [number, value] : settings)
            plugIn_->GetParameterManager()->SetValue(false, number, value, kSetProcessing);
        plugIn_->SetSampleRate(48000);
        plugIn_->Resume();
        for (int i = 0; i < kSourceFrames; ++i) {
            const double level = 0.7 * std::pow(0.03, 0.5 + 0.5 * std::cos(6.283185307179586 * i / kSourceFrames));
            const double t = i / 48000.0;
            l_[i] = static_cast<float>(level
                                       * (0.5 * std::sin(6.283 * 110 * t) + 0.3 * std::sin(6.283 * 1000 * t)
                                          + 0.2 * std::sin(6.283 * 5000 * t)));
            r_[i] = static_cast<float>(level
                                       * (0.5 * std::sin(6.283 * 110 * t + 0.5) + 0.3 * std::sin(6.283 * 900 * t)
                                          + 0.2 * std::sin(6.283 * 6000 * t)));
        }
        for (int i = 0; i < 2000; ++i)  // settle every glide
            Run();
    }
    void Run()
    {
        float* in[2] = {l_ + start_, r_ + start_};
        float* out[2] = {outL_, outR_};
        plugIn_->Process(out, in, Frames);
        start_ = (start_ + Frames) % kSourceFrames;
    }
    void Set(int32_t number, float value)
    {
        plugIn_->GetParameterManager()->SetValue(false, number, value, kSetProcessing);
    }

private:
    NullHost host_;
    std::unique_ptr<CQuillstripPlugIn> plugIn_;
    float l_[kSourceFrames], r_[kSourceFrames];
    float outL_[Frames], outR_[Frames];
    int start_ = 0;
};

// Six bands at work: two 48 dB cuts, a shelf and three bells.
inline const std::initializer_list<std::pair<int32_t, float>> kEqualiser = {
    {0 * kBandStride + kBandEnable, 1}, {0 * kBandStride + kBandType, 11},  {0 * kBandStride + kBandFreq, 40},
    {1 * kBandStride + kBandEnable, 1}, {1 * kBandStride + kBandType, 3},   {1 * kBandStride + kBandGain, 3},
    {2 * kBandStride + kBandEnable, 1}, {2 * kBandStride + kBandGain, -4},  {3 * kBandStride + kBandEnable, 1},
    {3 * kBandStride + kBandGain, 2},   {4 * kBandStride + kBandEnable, 1}, {4 * kBandStride + kBandGain, 2},
    {5 * kBandStride + kBandEnable, 1}, {5 * kBandStride + kBandType, 12},  {5 * kBandStride + kBandFreq, 15000},
};

// Every section on, on top of the equaliser.
inline constexpr int32_t kSectionSwitches[]
    = {kGateEnable, kCompEnable, kStereoEnable, kSaturationEnable, kLimiterEnable};

}  // namespace bench
