// The channel strip's engine: one chain of sections in double precision, fed in
// chunks of at most 32 frames.
//
//   input meter -> bypass -> input gain and phase -> input delay -> key capture
//   -> EQ and dynamics in "Routing" order -> width -> saturation -> limiter
//   -> output gain -> output meter
//
// The analyser feed selected by source and size gets the input before any of it
// (bypass included) or the output after all of it.
//
// Every value the parameter-change path writes is a single atomic (relaxed): the UI
// thread writes while the audio thread runs, and a change takes effect at the next chunk.
#pragma once

#include "dsp/DelayLine.h"
#include "dsp/FilterSettings.h"
#include "product/engine/Compressor.h"
#include "product/engine/Compressor3.h"
#include "product/engine/Gate.h"
#include "dsp/IIR.h"
#include "product/engine/Limiter2.h"
#include "product/engine/Saturator.h"
#include "product/engine/Width.h"
#include "framework/dspe/BaseDSPEngine.h"
#include "framework/dspe/PublishedPointer.h"
#include "framework/dspe/AnalyserFeed.h"

#include <array>
#include <atomic>
#include <cstdint>

class CQuillstripDSP : public virtual zt::dspe::CBaseDSPEngine {
public:
    static constexpr int32_t kChunk = 32;
    static constexpr int32_t kBands = 6;
    static constexpr int32_t kGateKeyFilter = 6;
    static constexpr int32_t kCompKeyFilter = 7;

    // Peak meter slots.
    enum EPeakSlot : int32_t { kPeakInL = 0, kPeakInR, kPeakOutL, kPeakOutR, kPeakGate, kPeakComp };
    // Gain-reduction meter slots.
    enum EGainSlot : int32_t { kGainGate = 0, kGainComp, kGainLimiter };
    // What the analyser is given.
    enum EAnalyserSource : int32_t { kAnalyserInput = 0, kAnalyserOutput, kAnalyserOff };
    // The analyser's feeds, one per size option (entries may be null).
    using AnalyserFeeds = std::array<zt::dspe::CAnalyserFeed*, zt::dspe::CAnalyserFeed::kSizeOptions>;

    CQuillstripDSP();

    void SetSampleRate(int32_t rate) override;
    // The sections' own settings go straight to them.
    CWidth& Width() { return width_; }
    CSaturator& Saturator() { return saturator_; }
    CGate& Gate() { return gate_; }
    // The one way a compressor setting reaches the sections: set(section) runs on both
    // types, so switching type takes effect at once. Both have the same setters, and a
    // setter only one of them has does not compile here:
    // SetCompressors([&](auto& c) { c.SetRatio(ratio); }).
    template <class Set>
    void SetCompressors(Set set)
    {
        set(compressor1_);
        set(compressor2_);
    }
    // The limiter's input gain and ceiling come together: the compressor stage rounds
    // off 6 dB below the ceiling. Release is the compressor stage's, 100 ms shorter.
    void SetLimiter(float inputDb, float thresholdDb);
    void SetLimiterRelease(float ms);
    bool IsLimiterOn() const { return limiterOn_.load(std::memory_order_relaxed); }
    // Whether a chunk reads the side-chain channels now: a side-chain is present and a
    // section's key filter is on with its external key chosen.
    bool ReadsSideChain() const;
    // The level no output sample may pass while the limiter is on: its ceiling times
    // the output gain that follows it.
    float GetOutputCeiling() const { return limiter2_.GetCeiling() * GetOutputGain(); }
    // Folds a gain the host-rate ceiling applied after the engine into the limiter's
    // reduction meter (audio thread).
    void HoldLimiterReduction(float gain) { HoldGainReduction(kGainLimiter, gain); }
    void Process(float** outputs, float** inputs, int32_t frames) override;
    void Reset() override;
    void Suspend(int32_t) override {}

    // On (the default), chunks step around what would leave the signal as it is: resting
    // bands, the whole chain while nothing works, everything but a lone working band.
    // Off, every chunk runs through the whole chain, every band included: the reference
    // that the shortcuts equal bit for bit (for tests and benchmarks). Called while audio
    // is stopped.
    void SetShortcuts(bool on);

    // channels: 1 mono, 2 stereo. Called while audio is stopped.
    void Configure(int32_t channels, bool sideChainPresent);
    int32_t GetChannels() const { return channels_; }

    FilterSettings& Filter(int32_t index) { return filters_[index]; }
    // The filter's settings changed: it is redesigned on the audio thread at the start
    // of the next chunk, so coefficients never change in the middle of one. Index
    // 0..5 are the EQ bands, kGateKeyFilter and kCompKeyFilter the key filters.
    void UpdateFilter(int32_t index) { dirtyFilters_.fetch_or(1u << index, std::memory_order_release); }

