#include "product/engine/QuillstripDSP.h"

#include "dsp/simd/Finite.h"
#include "dsp/IIRSeries.h"
#include "dsp/simd/Pair.h"
#include "dsp/simd/Vector.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The largest |sample| (NaNs are passed over), and whether every sample is finite.
struct SBlockScan {
    float peak;
    bool finite;
};

// Eight running maxima instead of one, so the comparisons do not wait on each other:
// the maximum of a set does not depend on the order it is taken in. Beside them, the
// lanes whose exponent field is all ones (infinity, NaN) are ORed together.
SBlockScan ScanBlock(const float* samples, int32_t frames)
{
    using Floats = simd::SVector<float, 4>::V;
    using FloatBits = simd::SVector<int32_t, 4>::V;
    const FloatBits magnitude = FloatBits{} + 0x7fffffff;
    auto absolute = [&](const float* p) {
        Floats v;
        std::memcpy(&v, p, sizeof v);
        return Floats(FloatBits(v) & magnitude);
    };
    // peak < x ? x : peak, as std::max(peak, x): a NaN x leaves the peak.
    const FloatBits exponent = FloatBits{} + 0x7f800000;
    Floats a{}, b{};
    FloatBits odd{};
    int32_t i = 0;
    for (; i + 8 <= frames; i += 8) {
        const Floats x = absolute(samples + i), y = absolute(samples + i + 4);
        a = a < x ? x : a;
        b = b < y ? y : b;
        odd |= ((FloatBits(x) & exponent) == exponent) | ((FloatBits(y) & exponent) == exponent);
    }
    // Neither maximum ever holds a NaN, so the lanes fold in any order.
    a = a < b ? b : a;
    using Mask = simd::SVector<int32_t, 4>::V;
    Floats folded;
    simd::Shuffle(folded, a, a, Mask{2, 3, 0, 1});
    a = a < folded ? folded : a;
    simd::Shuffle(folded, a, a, Mask{1, 0, 3, 2});
    a = a < folded ? folded : a;
    float peak = a[0];
    bool finite = (odd[0] | odd[1] | odd[2] | odd[3]) == 0;
    for (; i < frames; ++i) {
        peak = std::max(peak, std::fabs(samples[i]));
        finite = finite && std::isfinite(samples[i]);
    }
    return {peak, finite};
}

// out = float(outGain * (inGain * double(in))): the input and output stages of the chain
// with nothing between them, rounded as they round.
void ScaleThrough(const float* in, double inGain, double outGain, float* out, int32_t n)
{
    const pairs::Pair gi = {inGain, inGain}, go = {outGain, outGain};
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        pairs::Pair low, high;
        pairs::LoadFloats(in + i, low, high);
        pairs::StoreFloats(out + i, go * (gi * low), go * (gi * high));
    }
    for (; i < n; ++i)
        out[i] = static_cast<float>(outGain * (inGain * double(in[i])));
}

}  // namespace

CQuillstripDSP::CQuillstripDSP()
{
    sampleRate_ = 44100;
    for (int32_t i = 0; i < kFilters; ++i)
        DesignFilter(i);
    CheckBandsResting();
}

CIIR& CQuillstripDSP::FilterAt(int32_t index)
{
    return index < kBands ? bands_[index] : index == kGateKeyFilter ? gateKeyFilter_ : compKeyFilter_;
}

void CQuillstripDSP::DesignFilter(int32_t index)
{
    const FilterSettings& f = filters_[index];
    CIIR& iir = FilterAt(index);
    if (!f.on.load(std::memory_order_relaxed))
        iir.DesignFlat(sampleRate_);
    else
        iir.Design(f.type.load(std::memory_order_relaxed), sampleRate_, f.freq.load(std::memory_order_relaxed),
                   f.gain.load(std::memory_order_relaxed), f.q.load(std::memory_order_relaxed));
}

void CQuillstripDSP::DesignDirtyFilters()
{
    if (dirtyFilters_.load(std::memory_order_relaxed) == 0)
        return;
    uint32_t dirty = dirtyFilters_.exchange(0, std::memory_order_acquire);
    for (int32_t i = 0; dirty != 0; ++i, dirty >>= 1)
        if (dirty & 1u) {
            if (i < kBands)
                PayBand(i);
            DesignFilter(i);
        }
    CheckBandsResting();
}

