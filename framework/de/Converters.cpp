#include "framework/de/Converters.h"

#include <cmath>

namespace zt::de {

double CConverterLinear::ToNormalized(float plain) const { return (double(plain) - min_) / (double(max_) - min_); }

float CConverterLinear::FromNormalized(double normalized) const
{
    return static_cast<float>(min_ + (double(max_) - min_) * normalized);
}

double CConverterLog::ToNormalized(float plain) const
{
    const double t = (double(plain) - min_) / (double(max_) - min_);
    return std::log10(t * (double(base_) - 1.0) + 1.0) / std::log10(double(base_));
}

float CConverterLog::FromNormalized(double normalized) const
{
    double t = (std::pow(10.0, std::log10(double(base_)) * normalized) - 1.0) / (double(base_) - 1.0);
    if (t > 0.999999)  // so that 1.0 lands exactly on the maximum
        t = 1.0;
    return static_cast<float>(min_ + (double(max_) - min_) * t);
}

double CConverterTrueLog::ToNormalized(float plain) const
{
    return std::log(double(plain) / min_) / std::log(double(max_) / min_);
}

float CConverterTrueLog::FromNormalized(double normalized) const
{
    return static_cast<float>(min_ * std::exp(std::log(double(max_) / min_) * normalized));
}

CConverterX3::CConverterX3(float minimum, float maximum, unsigned decade)
    : CConverter(minimum, maximum), m_(std::pow(10.0, double(decade))), pivot_(std::pow(m_ / maximum, 0.25))
{}

double CConverterX3::ToNormalized(float plain) const
{
    const double r = double(plain) / m_;
    if (r == 0.0)
        return 0.0;
    return r < 1.0 ? pivot_ * std::cbrt(r) : pivot_ * std::pow(r, 0.25);
}

float CConverterX3::FromNormalized(double normalized) const
{
    const double x = normalized / pivot_;
    return static_cast<float>(normalized < pivot_ ? m_ * x * x * x : m_ * x * x * x * x);
}

float PlainFromNormalized(int32_t kind, float minimum, float maximum, unsigned base, double normalized)
{
    switch (kind) {
    case IConverter::kLog:
        return CConverterLog(minimum, maximum, base).FromNormalized(normalized);
    case IConverter::kTrueLog:
        return CConverterTrueLog(minimum, maximum).FromNormalized(normalized);
    case IConverter::kCubic:
        return CConverterX3(minimum, maximum, base).FromNormalized(normalized);
    default:
        return CConverterLinear(minimum, maximum).FromNormalized(normalized);
    }
}

double NormalizedFromPlain(int32_t kind, float minimum, float maximum, unsigned base, float plain)
{
    switch (kind) {
    case IConverter::kLog:
        return CConverterLog(minimum, maximum, base).ToNormalized(plain);
    case IConverter::kTrueLog:
        return CConverterTrueLog(minimum, maximum).ToNormalized(plain);
    case IConverter::kCubic:
        return CConverterX3(minimum, maximum, base).ToNormalized(plain);
    default:
        return CConverterLinear(minimum, maximum).ToNormalized(plain);
    }
}

std::unique_ptr<IConverter> MakeConverter(int32_t kind, float minimum, float maximum, unsigned base)
{
    switch (kind) {
    case IConverter::kLog:
        return std::make_unique<CConverterLog>(minimum, maximum, base);
    case IConverter::kTrueLog:
        return std::make_unique<CConverterTrueLog>(minimum, maximum);
    case IConverter::kCubic:
        return std::make_unique<CConverterX3>(minimum, maximum, base);
    default:
        return std::make_unique<CConverterLinear>(minimum, maximum);
    }
}

}  // namespace zt::de
