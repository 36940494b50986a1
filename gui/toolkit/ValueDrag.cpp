#include "gui/toolkit/ValueDrag.h"

#include <cmath>

namespace zt::ge {

float CValueDrag::UnitsPerStep(float sensitivity, int32_t travel)
{
    if (sensitivity >= 0.0f)
        return (1.0f - sensitivity) * 600.0f / kStepsPerSensitivity;
    return float(travel) / kStepsPerSensitivity;
}

void CValueDrag::Start(SPoint point, float value, bool fine)
{
    dragging_ = true;
    anchor_ = point;
    anchorValue_ = value;
    fine_ = fine;
}

float CValueDrag::Move(SPoint point, float currentValue, bool fine, float unitsPerStep, bool vertical)
{
    if (fine != fine_)
        Start(point, currentValue, fine);
    const int64_t delta = vertical ? int64_t(anchor_.y) - point.y : int64_t(point.x) - anchor_.x;
    if (!(unitsPerStep > 0.0f))
        return currentValue;  // a sensitivity of 1 or more stands still
    // std::round takes halves away from zero; the fine key divides towards zero.
    // Far beyond any range, but inside what converts to an integer.
    const float raw = std::fmax(-1e12f, std::fmin(1e12f, std::round(float(delta) / unitsPerStep)));
    int64_t steps = int64_t(raw);
    if (fine)
        steps /= 10;
    return anchorValue_ + float(steps) / kStepsPerRange;
}

}  // namespace zt::ge
