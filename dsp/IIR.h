// CIIR: the engine's one filter. A direct-form-I biquad that can also run as biquad plus
// one-pole (18 dB cuts) or as three or four identical biquads in series (36/48 dB cuts),
// giving the thirteen EQ filter types.
//
// Three coefficient sets:
//   target   - written by the audio designs (the designs themselves, as values, are in
//              FilterDesign.h; the members here store them);
//   current  - what the audio runs with; glides towards target with a 2.5 Hz one-pole
//              law so a design change never clicks;
//   display  - the same design at a fixed 44100 Hz, read by GetDisplayResponse on a fixed
//              473-point grid, so the drawn curve does not depend on the audio rate.
//
// Processing takes shortcuts that never change an output bit: a glide that has reached
// its exact fixed point is skipped, an identity biquad (a band switched off) passes
// ordinary blocks through without arithmetic, the stages of the steep cuts run
// interleaved sample by sample, both channels share one instruction stream (in stereo
// through CIIRSeries, which also runs several filters as one cascade), and the denormal
// guard only visits state that changed.
//
// Threads: the audio designs, Reset/Prime and all processing belong to the audio thread
// and touch only the audio members. DesignDisplay*/GetDisplayResponse touch only the
// display members, so the UI thread may run them (on this object or on its own copy)
// while audio runs. Nothing allocates, locks or waits after construction.
#pragma once

#include "dsp/BiquadSeries.h"
#include "dsp/FilterDesign.h"

#include <cstdint>

class CIIR : public SFilterTerms {
public:
    // The display grid: 16 Hz to 20400 Hz in steps of 1.5 % (about 1/46 octave).
    static constexpr int32_t kDisplayPoints = 473;
    static constexpr int32_t kDisplayRate = filter::kDisplayRate;

    CIIR();

    // Stores the rate; designs take their rate explicitly.
    void SetSampleRate(int32_t rate) { rate_ = rate; }
    int32_t GetSampleRate() const { return rate_; }

    // ---- Audio designs (target set, stage mode, glide). Never touch state or current.
    // The filter:: design of the same name, stored; its preconditions apply.
    void DesignFlat(int32_t rate);
    void DesignLowCut12(int32_t rate, double freq, double q);
    void DesignLowCut18(int32_t rate, double freq, double q);
    void DesignLowCut36(int32_t rate, double freq, double q);
    void DesignLowCut48(int32_t rate, double freq, double q);
    void DesignHighCut12(int32_t rate, double freq, double q);
    void DesignHighCut18(int32_t rate, double freq, double q);
    void DesignHighCut36(int32_t rate, double freq, double q);
    void DesignHighCut48(int32_t rate, double freq, double q);
    void DesignBandPass(int32_t rate, double freq, double q);
    void DesignBandStop(int32_t rate, double freq, double q);
    void DesignLowShelf(int32_t rate, double freq, double gainDb, double q);
    void DesignBell(int32_t rate, double freq, double gainDb, double q);
    void DesignHighShelf(int32_t rate, double freq, double gainDb, double q);
    // The design of an EType value (any other value designs flat); gain is ignored by
    // the types that have none.
    void Design(int32_t type, int32_t rate, double freq, double gainDb, double q);

    // ---- Display path (display set only).
    void DesignDisplayFlat();
    // filter::ForDisplay, stored. rate is the audio rate: only a very wide bell below
    // 44100 Hz depends on it, because the display inherits the audio design's bandwidth
    // limit. freq <= filter::kDisplayMaxFreq.
    void DesignDisplay(int32_t type, int32_t rate, double freq, double gainDb, double q);
    // Magnitude of the display set at every grid point into out[0..472], then the first
    // n of them converted to dB (0 <= n <= kDisplayPoints). out must hold kDisplayPoints
    // floats.
    void GetDisplayResponse(float* out, int32_t n) const;
    // Frequency of grid point i: 16 Hz to 20400 Hz, logarithmic.
    static double DisplayFrequency(int32_t i);

    // ---- Processing (audio thread).
    // Zero all state; current jumps to target.
    void Reset();
    // Every state value set to v (a settled DC level for unity-gain filters); current
    // jumps to target.
    void Prime(double v);
    // Every stage's state set to where a constant input leaves it once settled: its
    // inputs at the stage's input level, its outputs at that level times the target's DC
    // gain (b0 + b1 + b2) / (1 + a1 + a2), which is exactly 0 for the low cuts; current
    // jumps to target.
    void Settle(double input);

    // One glide step, then one biquad sample (stage mode ignored), mono state.
    double ProcessSample(double x);
    // In place, n samples: glide n steps, then the whole block with the glided
    // coefficients in the current stage mode, then the denormal guard.
    void ProcessMono(double* x, int32_t n);
    // As ProcessMono; shared coefficients, separate state per channel.
    void ProcessStereo(double* left, double* right, int32_t n);

    // Whether ProcessStereoThrough runs this filter: every stage mode but the 18 dB types,
    // whose one-pole needs the block itself.
    bool RunsThrough() const { return stageMode_ != kWithFirstOrder; }
    // ProcessStereo over a block converted on the way (biquad::RunSeriesThrough):
    // x = inGain · double(in[c]), the block step, out[c] = float(outGain · y), the same
    // bits in one pass, the outputs scanned on the way. tail[c] = {before last, last} of
    // channel c's y, as the block would hold them. Only where RunsThrough(); n >= 2; in
    // and out may be the same.
    biquad::SThroughScan ProcessStereoThrough(const float* const* in, double inGain, float* const* out, double outGain,
                                              int32_t n, double (*tail)[2]);

