#include "product/editor/MeterFeed.h"

#include "framework/dspe/BaseDSPEngine.h"
#include "gui/toolkit/PeakMeter.h"
#include "gui/toolkit/TimedBitmap.h"

#include <algorithm>
#include <cmath>

CMeterFeed::CMeterFeed(const STargets& targets, uint32_t nowMs)
    : targets_(targets),
      lastMs_(nowMs)
{
}

float CMeterFeed::Decay(uint32_t dtMs)
{
    // exp(ln(0.001) * dt / 4500): the meters fall 60 dB of amplitude in 4.5 s.
    return float(std::max(0.0, std::exp(std::log(0.001) * double(dtMs) / 4500.0)));
}

float CMeterFeed::LevelReading(float peak)
{
    if (!(peak > 0.0f))
        return 0.0f;
    // Square root up to full scale, fourth root above it, so +12 dBFS (p = 4) is the top.
    const float v = peak <= 1.0f ? std::sqrt(peak) : std::sqrt(std::sqrt(peak));
    return std::min(v * 0.70710678f, 1.0f);
}

void CMeterFeed::Tick(zt::dspe::CBaseDSPEngine& engine, uint32_t nowMs)
{
    float peak[6];
    for (int32_t i = 0; i < 6; ++i) {
        peak[i] = engine.TakePeak(i);
        if (!std::isfinite(peak[i]))
            peak[i] = 0.0f;
    }
    float gain[3];
    for (int32_t i = 0; i < 3; ++i) {
        gain[i] = engine.TakeGainReduction(i);
        if (!std::isfinite(gain[i]))
            gain[i] = 1.0f;
        gain[i] = std::clamp(gain[i], 0.0f, 1.0f);
    }
    const float d = Decay(nowMs - lastMs_);
    lastMs_ = nowMs;

    for (int32_t i = 0; i < 4; ++i) {
        if (targets_.io[size_t(i)])
            targets_.io[size_t(i)]->Update(LevelReading(peak[i]), d);
        if (peak[i] >= 1.0f && targets_.clip[size_t(i)])
            targets_.clip[size_t(i)]->SwitchOn();
    }
    if (targets_.gateLevel)
        targets_.gateLevel->Update(std::sqrt(std::max(peak[4], 0.0f)), d);
    if (targets_.compLevel)
        targets_.compLevel->Update(std::sqrt(std::max(peak[5], 0.0f)), d);
    if (targets_.gateReduction)
        targets_.gateReduction->Update(1.0f - std::sqrt(gain[0]), d);
    if (targets_.compReduction)
        targets_.compReduction->Update(1.0f - std::sqrt(gain[1]), d);
    if (targets_.limiterReduction)
        targets_.limiterReduction->Update(1.0f - std::sqrt(gain[2]), d);
    if (gain[2] < 1.0f && targets_.limiterLight)
        targets_.limiterLight->SwitchOn();
}