void CQuillstripDSP::PayBand(int32_t band)
{
    // Paid in the shape the band rested in: a new design may run more stages, whose
    // memory the chain would not have touched meanwhile.
    const uint32_t bit = 1u << band;
    if (idleBands_ & bit) {
        bands_[band].PassedIdentity(idleHistory_, channels_);
        idleBands_ &= ~bit;
    }
    if (owedBands_ & bit) {
        const double(*tail)[2] = band < owedLone_ ? owedAhead_ : owedBehind_;
        bands_[band].SkipResting(tail[0], tail[1], 2);
        owedBands_ &= ~bit;
    }
}

bool CQuillstripDSP::ReadsSideChain() const
{
    auto external = [&](int32_t filter, const std::atomic<bool>& chosen) {
        return filters_[filter].on.load(std::memory_order_relaxed) && chosen.load(std::memory_order_relaxed);
    };
    return sideChainPresent_ && (external(kGateKeyFilter, gateExternal_) || external(kCompKeyFilter, compExternal_));
}

void CQuillstripDSP::Configure(int32_t channels, bool sideChainPresent)
{
    channels_ = std::clamp(channels, 1, 2);
    sideChainPresent_ = sideChainPresent;
    SetUpSections();
}

// Rate-dependent set-up of the dynamics sections, and the limiter stage's fixed settings.
void CQuillstripDSP::SetUpSections()
{
    gate_.SetSampleRate(sampleRate_);
    compressor1_.SetSampleRate(sampleRate_);
    compressor2_.SetSampleRate(sampleRate_);
    limiterStage_.SetAttackMs(49.0f);
    limiterStage_.SetDetectionMode(dynamics::kPeak);
    limiterStage_.SetKneePercent(100.0f);
    limiterStage_.SetOutputGainDb(0.0f);
    limiterStage_.SetRatio(20.0f);
    // Linked: a peak on one side does not shift the image.
    limiterStage_.SetStereoMode(dynamics::kLinked);
    limiterStage_.SetSampleRate(sampleRate_);
    limiter2_.Setup(std::max(channels_, 1), static_cast<float>(sampleRate_), 100.0f);
}

void CQuillstripDSP::SetLimiter(float inputDb, float thresholdDb)
{
    SetLimiterInputGain(static_cast<float>(std::pow(10.0, inputDb / 20.0)));
    limiter2_.SetThreshold(thresholdDb);
    limiterStage_.SetThresholdDb(thresholdDb - 6.0f);
}

void CQuillstripDSP::SetLimiterRelease(float ms) { limiterStage_.SetReleaseMs(std::max(ms, 101.0f) - 100.0f); }

void CQuillstripDSP::SetSampleRate(int32_t rate)
{
    CBaseDSPEngine::SetSampleRate(rate);
    width_.SetSampleRate(rate);
    saturator_.SetSampleRate(rate);
    SetUpSections();
    for (int32_t i = 0; i < kFilters; ++i) {
        FilterAt(i).SetSampleRate(rate);
        DesignFilter(i);
    }
    CheckBandsResting();
}

void CQuillstripDSP::Reset()
{
    // Settings made while stopped take effect at once, without a glide from the old ones.
    DesignDirtyFilters();
    ResetSectionStates();
    // The delay lines keep their contents: a delay of 0 never reads them, and a new
    // delay reads what the line held, as it would have without a reset.
}

void CQuillstripDSP::ResetSectionStates()
{
    idleBands_ = 0;
    owedBands_ = 0;
    for (int32_t i = 0; i < kFilters; ++i)
        FilterAt(i).Reset();
    width_.Reset();
    saturator_.Reset();
    gate_.Reset();
    compressor1_.Reset();
    compressor2_.Reset();
    limiterStage_.Reset();
    limiter2_.Reset();
    CheckBandsResting();
}

void CQuillstripDSP::SetShortcuts(bool on)
{
    shortcuts_ = on;
    CheckBandsResting();
}

bool CQuillstripDSP::RestsIdle(int32_t frames) const
{
    if (!shortcuts_ || restingBands_ != kAllBands || GetInputDelay() != 0 || AnySectionOn())
        return false;
    // A single frame would leave each band a state of its own, not one shared history,
    // unless the same bands took the history of the chunk before.
    return frames >= 2 || idleBands_ == HeardBands();
}

