// Plain <-> normalized converters. All arithmetic is double precision on float input.
#pragma once

#include "framework/de/ParameterInterfaces.h"

#include <memory>

namespace zt::de {

class CConverter : public IConverter {
public:
    CConverter(float minimum, float maximum) : min_(minimum), max_(maximum) {}
    bool IsLinear() const override { return GetKind() == kLinear; }

protected:
    float min_;
    float max_;
};

// n = (v - min) / (max - min)
class CConverterLinear final : public CConverter {
public:
    using CConverter::CConverter;
    double ToNormalized(float plain) const override;
    float FromNormalized(double normalized) const override;
    EKind GetKind() const override { return kLinear; }
};

// Logarithmic curve with base B: n = log10(t * (B - 1) + 1) / log10(B), t = (v - min) / (max - min).
// Dense resolution at the low end of the range for large B.
class CConverterLog final : public CConverter {
public:
    CConverterLog(float minimum, float maximum, unsigned base) : CConverter(minimum, maximum), base_(base) {}
    double ToNormalized(float plain) const override;
    float FromNormalized(double normalized) const override;
    EKind GetKind() const override { return kLog; }
    unsigned GetBase() const { return base_; }

private:
    unsigned base_;
};

// Constant ratio per step: n = ln(v / min) / ln(max / min). Needs min > 0.
class CConverterTrueLog final : public CConverter {
public:
    using CConverter::CConverter;
    double ToNormalized(float plain) const override;
    float FromNormalized(double normalized) const override;
    EKind GetKind() const override { return kTrueLog; }
};

// Cube law below the pivot, fourth power above it, over 0..max. M = 10^decade,
// pivot p = (M / max)^(1/4). The minimum is not used.
class CConverterX3 final : public CConverter {
public:
    CConverterX3(float minimum, float maximum, unsigned decade);
    double ToNormalized(float plain) const override;
    float FromNormalized(double normalized) const override;
    EKind GetKind() const override { return kCubic; }

private:
    double m_;
    double pivot_;
};

// The same conversions without a converter object on the heap, for the audio thread.
float PlainFromNormalized(int32_t kind, float minimum, float maximum, unsigned base, double normalized);
double NormalizedFromPlain(int32_t kind, float minimum, float maximum, unsigned base, float plain);

// Builds the converter a parameter's automation record names (base is the log base,
// or the decade for the cubic converter).
std::unique_ptr<IConverter> MakeConverter(int32_t kind, float minimum, float maximum, unsigned base);

}  // namespace zt::de
