#include "framework/dspe/BaseDSPEngine.h"

namespace zt::dspe {

CBaseDSPEngine::CBaseDSPEngine()
{
    for (int32_t i = 0; i < kMeterSlots; ++i) {
        peak_[i].store(0.0f, std::memory_order_relaxed);
        gainReduction_[i].store(1.0f, std::memory_order_relaxed);
    }
}

void CBaseDSPEngine::HoldPeak(int32_t slot, float value)
{
    if (value > peak_[slot].load(std::memory_order_relaxed))
        peak_[slot].store(value, std::memory_order_relaxed);
}

void CBaseDSPEngine::HoldGainReduction(int32_t slot, float gain)
{
    if (gain < gainReduction_[slot].load(std::memory_order_relaxed))
        gainReduction_[slot].store(gain, std::memory_order_relaxed);
}

}  // namespace zt::dspe