uint32_t CQuillstripDSP::HeardBands() const
{
    // Read on every chunk (solos change without a redesign): six loads, no branch.
    uint32_t soloed = 0;
#pragma GCC unroll 6
    for (int32_t b = 0; b < kBands; ++b)
        soloed |= uint32_t(filters_[b].solo.load(std::memory_order_relaxed) != 0) << b;
    return soloed != 0 ? soloed : kAllBands;
}

void CQuillstripDSP::PayIdleHistory()
{
    for (uint32_t owed = idleBands_; owed != 0; owed &= owed - 1u)
        bands_[__builtin_ctz(owed)].PassedIdentity(idleHistory_, channels_);
    idleBands_ = 0;
}

void CQuillstripDSP::CheckBandsResting()
{
    uint32_t resting = 0;
    for (int32_t b = 0; b < kBands; ++b)
        resting |= shortcuts_ && bands_[b].RestsAtIdentity() ? 1u << b : 0u;
    restingBands_ = resting;
}

void CQuillstripDSP::PassIdle(float** outputs, float** inputs, int32_t frames, const float* inPeaks, bool finiteIn)
{
    const int32_t channels = channels_;
    const bool bypassed = IsBypassed();
    const double inGain = bypassed ? 1.0 : InputStageGain();
    const double outGain = bypassed ? 1.0 : double(GetOutputGain());
    const bool copy = inGain == 1.0 && outGain == 1.0;
    if (!bypassed) {
        // What the bands heard would have seen last, owed to them until the chain runs
        // again (only the heard bands run in the chain); taken before the output is
        // written, which may be the input's buffer. Bands owed from before that are no
        // longer heard, or not heard now, get their due first.
        const uint32_t heard = HeardBands();
        if (idleBands_ != heard)
            PayIdleHistory();
        if (owedBands_ & ~heard)
            PayOwedBands();
        for (int32_t c = 0; c < channels; ++c) {
            double* history = idleHistory_[c];
            if (frames >= 2) {
                history[1] = inGain * double(inputs[c][frames - 2]);
                history[0] = inGain * double(inputs[c][frames - 1]);
            } else {
                history[1] = history[0];
                history[0] = inGain * double(inputs[c][0]);
            }
        }
        idleBands_ = heard;
        owedBands_ = 0;  // the idle history replaces the whole state of the bands heard
        if (!finiteIn) {
            // As the chain does with a non-finite block and nothing on: it passes, and
            // every section starts afresh.
            ResetSectionStates();
        }
    }
    for (int32_t c = 0; c < channels; ++c) {
        if (copy) {
            if (outputs[c] != inputs[c])
                std::memmove(outputs[c], inputs[c], sizeof(float) * static_cast<size_t>(frames));
        } else {
            ScaleThrough(inputs[c], inGain, outGain, outputs[c], frames);
        }
    }

    // Output meter; a copy has the input's.
    float outPeaks[2] = {inPeaks[0], inPeaks[1]};
    if (!copy) {
        bool finiteOut = true;
        for (int32_t c = 0; c < channels; ++c) {
            const SBlockScan scan = ScanBlock(outputs[c], frames);
            outPeaks[c] = scan.peak;
            finiteOut = finiteOut && scan.finite;
        }
        // A gain that overflowed: the block passes as it is (nothing is on), the
        // sections start afresh.
        if (!finiteOut)
            ResetSectionStates();
    }
    for (int32_t c = 0; c < channels; ++c)
        HoldPeak(kPeakOutL + c, outPeaks[c]);
    if (channels == 1)
        HoldPeak(kPeakOutR, GetPeak(kPeakOutL));
}

// Every flag read, no early exit: a dozen loads cost less than the branches.
bool CQuillstripDSP::AnySectionOn() const
{
    unsigned any = 0;
    for (int32_t b = 0; b < kBands; ++b)
        any |= unsigned(filters_[b].on.load(std::memory_order_relaxed));
    return (any | unsigned(AnyOtherSectionOn())) != 0;
}

bool CQuillstripDSP::AnyOtherSectionOn() const
{
    auto on = [](const std::atomic<bool>& flag) { return unsigned(flag.load(std::memory_order_relaxed)); };
    return (on(gateOn_) | on(compOn_) | on(widthOn_) | on(saturationOn_) | on(limiterOn_) | on(gateListen_)
            | on(compListen_))
        != 0;
}

double CQuillstripDSP::InputStageGain() const
{
    return phaseInverted_.load(std::memory_order_relaxed) ? -double(GetInputGain()) : double(GetInputGain());
}