    // Whether the filter rests at the identity: current and target are the identity
    // biquad, so no glide moves it and a block passes through unchanged.
    bool RestsAtIdentity() const;
    // The whole block step of a resting filter, when it amounts to advancing the state:
    // the state finite and the block fit for an identity pass (ordinary caches that
    // test for further filters over the same block: 1, 0, or -1 not known yet). False:
    // nothing was done, the caller takes the ordinary step. right is null for mono.
    bool PassResting(double* left, double* right, int32_t n, int8_t* ordinary);
    // A resting filter taken out of the signal's way for a block: the samples stay as
    // they are (a −0 too, which the identity arithmetic would make +0), and the state
    // becomes what the block step would leave. Only for a filter that rests at the
    // identity; right is null for mono.
    void SkipResting(const double* left, const double* right, int32_t n);
    // The state a block through a resting identity filter leaves (its last two inputs,
    // which are also its last two outputs), for a filter that was skipped instead:
    // history[c] = {last, before last} of channel c < channels, denormal guard applied.
    void PassedIdentity(const double (*history)[2], int32_t channels);

    // Single biquad with the target coefficients, no glide (detector filters).
    double ProcessSampleFixed(double x);
    void ProcessMonoFixed(double* x, int32_t n);
    void ProcessSampleStereoFixed(double* left, double* right);
    void ProcessStereoFixed(double* left, double* right, int32_t n);

    // Denormal guard: state values below 2^-32 in magnitude become 0. The block
    // operations apply it themselves; callers of the per-sample operations call it once
    // per block.
    void FlushState();

    const Coefficients& Target() const { return target_; }
    const Coefficients& Current() const { return current_; }
    int32_t GetStageMode() const { return stageMode_; }
    double GetGlide() const { return glide_; }
    // The display set; its c stays 1.0 (the one-pole is drawn from FirstOrderDisplay).
    const Coefficients& Display() const { return display_.coefficients; }
    const Coefficients& FirstOrderDisplay() const { return display_.onePoleSection; }
    int32_t GetDisplayStageMode() const { return display_.stageMode; }

private:
    friend class CIIRSeries;

    static constexpr int32_t kMaxStages = 4;
    // Per-stage state {x[n-1], x[n-2], y[n-1], y[n-2]}.
    using StageState = double[4];

    // Stores an audio design: target set, stage mode, one-pole, glide factor for rate.
    void SetTarget(int32_t rate, const SFilterDesign& design);
    // n glide steps of the first count current coefficients, then the snaps; nothing
    // once those coefficients sit at an exact fixed point of the glide.
    void Glide(int32_t count, int32_t steps);
    // When the current biquad is the identity and the block and state allow it, the
    // stages' state advances without the arithmetic (the samples would come out
    // unchanged). right is null for mono. False: the caller runs the block. ordinary,
    // when given, caches whether the block is fit for it (1 yes, 0 no, -1 not known
    // yet) for further identity filters over the same unchanged block.
    bool PassIdentity(double* left, double* right, int32_t n, int8_t* ordinary = nullptr);
    // Whether an identity pass gives the bits the arithmetic would: every stage's state
    // finite and the block ordinary (ordinary caches that test as PassIdentity's does).
    bool IdentityPassFits(const double* left, const double* right, int32_t n, int8_t* ordinary) const;
    // Every value +0 or normal (right may be null).
    static bool OrdinaryBlock(const double* left, const double* right, int32_t n);
    // Biquads in series for the stage mode: 1, 3 or 4.
    int32_t StageCount() const;
    // The start of every block: the glide for n samples, and the state slots a block over
    // `channels` channels writes marked for the denormal guard.
    void PrepareBlock(int32_t channels, int32_t n);
    bool CurrentIsIdentity() const;
    // The one-pole of the 18 dB types over both channels.
    void RunFirstOrderStereo(double* left, double* right, int32_t n);

    // State slots, one bit each: the four values of a stage of a channel, and the
    // first-order value of a channel. A slot whose bit is clear holds values the
    // denormal guard would leave unchanged, so the guard only visits dirty slots.
    static constexpr uint32_t StageSlot(int32_t channel, int32_t stage) { return 1u << (channel * kMaxStages + stage); }
    static constexpr uint32_t FirstOrderSlot(int32_t channel) { return 1u << (2 * kMaxStages + channel); }
    static constexpr uint32_t kAllSlots = (1u << (2 * kMaxStages + 2)) - 1u;
    // The slots a block over the first `channels` channels writes in the stage mode.
    uint32_t BlockSlots(int32_t channels) const;
    // The denormal guard over the dirty slots; all slots are clean afterwards.
    void FlushDirty();

    // Audio side.
    Coefficients target_;
    Coefficients current_;
    alignas(16) StageState state_[2][kMaxStages] = {};
    alignas(16) double firstOrderState_[2] = {};
    int32_t stageMode_ = kSingle;
    bool firstOrderHighPass_ = false;
    double glide_;
    // How many leading current coefficients (0, 5 or 6) sit at an exact fixed point of
    // the glide towards target; cleared by every design, Reset and Prime.
    int32_t settled_ = 0;
    uint32_t dirty_ = 0;
    int32_t rate_ = 44100;

    // Display side.
    SFilterDesign display_;
};
