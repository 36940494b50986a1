// The dynamics' detector low-pass as written, for tests to compare against: cookbook
// second order at freq, alpha = sin(w) / div, direct form I from zero state.
#pragma once

#include <cmath>
#include <vector>

namespace testref {

inline std::vector<double> CookbookLowPass(const std::vector<double>& x, int rate, double freq, double div)
{
    const double w = 6.283185307179586 * freq / rate, cw = std::cos(w), alpha = std::sin(w) / div;
    const double b0 = (1 - cw) / 2 / (1 + alpha), b1 = (1 - cw) / (1 + alpha);
    const double a1 = -2 * cw / (1 + alpha), a2 = (1 - alpha) / (1 + alpha);
    std::vector<double> y(x.size());
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        y[i] = b0 * x[i] + b1 * x1 + b0 * x2 - a1 * y1 - a2 * y2;
        x2 = x1, x1 = x[i], y2 = y1, y1 = y[i];
    }
    return y;
}

}  // namespace testref