void CQuillstripDSP::SetInputDelay(int32_t samples)
{
    inputDelay_.store(std::clamp(samples, 0, DelayLine::kMaxDelay), std::memory_order_relaxed);
}

void CQuillstripDSP::SetAnalyserSize(int32_t option)
{
    analyserSize_.store(std::clamp(option, 0, zt::dspe::CAnalyserFeed::kSizeOptions - 1), std::memory_order_relaxed);
}

void CQuillstripDSP::Process(float** outputs, float** inputs, int32_t frames)
{
    // The selected feed, looked up once per block; with the analyser off the published
    // pointer is not even read.
    const int32_t source = analyserSource_.load(std::memory_order_relaxed);
    const bool analysing = source == kAnalyserInput || source == kAnalyserOutput;
    const AnalyserFeeds* feeds = analysing ? analyserFeeds_.Enter() : nullptr;
    zt::dspe::CAnalyserFeed* feed = feeds ? (*feeds)[size_t(analyserSize_.load(std::memory_order_relaxed))] : nullptr;
    // Mono is given to the feed as the one channel twice.
    auto handOver = [&](float** channels) {
        const float* pair[2] = {channels[0], channels[channels_ == 2 ? 1 : 0]};
        feed->PushAudio(pair, frames);
    };
    if (feed && source == kAnalyserInput)
        handOver(inputs);

    // Callers keep to kChunk; longer blocks are taken in chunks all the same.
    const int32_t inputChannels = channels_ + (sideChainPresent_ ? channels_ : 0);
    float* in[4] = {};
    float* out[2] = {};
    for (int32_t start = 0; start < frames; start += kChunk) {
        for (int32_t c = 0; c < inputChannels; ++c)
            in[c] = inputs[c] + start;
        for (int32_t c = 0; c < channels_; ++c)
            out[c] = outputs[c] + start;
        ProcessChunk(out, in, std::min(kChunk, frames - start));
    }

    if (feed && source == kAnalyserOutput)
        handOver(outputs);
    if (feeds)
        analyserFeeds_.Leave();
}

