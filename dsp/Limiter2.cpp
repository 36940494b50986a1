#include "dsp/Limiter2.h"

#include <algorithm>
#include <cmath>

void CLimiter2::Setup(int32_t channels, float sampleRate, float recoveryTime)
{
    if (channels == channels_ && sampleRate == sampleRate_ && recoveryTime == recoveryTime_)
        return;
    channels_ = channels;
    sampleRate_ = sampleRate;
    recoveryTime_ = recoveryTime;
    recoveryStep_ = static_cast<float>((0.004 / recoveryTime) * 44100.0 / sampleRate);
}

void CLimiter2::SetThreshold(float dB)
{
    ceiling_.store(static_cast<float>(std::pow(10.0, dB / 20.0)), std::memory_order_relaxed);
}

void CLimiter2::Reset()
{
    gainLeft_ = gainRight_ = 1.0f;
}

float CLimiter2::Run(double* x, int32_t n, float& gain, float ceiling) const
{
    // The output is compared with a float ceiling and stored as float by the engine, so
    // the landing gain is computed so that |x * g| never rounds above the ceiling.
    float smallest = 1.0f;
    float g = gain;
    for (int32_t i = 0; i < n; ++i) {
        if (g < 1.0f)
            g = std::min(1.0f, g + recoveryStep_);          // constant-rate recovery
        double y = x[i] * g;
        if (std::fabs(y) >= ceiling) {
            g = std::min(g, static_cast<float>(std::fabs(ceiling / x[i])));  // land on the ceiling
            y = x[i] * g;
            while (static_cast<float>(std::fabs(y)) > ceiling) {            // never above it
                g = std::nextafter(g, 0.0f);
                y = x[i] * g;
            }
        }
        x[i] = y;
        smallest = std::min(smallest, g);
    }
    gain = g;
    return smallest;
}

float CLimiter2::ProcessStereo(double* left, double* right, int32_t n)
{
    if (n < 1)
        return 1.0f;
    const float ceiling = ceiling_.load(std::memory_order_relaxed);
    const float l = Run(left, n, gainLeft_, ceiling);
    const float r = Run(right, n, gainRight_, ceiling);
    return std::min(l, r);
}

float CLimiter2::ProcessMono(double* x, int32_t n)
{
    if (n < 1)
        return 1.0f;
    return Run(x, n, gainLeft_, ceiling_.load(std::memory_order_relaxed));
}