    void SetInputGain(float gain) { inputGain_.store(gain, std::memory_order_relaxed); }
    void SetOutputGain(float gain) { outputGain_.store(gain, std::memory_order_relaxed); }
    void SetPhaseInverted(bool on) { phaseInverted_.store(on, std::memory_order_relaxed); }
    // Samples at the engine rate, 0..DelayLine::kMaxDelay; 0 bypasses the line.
    void SetInputDelay(int32_t samples);
    void SetRouting(uint32_t routing) { routing_.store(routing, std::memory_order_relaxed); }
    void SetGateOn(bool on) { gateOn_.store(on, std::memory_order_relaxed); }
    void SetCompOn(bool on) { compOn_.store(on, std::memory_order_relaxed); }
    void SetLimiterOn(bool on) { limiterOn_.store(on, std::memory_order_relaxed); }
    void SetWidthOn(bool on) { widthOn_.store(on, std::memory_order_relaxed); }
    void SetSaturationOn(bool on) { saturationOn_.store(on, std::memory_order_relaxed); }
    void SetGateKeyListen(bool on) { gateListen_.store(on, std::memory_order_relaxed); }
    void SetCompKeyListen(bool on) { compListen_.store(on, std::memory_order_relaxed); }
    void SetGateExternalKey(bool on) { gateExternal_.store(on, std::memory_order_relaxed); }
    void SetCompExternalKey(bool on) { compExternal_.store(on, std::memory_order_relaxed); }
    void SetGateKeyOutputGain(float gain) { gateKeyGain_.store(gain, std::memory_order_relaxed); }
    void SetCompKeyOutputGain(float gain) { compKeyGain_.store(gain, std::memory_order_relaxed); }
    void SetCompressorType(int32_t type) { compType_.store(type, std::memory_order_relaxed); }
    void SetGateMix(float mix) { gateMix_.store(mix, std::memory_order_relaxed); }
    void SetSaturationMix(float mix) { saturationMix_.store(mix, std::memory_order_relaxed); }
    void SetLimiterInputGain(float gain) { limiterInputGain_.store(gain, std::memory_order_relaxed); }
    void SetMeterSource(int32_t source) { meterSource_.store(source, std::memory_order_relaxed); }
    void SetAnalyserSource(int32_t source) { analyserSource_.store(source, std::memory_order_relaxed); }
    // Size option 0..2: which feed gets the blocks.
    void SetAnalyserSize(int32_t option);
    // UI thread: the feeds blocks go to from the next block on (null: none). Returns once
    // the audio thread can no longer be using the previous ones, so they may be
    // destroyed then; that takes at most one block.
    void PublishAnalyserFeeds(const AnalyserFeeds* feeds) { analyserFeeds_.Publish(feeds); }

    float GetInputGain() const { return inputGain_.load(std::memory_order_relaxed); }
    float GetOutputGain() const { return outputGain_.load(std::memory_order_relaxed); }
    float GetGateMix() const { return gateMix_.load(std::memory_order_relaxed); }
    float GetSaturationMix() const { return saturationMix_.load(std::memory_order_relaxed); }
    int32_t GetInputDelay() const { return inputDelay_.load(std::memory_order_relaxed); }

private:
    static constexpr int32_t kFilters = 8;
    CIIR& FilterAt(int32_t index);
    // Designs filter index from its settings at the current rate (flat when off, so
    // switching a band glides instead of clicking).
    void DesignFilter(int32_t index);
    void DesignDirtyFilters();
    // Scales a key by its output gain and runs it through its filter.
    void FilterKey(CIIR& filter, float gain, double (*key)[kChunk], int32_t frames);