void CQuillstripDSP::ProcessChunk(float** outputs, float** inputs, int32_t frames)
{
    const int32_t channels = channels_;
    if (frames <= 0)
        return;
    DesignDirtyFilters();

    // Input meter.
    float inPeaks[2] = {};
    bool finiteIn = true;
    for (int32_t c = 0; c < channels; ++c) {
        const SBlockScan scan = ScanBlock(inputs[c], frames);
        inPeaks[c] = scan.peak;
        HoldPeak(kPeakInL + c, scan.peak);
        finiteIn = finiteIn && scan.finite;
    }
    if (channels == 1)
        HoldPeak(kPeakInR, GetPeak(kPeakInL));

    if (IsBypassed() || RestsIdle(frames)) {
        PassIdle(outputs, inputs, frames, inPeaks, finiteIn);
        return;
    }
    // The bands were skipped while they rested: they take up the state passing the
    // signal would have left in them.
    PayIdleHistory();
    float outPeaks[2] = {};
    bool finiteOut = true;
    if (RunLoneBand(outputs, inputs, frames, finiteIn, outPeaks, &finiteOut)) {
        FinishChunk(outputs, frames, outPeaks, finiteOut);
        return;
    }
    PayOwedBands();
    double(*const x)[kChunk] = chunk_;

    // Input stage: x = ±g · in.
    const double gain = InputStageGain();
    for (int32_t c = 0; c < channels; ++c)
        pairs::ScaleToDoubles(inputs[c], gain, x[c], frames);

    // Input delay; 0 skips the line so its stale contents are never heard.
    const int32_t delay = GetInputDelay();
    if (delay != 0)
        for (int32_t c = 0; c < channels; ++c)
            delay_[c].Process(x[c], frames, delay);

    // A non-finite sample would stay in every filter and envelope it reached. While
    // any section works on the signal it comes in as silence; with none, the block
    // passes as it is, without the flat filters (cleared instead), so that the
    // samples beside it pass unchanged too. Looked for after the delay line, which
    // may hold one from a block passed through.
    bool passThrough = false;
    if (!finiteIn || delay != 0) {
        bool finiteX = true;
        for (int32_t c = 0; c < channels; ++c)
            finiteX = finiteX && finiteness::AllFinite(x[c], frames);
        if (!finiteX) {
            passThrough = !AnySectionOn();
            if (!passThrough)
                for (int32_t c = 0; c < channels; ++c)
                    finiteness::ZeroNonFinite(x[c], frames);
        }
    }

    // Key capture. A section whose key filter is on gets a key of its own: the signal
    // as it stands here, or the side-chain input when the section listens to the
    // external key. Without its filter a section detects on the signal itself, so no
    // key is taken. Decided once, so the dynamics below see the same choice.
    double(*const gateKey)[kChunk] = gateKey_;
    double(*const compKey)[kChunk] = compKey_;
    auto capture = [&](double(*key)[kChunk], const std::atomic<bool>& external) {
        const bool side = sideChainPresent_ && external.load(std::memory_order_relaxed);
        for (int32_t c = 0; c < channels; ++c) {
            const float* sideIn = side ? inputs[channels + c] : nullptr;
            for (int32_t i = 0; i < frames; ++i)
                key[c][i] = side ? double(sideIn[i]) : x[c][i];
            // The key only drives detection: a non-finite one is silence.
            if (side && !finiteness::AllFinite(sideIn, frames))
                finiteness::ZeroNonFinite(key[c], frames);
        }
        return key;
    };
    double(*gateKeyIn)[kChunk] = nullptr;
    double(*compKeyIn)[kChunk] = nullptr;
    if (filters_[kGateKeyFilter].on.load(std::memory_order_relaxed))
        gateKeyIn = capture(gateKey, gateExternal_);
    if (filters_[kCompKeyFilter].on.load(std::memory_order_relaxed))
        compKeyIn = capture(compKey, compExternal_);

    // EQ and dynamics in "Routing" order; while a key is monitored the EQ after the
    // dynamics and the output sections are skipped, so the key is heard as it is.
    const bool keyListen = gateListen_.load(std::memory_order_relaxed) || compListen_.load(std::memory_order_relaxed);
    if (passThrough) {
        ResetSectionStates();
    } else if (routing_.load(std::memory_order_relaxed) == 0) {
        RunEqualiser(x, frames);
        RunDynamics(x, gateKeyIn, compKeyIn, frames);
    } else {
        RunDynamics(x, gateKeyIn, compKeyIn, frames);
        if (!keyListen)
            RunEqualiser(x, frames);
    }
    if (!keyListen)
        RunOutputSections(x, frames);

    // Output stage.
    const double outGain = GetOutputGain();
    for (int32_t c = 0; c < channels; ++c)
        pairs::ScaleToFloats(x[c], outGain, outputs[c], frames);
    for (int32_t c = 0; c < channels; ++c) {
        const SBlockScan scan = ScanBlock(outputs[c], frames);
        outPeaks[c] = scan.peak;
        finiteOut = finiteOut && scan.finite;
    }
    FinishChunk(outputs, frames, outPeaks, finiteOut);
}

void CQuillstripDSP::FinishChunk(float** outputs, int32_t frames, float* outPeaks, bool finiteOut)
{
    const int32_t channels = channels_;
    // The one check that nothing non-finite stays in the chain: a sample can still
    // overflow to infinity (a huge input raised by the EQ) or come through with every
    // section off. Whatever went non-finite starts afresh, and while any section is on
    // the block becomes silence.
    if (!finiteOut) {
        ResetSectionStates();
        if (AnySectionOn())
            for (int32_t c = 0; c < channels; ++c) {
                std::fill(outputs[c], outputs[c] + frames, 0.0f);
                outPeaks[c] = 0.0f;
            }
    }
    // Output meter.
    for (int32_t c = 0; c < channels; ++c)
        HoldPeak(kPeakOutL + c, outPeaks[c]);
    if (channels == 1)
        HoldPeak(kPeakOutR, GetPeak(kPeakOutL));
}

