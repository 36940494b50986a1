#pragma once

#include "framework/de/DisplayConverter.h"

// Shows a fader value v (0..√2, 1 = unity) in dB by the gain law of the input and
// output stages: v² below 1, v⁴ from 1 up; 0 reads "-Inf".
class CGainDisplayConverter final : public zt::de::CDisplayConverter {
public:
    CGainDisplayConverter() : CDisplayConverter(1, 4) {}
    void Format(float value, char* text, int32_t size) const override;
    // dB back to the fader value: the inverse gain law; -Inf is 0.
    bool FromShown(double shown, float& plain) const override;

    // The applied gain factor of fader value v.
    static double GainOf(double v) { return v < 1.0 ? v * v : v * v * v * v; }
};
