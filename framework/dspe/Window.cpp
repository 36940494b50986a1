#include "framework/dspe/Window.h"

#include <cmath>

namespace zt::dspe {

void CWindow::Init(int32_t type, int32_t /*reserved*/, int32_t n)
{
    w_.assign(static_cast<size_t>(n > 0 ? n : 0), 0.0f);
    const double step = 2.0 * M_PI / double(n);
    for (size_t i = 0; i < w_.size(); ++i) {
        const double a = step * double(i);
        if (type == kBlackmanHarris)
            w_[i] = static_cast<float>(0.35875 - 0.48829 * std::cos(a) + 0.14128 * std::cos(2.0 * a)
                                       - 0.01168 * std::cos(3.0 * a));
        else if (type == kHann)
            w_[i] = static_cast<float>(0.5 * (1.0 - std::cos(a)));
    }
}

void CWindow::Apply(float* x) const
{
    const size_t n = w_.size();
    for (size_t i = 0; i < n; ++i)
        x[i] *= w_[i];
}

}  // namespace zt::dspe