bool CQuillstripDSP::RunLoneBand(float** outputs, float** inputs, int32_t frames, bool finiteIn, float* outPeaks,
                                 bool* finiteOut)
{
    // Only the plain case: stereo, no delay, nothing but the EQ on, an ordinary block
    // long enough that the resting bands take their state from its last two samples.
    if (!shortcuts_ || channels_ != 2 || frames < 2 || !finiteIn || GetInputDelay() != 0 || AnyOtherSectionOn())
        return false;
    const uint32_t heardBands = HeardBands();
    auto heard = [&](int32_t b) { return ((heardBands >> b) & 1u) != 0; };
    int32_t lone = -1;
    for (int32_t b = 0; b < kBands; ++b) {
        if (((restingBands_ >> b) & 1u) || !heard(b))
            continue;
        if (lone >= 0)
            return false;
        lone = b;
    }
    if (lone < 0 || !bands_[lone].RunsThrough())
        return false;

    // The heard resting bands are owed what this chunk would leave them: those ahead of
    // the lone band the input stage's last two samples, those behind it the band's. Each
    // chunk's debt replaces the one before (the state is the last two samples either
    // way), unless the lone band or the bands owed changed.
    uint32_t owed = 0;
    for (int32_t b = 0; b < kBands; ++b)
        owed |= b != lone && heard(b) ? 1u << b : 0u;
    if (owedBands_ != 0 && (owedLone_ != lone || owedBands_ != owed))
        PayOwedBands();
    const double gain = InputStageGain();
    for (int32_t c = 0; c < 2; ++c) {
        owedAhead_[c][0] = gain * double(inputs[c][frames - 2]);
        owedAhead_[c][1] = gain * double(inputs[c][frames - 1]);
    }
    const biquad::SThroughScan scan
        = bands_[lone].ProcessStereoThrough(inputs, gain, outputs, double(GetOutputGain()), frames, owedBehind_);
    owedBands_ = owed;
    owedLone_ = lone;
    outPeaks[0] = scan.peak[0];
    outPeaks[1] = scan.peak[1];
    *finiteOut = scan.finite;
    if (bands_[lone].RestsAtIdentity())
        restingBands_ |= 1u << lone;
    return true;
}

void CQuillstripDSP::PayOwedBands()
{
    for (uint32_t owed = owedBands_; owed != 0; owed &= owed - 1u)
        PayBand(__builtin_ctz(owed));
}

// Every band in band order, or only the soloed ones while any band is soloed. A band
// that is off runs as a flat filter, so switching it glides.
// A skipped band keeps its coefficients, so only the bands that ran may have come to rest.
template <class Heard>
void CQuillstripDSP::UpdateResting(const Heard& heard)
{
    for (int32_t b = 0; b < kBands; ++b)
        if (shortcuts_ && !((restingBands_ >> b) & 1u) && heard(b) && bands_[b].RestsAtIdentity())
            restingBands_ |= 1u << b;
}

void CQuillstripDSP::RunEqualiser(double (*x)[kChunk], int32_t frames)
{
    const uint32_t heardBands = HeardBands();
    auto heard = [&](int32_t b) { return ((heardBands >> b) & 1u) != 0; };
    // A band at rest is out of the signal's way: the working bands alone shape it, and
    // the resting ones only follow it to be ready when they move.
    auto resting = [&](int32_t b) { return (restingBands_ >> b) & 1u; };
    if (channels_ == 1) {
        for (int32_t b = 0; b < kBands; ++b) {
            if (!heard(b))
                continue;
            if (resting(b))
                bands_[b].SkipResting(x[0], nullptr, frames);
            else
                bands_[b].ProcessMono(x[0], frames);
        }
        UpdateResting(heard);
        return;
    }
    // In stereo the bands run as one cascade: the same bits, their stages overlapping.
    CIIRSeries series(x[0], x[1], frames);
    for (int32_t b = 0; b < kBands; ++b) {
        if (!heard(b))
            continue;
        if (resting(b))
            series.Skip(bands_[b]);
        else
            series.Add(bands_[b]);
    }
    series.Finish();
    UpdateResting(heard);
}

void CQuillstripDSP::FilterKey(CIIR& filter, float gain, double (*key)[kChunk], int32_t frames)
{
    for (int32_t c = 0; c < channels_; ++c)
        for (int32_t i = 0; i < frames; ++i)
            key[c][i] *= gain;
    if (channels_ == 1)
        filter.ProcessMono(key[0], frames);
    else
        filter.ProcessStereo(key[0], key[1], frames);
}