    // Every filter and section back to its start (not the delay lines).
    void ResetSectionStates();
    // Whether any section works on the signal (with none, the chain passes it through).
    bool AnySectionOn() const;
    // Whether any section but the EQ bands works on the signal, or a key is monitored.
    bool AnyOtherSectionOn() const;
    // ±input gain, as the input stage applies it.
    double InputStageGain() const;
    // Whether this chunk may skip the chain: nothing on, no delay, every band resting at
    // the identity. Most tracks of a mix spend their time so.
    bool RestsIdle(int32_t frames) const;
    // Which bands rest at the identity, kept in step with every design, reset and glide
    // so the per-chunk tests are one mask.
    void CheckBandsResting();
    // After the bands ran: those heard that came to rest.
    template <class Heard>
    void UpdateResting(const Heard& heard);
    // A chunk while bypassed or resting: the input (scaled by the input and output gains
    // unless bypassed) is the output, bit for bit what the chain gives for an ordinary
    // block; the meters as the chain sets them.
    void PassIdle(float** outputs, float** inputs, int32_t frames, const float* inPeaks, bool finiteIn);
    // One chunk of at most kChunk frames.
    void ProcessChunk(float** outputs, float** inputs, int32_t frames);
    // A chunk whose only working section is one EQ band, in one pass from the input to
    // the output (the common case of a track with a single correction), bit for bit the
    // chain's result; the output's peaks and finiteness as the output scan gives them.
    // False: not that case, nothing was done.
    bool RunLoneBand(float** outputs, float** inputs, int32_t frames, bool finiteIn, float* outPeaks, bool* finiteOut);
    // The end of every chunk that ran, given the output's scan: whatever went non-finite
    // starts afresh, and the output meter.
    void FinishChunk(float** outputs, int32_t frames, float* outPeaks, bool finiteOut);
    // The bands the chain runs: the soloed ones, or all while none is (bit b: band b).
    uint32_t HeardBands() const;
    // Gives the bands skipped by idle chunks the state they are owed.
    void PayIdleHistory();
    // Gives one band whatever state idle or lone-band chunks owe it (before its design
    // changes).
    void PayBand(int32_t band);
    // Gives the resting bands skipped by lone-band chunks the state they are owed.
    void PayOwedBands();
    // Chain steps on the working signal x[channel][frame].
    void RunEqualiser(double (*x)[kChunk], int32_t frames);
    void RunDynamics(double (*x)[kChunk], double (*gateKey)[kChunk], double (*compKey)[kChunk], int32_t frames);
    void RunOutputSections(double (*x)[kChunk], int32_t frames);

    int32_t channels_ = 0;
    bool sideChainPresent_ = false;
    FilterSettings filters_[kFilters];
    CIIR bands_[kBands];
    CIIR gateKeyFilter_;
    CIIR compKeyFilter_;
    std::atomic<uint32_t> dirtyFilters_{0};
    // While chunks skip the resting bands: the last two samples they would have seen per
    // channel ({last, before last}), owed to them when the chain runs again.
    double idleHistory_[2][2] = {};
    uint32_t idleBands_ = 0;  // the bands owed idleHistory_ (bit b: band b), none when 0
    static constexpr uint32_t kAllBands = (1u << kBands) - 1u;
    uint32_t restingBands_ = 0;  // bit b: band b rests at the identity
    bool shortcuts_ = true;
    // Resting bands that lone-band chunks left untouched (bit b: band b), owed a block
    // step's state: the bands ahead of band owedLone_ the input stage's last two samples
    // per channel, those behind it the lone band's ({before last, last}).
    uint32_t owedBands_ = 0;
    int32_t owedLone_ = 0;
    double owedAhead_[2][2] = {};
    double owedBehind_[2][2] = {};
    // One chunk's signal and keys as the sections work on them (audio thread). Kept here,
    // not on the stack: there the chain's time depended on where the calling thread's
    // stack lay, up to half again in many placements (most likely loads taken for
    // dependents of recent stores whose addresses share their low twelve bits). Here their
    // place against the sections' state is fixed.
    alignas(64) double chunk_[2][kChunk] = {};
    alignas(64) double gateKey_[2][kChunk] = {};
    alignas(64) double compKey_[2][kChunk] = {};

    std::atomic<bool> compOn_{false}, gateOn_{false};
    std::atomic<float> gateKeyGain_{1.0f}, compKeyGain_{1.0f};
    std::atomic<bool> compListen_{false}, gateListen_{false}, limiterOn_{false}, widthOn_{false}, saturationOn_{false};
    std::atomic<int32_t> compType_{0};
    std::atomic<uint32_t> routing_{0};
    std::atomic<int32_t> meterSource_{0};
    DelayLine delay_[2];
    std::atomic<int32_t> inputDelay_{0};
    std::atomic<float> inputGain_{1.0f}, outputGain_{1.0f};
    std::atomic<bool> phaseInverted_{false};
    std::atomic<int32_t> analyserSource_{kAnalyserOutput};
    std::atomic<int32_t> analyserSize_{1};
    zt::dspe::CPublishedPointer<const AnalyserFeeds> analyserFeeds_;
    std::atomic<bool> gateExternal_{false}, compExternal_{false};
    std::atomic<float> gateMix_{1.0f}, saturationMix_{1.0f};
    std::atomic<float> limiterInputGain_{1.0f};

    CWidth width_;
    CSaturator saturator_;
    CGate gate_;
    CCompressor compressor1_;   // type "1"
    CCompressor3 compressor2_;  // type "2"
    CCompressor limiterStage_;  // the limiter's first stage, before limiter2_'s ceiling
    CLimiter2 limiter2_;

    // Level for the section meters: what goes in, or what the detector sees.
    template <class Section>
    void HoldSectionMeters(const Section& section, int32_t peakSlot, int32_t gainSlot);
    void RunLimiter(double (*x)[kChunk], int32_t frames);
    void SetUpSections();
};
