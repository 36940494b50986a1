// Parameter smoothing: every change of a registered parameter becomes a linear ramp
// of fixed speed, reported value by value through IBaseDezipperCallback.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>

namespace zt::dspe {

class IBaseDezipperCallback {
public:
    virtual ~IBaseDezipperCallback() = default;
    virtual void OnSmoothedValue(int32_t id, float value) = 0;
};

// Records are added once at set-up and never removed. SetTarget runs on whichever
// thread changes a parameter, Tick on the audio thread: targets and current values
// are single atomics, and the record list never changes while audio runs. Tick visits
// the records only while a ramp moves or after a new target, so a plug-in at rest
// pays one load per tick.
class CBaseDezipper {
public:
    virtual ~CBaseDezipper() = default;

    virtual void SetCallback(IBaseDezipperCallback* callback) { callback_ = callback; }
    // Step = (max - min) / rampMs: the whole span min..max is crossed in rampMs.
    virtual void AddParameter(int32_t id, float min, float max, float initial, double rampMs);
    // New target; reports the current value once so the receiver is in step.
    virtual void SetTarget(int32_t id, float value);
    // Advances every moving ramp by elapsedMs and reports each one that moved.
    virtual void Tick(float elapsedMs);
    // Advances one ramp sample by sample (1000/rate ms each), writing n values.
    virtual void FillRamp(int32_t id, float* out, int32_t n, int32_t rate);
    // Advances one ramp by samples * 1000 / rate ms without reporting.
    virtual void Advance(int32_t id, int32_t samples, int32_t rate);
    // Ends every ramp at its target, reporting those that were still moving.
    virtual void SnapAll();

    float GetCurrent(int32_t id) const;
    float GetTarget(int32_t id) const;

private:
    struct SRamp {
        int32_t id;
        double step;  // value units per millisecond
        std::atomic<float> current;
        std::atomic<float> target;
        SRamp(int32_t i, double s, float initial) : id(i), step(s), current(initial), target(initial) {}
    };

    SRamp* Find(int32_t id);
    const SRamp* Find(int32_t id) const;
    // One linear step of d towards the target, never past it.
    static float StepTowards(const SRamp& ramp, double elapsedMs);

    IBaseDezipperCallback* callback_ = nullptr;
    std::deque<SRamp> ramps_;
    // Set (release) after every new target, taken (acquire) by Tick before it reads the
    // targets, so a target stored before the flag is always seen.
    std::atomic<bool> retargeted_{false};
    bool moving_
        = false;  // audio side: some ramp had not reached its target  // deque: records hold atomics and never move
};

}  // namespace zt::dspe
