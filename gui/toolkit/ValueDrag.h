#pragma once

#include <cstdint>

#include "gui/native/Geometry.h"

namespace zt::ge {

// The drag rule that knobs, sliders and scroll bars share: the value moves
// in steps of 1/60000 from where the drag was anchored, one step per
// `unitsPerStep` pixels of pointer travel, and a tenth of that with the
// fine key. When the fine key changes during the drag, the anchor moves to
// the current point and value, so the value never jumps.
class CValueDrag {
public:
    static constexpr float kStepsPerRange = 60000.0f;
    static constexpr float kStepsPerSensitivity = 60001.0f;

    // Pixels per step for a sensitivity s >= 0: (1 - s) * 600 / 60001; for a
    // negative s the travel decides, so the value follows the pointer.
    static float UnitsPerStep(float sensitivity, int32_t travel);

    void Start(SPoint point, float value, bool fine);
    void Stop() { dragging_ = false; }
    bool IsDragging() const { return dragging_; }

    // The value for the pointer at point. vertical: upward movement adds;
    // otherwise rightward movement adds.
    float Move(SPoint point, float currentValue, bool fine, float unitsPerStep, bool vertical);

private:
    bool dragging_ = false;
    SPoint anchor_;
    float anchorValue_ = 0.0f;
    bool fine_ = false;
};

}  // namespace zt::ge