// Gate, then compressor. With its key filter on (a key was captured), a section's key is
// scaled by the key output gain and filtered; while the key is monitored it replaces the
// signal.
void CQuillstripDSP::RunDynamics(double (*x)[kChunk], double (*gateKey)[kChunk], double (*compKey)[kChunk],
                                 int32_t frames)
{
    auto copyKey = [&](double(*key)[kChunk]) {
        for (int32_t c = 0; c < channels_; ++c)
            std::memcpy(x[c], key[c], sizeof(double) * static_cast<size_t>(frames));
    };
    const bool stereo = channels_ == 2;
    const bool gateListen = gateListen_.load(std::memory_order_relaxed);
    if (gateOn_.load(std::memory_order_relaxed) || gateListen) {
        // Without its filter the gate detects on the signal itself.
        const bool keyed = gateKey != nullptr;
        if (keyed)
            FilterKey(gateKeyFilter_, gateKeyGain_.load(std::memory_order_relaxed), gateKey, frames);
        if (keyed && gateListen) {
            copyKey(gateKey);
        } else {
            const double mix = GetGateMix();
            if (stereo)
                gate_.Process(x[0], x[1], keyed ? gateKey[0] : nullptr, keyed ? gateKey[1] : nullptr, frames, mix);
            else
                gate_.ProcessMono(x[0], keyed ? gateKey[0] : nullptr, frames, mix);
            HoldSectionMeters(gate_, kPeakGate, kGainGate);
        }
    }
    if (gateListen)
        return;
    const bool compListen = compListen_.load(std::memory_order_relaxed);
    if (compOn_.load(std::memory_order_relaxed) || compListen) {
        const bool keyed = compKey != nullptr;
        if (keyed)
            FilterKey(compKeyFilter_, compKeyGain_.load(std::memory_order_relaxed), compKey, frames);
        if (keyed && compListen) {
            copyKey(compKey);
        } else {
            const double* keyL = keyed ? compKey[0] : nullptr;
            const double* keyR = keyed ? compKey[1] : nullptr;
            if (compType_.load(std::memory_order_relaxed) == 0) {
                if (stereo)
                    compressor1_.Process(x[0], x[1], keyL, keyR, frames);
                else
                    compressor1_.ProcessMono(x[0], keyL, frames);
                HoldSectionMeters(compressor1_, kPeakComp, kGainComp);
            } else {
                if (stereo)
                    compressor2_.Process(x[0], x[1], keyL, keyR, frames);
                else
                    compressor2_.ProcessMono(x[0], keyL, frames);
                HoldSectionMeters(compressor2_, kPeakComp, kGainComp);
            }
        }
    }
}

template <class Section>
void CQuillstripDSP::HoldSectionMeters(const Section& section, int32_t peakSlot, int32_t gainSlot)
{
    const double level
        = meterSource_.load(std::memory_order_relaxed) == 0 ? section.GetInputLevel() : section.GetDetectedLevel();
    HoldPeak(peakSlot, static_cast<float>(level));
    HoldGainReduction(gainSlot, static_cast<float>(section.GetMinGain()));
}

// Input gain, the compressor stage 6 dB under the ceiling, then the ceiling itself.
void CQuillstripDSP::RunLimiter(double (*x)[kChunk], int32_t frames)
{
    const double input = limiterInputGain_.load(std::memory_order_relaxed);
    for (int32_t c = 0; c < channels_; ++c)
        for (int32_t i = 0; i < frames; ++i)
            x[c][i] *= input;
    float ceilingGain;
    if (channels_ == 2) {
        limiterStage_.Process(x[0], x[1], nullptr, nullptr, frames);
        ceilingGain = limiter2_.ProcessStereo(x[0], x[1], frames);
    } else {
        limiterStage_.ProcessMono(x[0], nullptr, frames);
        ceilingGain = limiter2_.ProcessMono(x[0], frames);
    }
    // Both stages together show whether the limiter is working; held as the block's
    // combined reduction rather than compounded over blocks, so the meter stays true
    // however rarely it is read.
    HoldGainReduction(kGainLimiter, static_cast<float>(limiterStage_.GetMinGain()) * ceilingGain);
}

// Width, saturation and limiter, always last and in that order.
void CQuillstripDSP::RunOutputSections(double (*x)[kChunk], int32_t frames)
{
    // A mono signal has no width to change.
    if (widthOn_.load(std::memory_order_relaxed) && channels_ == 2)
        width_.Process(x[0], x[1], frames);
    if (saturationOn_.load(std::memory_order_relaxed)) {
        const double mix = GetSaturationMix();
        if (channels_ == 2)
            saturator_.Process(x[0], x[1], mix, frames);
        else
            saturator_.ProcessMono(x[0], mix, frames);
    }
    if (limiterOn_.load(std::memory_order_relaxed))
        RunLimiter(x, frames);
}
