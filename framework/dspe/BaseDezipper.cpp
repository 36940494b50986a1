#include "framework/dspe/BaseDezipper.h"

#include <algorithm>

namespace zt::dspe {

void CBaseDezipper::AddParameter(int32_t id, float min, float max, float initial, double rampMs)
{
    ramps_.emplace_back(id, (double(max) - double(min)) / rampMs, initial);
}

CBaseDezipper::SRamp* CBaseDezipper::Find(int32_t id)
{
    for (SRamp& ramp : ramps_)
        if (ramp.id == id)
            return &ramp;
    return nullptr;
}

const CBaseDezipper::SRamp* CBaseDezipper::Find(int32_t id) const { return const_cast<CBaseDezipper*>(this)->Find(id); }

void CBaseDezipper::SetTarget(int32_t id, float value)
{
    SRamp* ramp = Find(id);
    if (!ramp)
        return;
    ramp->target.store(value, std::memory_order_relaxed);
    retargeted_.store(true, std::memory_order_release);
    if (callback_)
        callback_->OnSmoothedValue(id, ramp->current.load(std::memory_order_relaxed));
}

float CBaseDezipper::StepTowards(const SRamp& ramp, double elapsedMs)
{
    // d = step * elapsed in double, rounded to float; the ramp is linear in plain units.
    const float d = static_cast<float>(ramp.step * elapsedMs);
    const float current = ramp.current.load(std::memory_order_relaxed);
    const float target = ramp.target.load(std::memory_order_relaxed);
    return target <= current ? std::max(current - d, target) : std::min(current + d, target);
}

void CBaseDezipper::Tick(float elapsedMs)
{
    // Only Tick clears the flag, so a set flag seen by the load is still set for the exchange.
    const bool retargeted
        = retargeted_.load(std::memory_order_relaxed) && retargeted_.exchange(false, std::memory_order_acquire);
    if (!moving_ && !retargeted)
        return;
    bool moving = false;
    for (SRamp& ramp : ramps_) {
        if (ramp.current.load(std::memory_order_relaxed) == ramp.target.load(std::memory_order_relaxed))
            continue;
        const float next = StepTowards(ramp, elapsedMs);
        ramp.current.store(next, std::memory_order_relaxed);
        moving = moving || next != ramp.target.load(std::memory_order_relaxed);
        if (callback_)
            callback_->OnSmoothedValue(ramp.id, next);
    }
    moving_ = moving;
}

void CBaseDezipper::FillRamp(int32_t id, float* out, int32_t n, int32_t rate)
{
    SRamp* ramp = Find(id);
    if (!ramp || rate <= 0)
        return;
    const double perSample = 1000.0 / rate;
    moving_ = true;  // the next tick looks again
    for (int32_t i = 0; i < n; ++i) {
        const float next = StepTowards(*ramp, perSample);
        ramp->current.store(next, std::memory_order_relaxed);
        out[i] = next;
    }
}

void CBaseDezipper::Advance(int32_t id, int32_t samples, int32_t rate)
{
    SRamp* ramp = Find(id);
    if (!ramp || rate <= 0)
        return;
    ramp->current.store(StepTowards(*ramp, double(samples) * 1000.0 / rate), std::memory_order_relaxed);
    moving_ = true;
}

void CBaseDezipper::SnapAll()
{
    for (SRamp& ramp : ramps_) {
        const float target = ramp.target.load(std::memory_order_relaxed);
        if (ramp.current.load(std::memory_order_relaxed) != target && callback_)
            callback_->OnSmoothedValue(ramp.id, target);
        ramp.current.store(target, std::memory_order_relaxed);
    }
}

float CBaseDezipper::GetCurrent(int32_t id) const
{
    const SRamp* ramp = Find(id);
    return ramp ? ramp->current.load(std::memory_order_relaxed) : 0.0f;
}

float CBaseDezipper::GetTarget(int32_t id) const
{
    const SRamp* ramp = Find(id);
    return ramp ? ramp->target.load(std::memory_order_relaxed) : 0.0f;
}

}  // namespace zt::dspe
