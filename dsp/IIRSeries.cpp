#include "dsp/IIRSeries.h"

#include "dsp/IIR.h"

void CIIRSeries::Add(CIIR& filter)
{
    // A resting filter passes the signal as it stands here without a block step of its own.
    if (filter.RestsAtIdentity()) {
        RunQueued();
        if (filter.PassResting(left_, right_, n_, &ordinary_))
            return;
    }
    if (filterCount_ == kMaxFilters)
        Finish();
    filters_[filterCount_++] = &filter;
    filter.PrepareBlock(2, n_);

    // An identity biquad passes the signal as it stands here, so what is queued runs first.
    bool passed = false;
    if (filter.CurrentIsIdentity()) {
        RunQueued();
        passed = filter.PassIdentity(left_, right_, n_, &ordinary_);
    }
    if (!passed) {
        const int32_t stages = filter.StageCount();
        if (queuedCount_ + stages > kMaxQueued)
            RunQueued();
        for (int32_t s = 0; s < stages; ++s)
            queued_[queuedCount_++] = {filter.current_.data(), filter.state_[0][s], filter.state_[1][s]};
    }
    if (filter.stageMode_ == CIIR::kWithFirstOrder) {
        RunQueued();
        filter.RunFirstOrderStereo(left_, right_, n_);
        ordinary_ = -1;
    }
}

void CIIRSeries::Skip(CIIR& filter)
{
    RunQueued();
    filter.SkipResting(left_, right_, n_);
}

void CIIRSeries::Finish()
{
    RunQueued();
    for (int32_t i = 0; i < filterCount_; ++i)
        filters_[i]->FlushDirty();
    filterCount_ = 0;
}

void CIIRSeries::RunQueued()
{
    if (queuedCount_ == 0)
        return;
    biquad::RunSeries(queued_, queuedCount_, left_, right_, n_, kernel_);
    queuedCount_ = 0;
    ordinary_ = -1;
}
