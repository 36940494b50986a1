#pragma once

#include "framework/de/ParameterInterfaces.h"

#include <string>
#include <vector>

namespace zt::de {

// Numeric display: a fixed number of decimals in a field of limited width, with an
// optional table of ranges that switch suffix, decimals and divisor (2500 Hz -> "2.5K").
class CDisplayConverter : public IDisplayConverter {
public:
    struct SRange {
        float upperBound;    // the row applies to values below this
        const char* suffix;  // may be empty
        int32_t decimals;
        float divisor;  // -1: no division
    };

    explicit CDisplayConverter(int32_t decimals = 0, int32_t width = 32) : decimals_(decimals), width_(width) {}

    void Format(float value, char* text, int32_t size) const override;
    // The number shown is the plain value itself.
    bool FromShown(double shown, float& plain) const override;
    void SetPrefix(const char* prefix) override { prefix_ = prefix ? prefix : ""; }
    void SetUnit(const char* unit) override { unit_ = unit ? unit : ""; }
    const char* GetUnit() const override { return unit_.c_str(); }
    void SetDecimals(int32_t decimals) override { decimals_ = decimals; }
    int32_t GetDecimals() const override { return decimals_; }
    void SetWidth(int32_t width) override { width_ = width; }
    int32_t GetWidth() const { return width_; }
    void SetRanges(std::vector<SRange> ranges) { ranges_ = std::move(ranges); }

    // The number alone, by the rounding and width rules (no prefix, suffix or unit).
    static std::string FormatNumber(double value, int32_t decimals, int32_t width);

    // Frequency tables: below 1 kHz in Hz, then kHz with a "K" suffix.
    static std::vector<SRange> FrequencyRanges(int32_t decimalsBelow1k);

protected:
    // The text of value with prefix, range suffix and unit.
    std::string Compose(double value, int32_t decimals, int32_t width) const;

private:
    int32_t decimals_;
    int32_t width_;
    std::string prefix_;
    std::string unit_;
    std::vector<SRange> ranges_;
};

// Copies text into a caller buffer of size bytes (at least a terminator when size > 0).
void CopyText(const std::string& text, char* destination, int32_t size);

}  // namespace zt::de
