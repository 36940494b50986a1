#include "dsp/IIR.h"

#include "dsp/BiquadKernel.h"
#include "dsp/BiquadSeries.h"
#include "dsp/IIRSeries.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

// Below this magnitude states and gliding coefficients are zeroed: keeps decaying
// feedback out of the denormal range long before it gets there.
constexpr double kDenormalFloor = 0x1p-32;  // 2.3283064365386963e-10
// A gliding coefficient this close to its target is put on it, so a settled filter
// runs exactly the designed set (and flat is bit-exact).
constexpr double kSnap = 1e-11;
// The glide's corner: a design change moves 1/e of the rest of the way every 64 ms,
// slow enough not to click, quick enough to follow a control.
constexpr double kGlideHz = 2.5;

constexpr int32_t kBiquadCount = 5;  // b0 b1 b2 a1 a2
constexpr int32_t kWithFirstOrderCount = 6;

using Coefficients = CIIR::Coefficients;

constexpr Coefficients kIdentity = {1.0, 0.0, 0.0, 0.0, 0.0, 1.0};

double GlideFactor(int32_t rate)
{
    assert(rate > 0);
    return 1.0 - std::exp(-filter::kOnePoleTwoPi * kGlideHz / double(rate));
}

// The display grid shared by every instance (it depends on nothing).
struct SDisplayGrid {
    SResponsePoint points[CIIR::kDisplayPoints];

    SDisplayGrid()
    {
        for (int32_t i = 0; i < CIIR::kDisplayPoints; ++i)
            points[i] = SResponsePoint::At(CIIR::kDisplayRate, CIIR::DisplayFrequency(i));
    }
};

const SDisplayGrid& DisplayGrid()
{
    static const SDisplayGrid grid;
    return grid;
}

inline void FlushValue(double& v)
{
    if (std::fabs(v) < kDenormalFloor)
        v = 0.0;
}

bool SameBits(double a, double b)
{
    uint64_t x, y;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    return x == y;
}

using biquad::LoadPair;
using biquad::LoadSection;
using biquad::Pair;
using biquad::PairBits;
using biquad::Section;
using biquad::SSection;
using biquad::StorePair;
using biquad::StoreSection;
template <typename T>
using SBiquad = biquad::SCoefficients<T>;

// Stages identical sections in series (1, 3 or 4), each with its own memory, in place
// over a block. The stages run sample by sample rather than block by block: every
// stage still sees exactly the same input sequence, but their feedback chains now
// overlap instead of waiting for one another.
template <int32_t Stages, typename T>
struct SCascade {
    static_assert(Stages == 1 || Stages == 3 || Stages == 4, "stage modes run 1, 3 or 4 sections");
    SSection<T> s0{}, s1{}, s2{}, s3{};

    T Run(const SBiquad<T>& c, T v)
    {
        v = Section(c, s0, v);
        if constexpr (Stages >= 3) {
            v = Section(c, s1, v);
            v = Section(c, s2, v);
        }
        if constexpr (Stages == 4)
            v = Section(c, s3, v);
        return v;
    }

    template <typename F>
    void ForEach(F&& f)
    {
        f(s0, 0);
        if constexpr (Stages >= 3) {
            f(s1, 1);
            f(s2, 2);
        }
        if constexpr (Stages == 4)
            f(s3, 3);
    }
};

// s points at the first stage's state; the stages follow each other.
template <int32_t Stages>
void RunMono(const Coefficients& coefficients, double (*s)[4], double* x, int32_t n)
{
    const SBiquad<double> c(coefficients.data());
    SCascade<Stages, double> cascade;
    cascade.ForEach([&](SSection<double>& v, int32_t k) { v = LoadSection(s[k]); });
    for (int32_t i = 0; i < n; ++i)
        x[i] = cascade.Run(c, x[i]);
    cascade.ForEach([&](SSection<double>& v, int32_t k) { StoreSection(v, s[k]); });
}

// Both channels at once with shared coefficients: left in lane 0, right in lane 1.
template <int32_t Stages>
void RunStereo(const Coefficients& coefficients, double (*sl)[4], double (*sr)[4], double* l, double* r, int32_t n)
{
    const SBiquad<Pair> c(coefficients.data());
    SCascade<Stages, Pair> cascade;
    cascade.ForEach([&](SSection<Pair>& v, int32_t k) { v = LoadSection(sl[k], sr[k]); });
    for (int32_t i = 0; i < n; ++i) {
        const Pair y = cascade.Run(c, Pair{l[i], r[i]});
        l[i] = y[0];
        r[i] = y[1];
    }
    cascade.ForEach([&](SSection<Pair>& v, int32_t k) { StoreSection(v, sl[k], sr[k]); });
}

// One-pole after the biquad of the 18 dB types, in place:
//   s += (x − s)·c;  low-pass y = s,  high-pass y = x − s.
inline void RunFirstOrder(double c, bool highPass, double& state, double* x, int32_t n)
{
    double s = state;
    if (highPass) {
        for (int32_t i = 0; i < n; ++i) {
            s += (x[i] - s) * c;
            x[i] = x[i] - s;
        }
    } else {
        for (int32_t i = 0; i < n; ++i) {
            s += (x[i] - s) * c;
            x[i] = s;
        }
    }
    state = s;
}

// ---- Identity sections.
// With b0 = 1 and the rest ±0, y = x + 0·x1 + 0·x2 − 0·y1 − 0·y2 is x bit for bit as
// long as every product is a zero (finite state and input) and x is +0 or normal: a −0
// input can come out as +0, depending on the signs of the state, and a subnormal one
// as 0 when the host runs the audio thread with flush-to-zero or denormals-are-zero.
// Blocks that meet these conditions skip the arithmetic; any other block runs it.

bool IsIdentity(const Coefficients& c)
{
    return c[CIIR::kB0] == 1.0 && c[CIIR::kB1] == 0.0 && c[CIIR::kB2] == 0.0 && c[CIIR::kA1] == 0.0
        && c[CIIR::kA2] == 0.0;
}

// Nonzero where a value is non-finite: x − x is +0 (all bits clear) for every finite x
// and NaN otherwise.
inline PairBits NonFinite(Pair v) { return PairBits(v - v); }

// Nonzero where a value is non-finite, −0 or subnormal: of the values below the
// smallest normal in magnitude, only +0 has no bit set.
inline PairBits Unusual(Pair v)
{
    constexpr double kMin = std::numeric_limits<double>::min();
    return NonFinite(v) | (PairBits(pairs::AbsPair(v) < Pair{kMin, kMin}) & PairBits(v));
}

// Every value +0 or normal.
bool Ordinary(const double* x, int32_t n)
{
    PairBits odd = {0, 0};
    int32_t i = 0;
    for (; i + 4 <= n; i += 4)
        odd |= Unusual(LoadPair(x + i)) | Unusual(LoadPair(x + i + 2));
    for (; i + 2 <= n; i += 2)
        odd |= Unusual(LoadPair(x + i));
    if (i < n)
        odd |= Unusual(Pair{x[i], 1.0});
    return (odd[0] | odd[1]) == 0;
}

// A section's four state values all finite (a −0 there only flips zero products).
bool FiniteState(const double* s)
{
    const PairBits odd = NonFinite(LoadPair(s)) | NonFinite(LoadPair(s + 2));
    return (odd[0] | odd[1]) == 0;
}

// The state an identity section leaves after passing x[0..n): its last two inputs,
// which are also its last two outputs.
void AdvanceIdentity(double* s, const double* x, int32_t n)
{
    if (n >= 2) {
        s[0] = s[2] = x[n - 1];
        s[1] = s[3] = x[n - 2];
    } else if (n == 1) {
        s[1] = s[0];
        s[3] = s[2];
        s[0] = s[2] = x[0];
    }
}

// ---- Glide.

// The guards applied after the glide steps: |cur| < 2^-32 -> 0, then
// |cur − target| < 1e-11 -> target.
inline double Guarded(double c, double t)
{
    FlushValue(c);
    return std::fabs(c - t) < kSnap ? t : c;
}

// The per-sample one-pole glide applied per block, `steps` times:
//   cur += (target − cur)·g
// then the guards to the first `count` coefficients. All six advance in three pairs
// held in registers, so their dependency chains overlap and never pass through memory;
// each lane sees exactly the scalar sequence of operations, and a sixth coefficient
// outside `count` is computed but not stored.
void GlideSteps(double* cur, const double* target, double g, int32_t count, int32_t steps)
{
    Pair c[3] = {LoadPair(cur), LoadPair(cur + 2), LoadPair(cur + 4)};
    const Pair t[3] = {LoadPair(target), LoadPair(target + 2), LoadPair(target + 4)};
    const Pair gg = {g, g};
    for (int32_t i = 0; i < steps; ++i) {
        c[0] += (t[0] - c[0]) * gg;
        c[1] += (t[1] - c[1]) * gg;
        c[2] += (t[2] - c[2]) * gg;
    }
    for (int32_t k = 0; k < count; ++k)
        cur[k] = Guarded(c[k / 2][k % 2], target[k]);
}

// A coefficient that one glide step and the guards leave exactly as it is stays there
// for any number of further steps, until the target or the factor changes. (Close is
// not enough: only an exact fixed point keeps the output unchanged.)
bool AtFixedPoint(double c, double t, double g) { return SameBits(c + (t - c) * g, c) && SameBits(Guarded(c, t), c); }

}  // namespace

CIIR::CIIR() : target_(kIdentity), current_(kIdentity), glide_(GlideFactor(44100)) {}

double CIIR::DisplayFrequency(int32_t i)
{
    // The frequency parameter's range, 16 Hz .. 16 * 1275 = 20400 Hz.
    constexpr double kLowest = 16.0, kSpan = 1275.0;
    return kLowest * std::exp((double(i) / double(kDisplayPoints - 1)) * std::log(kSpan));
}

// ---------------------------------------------------------------- audio designs

void CIIR::SetTarget(int32_t rate, const SFilterDesign& design)
{
    target_ = design.coefficients;
    stageMode_ = design.stageMode;
    firstOrderHighPass_ = design.onePoleHighPass;
    glide_ = GlideFactor(rate);
    settled_ = 0;
}

void CIIR::DesignFlat(int32_t rate) { SetTarget(rate, filter::Flat()); }

void CIIR::DesignLowCut12(int32_t rate, double freq, double q) { SetTarget(rate, filter::LowCut12(rate, freq, q)); }

void CIIR::DesignLowCut18(int32_t rate, double freq, double q) { SetTarget(rate, filter::LowCut18(rate, freq, q)); }

void CIIR::DesignLowCut36(int32_t rate, double freq, double q) { SetTarget(rate, filter::LowCut36(rate, freq, q)); }

void CIIR::DesignLowCut48(int32_t rate, double freq, double q) { SetTarget(rate, filter::LowCut48(rate, freq, q)); }

void CIIR::DesignHighCut12(int32_t rate, double freq, double q) { SetTarget(rate, filter::HighCut12(rate, freq, q)); }

void CIIR::DesignHighCut18(int32_t rate, double freq, double q) { SetTarget(rate, filter::HighCut18(rate, freq, q)); }

void CIIR::DesignHighCut36(int32_t rate, double freq, double q) { SetTarget(rate, filter::HighCut36(rate, freq, q)); }

void CIIR::DesignHighCut48(int32_t rate, double freq, double q) { SetTarget(rate, filter::HighCut48(rate, freq, q)); }

void CIIR::DesignBandPass(int32_t rate, double freq, double q) { SetTarget(rate, filter::BandPass(rate, freq, q)); }

void CIIR::DesignBandStop(int32_t rate, double freq, double q) { SetTarget(rate, filter::BandStop(rate, freq, q)); }

void CIIR::DesignLowShelf(int32_t rate, double freq, double gainDb, double q)
{
    SetTarget(rate, filter::LowShelf(rate, freq, gainDb, q));
}

void CIIR::DesignHighShelf(int32_t rate, double freq, double gainDb, double q)
{
    SetTarget(rate, filter::HighShelf(rate, freq, gainDb, q));
}

void CIIR::DesignBell(int32_t rate, double freq, double gainDb, double q)
{
    SetTarget(rate, filter::Bell(rate, freq, gainDb, q));
}

void CIIR::Design(int32_t type, int32_t rate, double freq, double gainDb, double q)
{
    SetTarget(rate, filter::OfType(type, rate, freq, gainDb, q));
}

// ---------------------------------------------------------------- display

void CIIR::DesignDisplayFlat() { display_ = filter::Flat(); }

void CIIR::DesignDisplay(int32_t type, int32_t rate, double freq, double gainDb, double q)
{
    display_ = filter::ForDisplay(type, rate, freq, gainDb, q);
}

void CIIR::GetDisplayResponse(float* out, int32_t n) const
{
    const SDisplayGrid& grid = DisplayGrid();
    assert(n >= 0 && n <= kDisplayPoints);
    for (int32_t i = 0; i < kDisplayPoints; ++i)
        out[i] = display_.Magnitude(grid.points[i]);
    for (int32_t i = 0; i < n; ++i)
        out[i] = 20.0f * std::log10(out[i]);
}

// ---------------------------------------------------------------- processing

void CIIR::Reset() { Prime(0.0); }

void CIIR::Prime(double v)
{
    for (auto& channel : state_)
        for (auto& stage : channel)
            std::fill(std::begin(stage), std::end(stage), v);
    firstOrderState_[0] = firstOrderState_[1] = v;
    current_ = target_;
    settled_ = 0;
    dirty_ = kAllSlots;
}

void CIIR::Settle(double input)
{
    current_ = target_;
    const double gain = (target_[kB0] + target_[kB1] + target_[kB2]) / (1.0 + target_[kA1] + target_[kA2]);
    for (auto& channel : state_) {
        double level = input;
        for (auto& stage : channel) {
            stage[0] = stage[1] = level;
            level *= gain;
            stage[2] = stage[3] = level;
        }
    }
    // The one-pole (18 dB types, after their one biquad) settles with its state at its
    // input.
    firstOrderState_[0] = firstOrderState_[1] = input * gain;
    settled_ = 0;
    dirty_ = kAllSlots;
}

void CIIR::FlushState()
{
    dirty_ = kAllSlots;
    FlushDirty();
}

uint32_t CIIR::BlockSlots(int32_t channels) const
{
    // Channel 1's slots are channel 0's shifted by kMaxStages; the one-pole slots sit
    // above all stage slots, one per channel.
    const uint32_t stages = (1u << StageCount()) - 1u;
    const uint32_t firstOrder = stageMode_ == kWithFirstOrder ? FirstOrderSlot(0) : 0u;
    return channels == 1 ? stages | firstOrder : stages | (stages << kMaxStages) | firstOrder | (firstOrder << 1);
}

void CIIR::FlushDirty()
{
    // Two values at a time; the same test as FlushValue (NaN compares false and stays).
    // Clean slots already hold flushed values, and flushing is idempotent.
    auto flush = [](double* p) {
        const Pair v = LoadPair(p);
        const PairBits tiny = PairBits(pairs::AbsPair(v) < Pair{kDenormalFloor, kDenormalFloor});
        StorePair(p, Pair(PairBits(v) & ~tiny));
    };
    uint32_t stages = dirty_ & ((1u << (2 * kMaxStages)) - 1u);
    while (stages != 0) {
        const int32_t slot = __builtin_ctz(stages);
        stages &= stages - 1u;
        double* state = state_[slot / kMaxStages][slot % kMaxStages];
        flush(state);
        flush(state + 2);
    }
    if (dirty_ & (FirstOrderSlot(0) | FirstOrderSlot(1)))
        flush(firstOrderState_);
    dirty_ = 0;
}

void CIIR::Glide(int32_t count, int32_t steps)
{
    if (settled_ >= count)
        return;
    GlideSteps(current_.data(), target_.data(), glide_, count, steps);
    for (int32_t k = 0; k < count; ++k)
        if (!AtFixedPoint(current_[k], target_[k], glide_))
            return;
    settled_ = count;
}

int32_t CIIR::StageCount() const
{
    // Identical sections in series, each with its own memory.
    return stageMode_ == kThreeStages ? 3 : stageMode_ == kFourStages ? 4 : 1;
}

bool CIIR::OrdinaryBlock(const double* left, const double* right, int32_t n)
{
    return Ordinary(left, n) && (right == nullptr || Ordinary(right, n));
}

bool CIIR::IdentityPassFits(const double* left, const double* right, int32_t n, int8_t* ordinary) const
{
    const int32_t stages = StageCount(), channels = right ? 2 : 1;
    for (int32_t c = 0; c < channels; ++c)
        for (int32_t s = 0; s < stages; ++s)
            if (!FiniteState(state_[c][s]))
                return false;
    int8_t known = ordinary ? *ordinary : int8_t(-1);
    if (known < 0)
        known = OrdinaryBlock(left, right, n) ? 1 : 0;
    if (ordinary)
        *ordinary = known;
    return known != 0;
}

bool CIIR::PassIdentity(double* left, double* right, int32_t n, int8_t* ordinary)
{
    if (!IsIdentity(current_) || !IdentityPassFits(left, right, n, ordinary))
        return false;
    const int32_t stages = StageCount(), channels = right ? 2 : 1;
    for (int32_t c = 0; c < channels; ++c)
        for (int32_t s = 0; s < stages; ++s)
            AdvanceIdentity(state_[c][s], c == 0 ? left : right, n);
    return true;
}

double CIIR::ProcessSample(double x)
{
    Glide(kBiquadCount, 1);
    dirty_ |= StageSlot(0, 0);
    RunMono<1>(current_, state_[0], &x, 1);
    return x;
}

void CIIR::PrepareBlock(int32_t channels, int32_t n)
{
    Glide(stageMode_ == kWithFirstOrder ? kWithFirstOrderCount : kBiquadCount, n);
    dirty_ |= BlockSlots(channels);
}

bool CIIR::CurrentIsIdentity() const { return IsIdentity(current_); }

bool CIIR::RestsAtIdentity() const
{
    return stageMode_ != kWithFirstOrder && IsIdentity(current_) && IsIdentity(target_);
}

bool CIIR::PassResting(double* left, double* right, int32_t n, int8_t* ordinary)
{
    if (!RestsAtIdentity() || !IdentityPassFits(left, right, n, ordinary))
        return false;
    SkipResting(left, right, n);
    return true;
}

void CIIR::SkipResting(const double* left, const double* right, int32_t n)
{
    // What the block step leaves: the identity pass, then the denormal guard over the
    // slots it wrote and any left dirty before (by Prime, Reset or Settle).
    const int32_t stages = StageCount(), channels = right ? 2 : 1;
    for (int32_t c = 0; c < channels; ++c) {
        const double* x = c == 0 ? left : right;
        if (n >= 2) {
            // Every stage then holds the same guarded pair {last, before last}, as
            // inputs and as outputs (the guard as FlushDirty applies it).
            const Pair pair = {x[n - 1], x[n - 2]};
            const PairBits tiny = PairBits(pairs::AbsPair(pair) < Pair{kDenormalFloor, kDenormalFloor});
            const Pair guarded = Pair(PairBits(pair) & ~tiny);
            for (int32_t s = 0; s < stages; ++s) {
                StorePair(state_[c][s], guarded);
                StorePair(state_[c][s] + 2, guarded);
            }
        } else {
            for (int32_t s = 0; s < stages; ++s) {
                double* state = state_[c][s];
                AdvanceIdentity(state, x, n);
                for (int32_t k = 0; k < 4; ++k)
                    FlushValue(state[k]);
            }
        }
    }
    if (dirty_ != 0)
        FlushDirty();
}

void CIIR::PassedIdentity(const double (*history)[2], int32_t channels)
{
    const int32_t stages = StageCount();
    for (int32_t c = 0; c < channels; ++c)
        for (int32_t s = 0; s < stages; ++s) {
            double* state = state_[c][s];
            state[0] = state[2] = history[c][0];
            state[1] = state[3] = history[c][1];
        }
    dirty_ |= BlockSlots(channels);
    FlushDirty();
}

void CIIR::RunFirstOrderStereo(double* left, double* right, int32_t n)
{
    RunFirstOrder(current_[kC], firstOrderHighPass_, firstOrderState_[0], left, n);
    RunFirstOrder(current_[kC], firstOrderHighPass_, firstOrderState_[1], right, n);
}

void CIIR::ProcessMono(double* x, int32_t n)
{
    int8_t ordinary = -1;
    if (PassResting(x, nullptr, n, &ordinary))
        return;
    PrepareBlock(1, n);
    if (!PassIdentity(x, nullptr, n)) {
        switch (StageCount()) {
        case 3:
            RunMono<3>(current_, state_[0], x, n);
            break;
        case 4:
            RunMono<4>(current_, state_[0], x, n);
            break;
        default:
            RunMono<1>(current_, state_[0], x, n);
            break;
        }
    }
    if (stageMode_ == kWithFirstOrder)
        RunFirstOrder(current_[kC], firstOrderHighPass_, firstOrderState_[0], x, n);
    FlushDirty();
}

void CIIR::ProcessStereo(double* left, double* right, int32_t n)
{
    CIIRSeries series(left, right, n);
    series.Add(*this);
    series.Finish();
}

biquad::SThroughScan CIIR::ProcessStereoThrough(const float* const* in, double inGain, float* const* out,
                                                double outGain, int32_t n, double (*tail)[2])
{
    // The series' identity pass is skipped: where it applies it gives the arithmetic's
    // bits, which is what makes it a shortcut.
    PrepareBlock(2, n);
    const int32_t stages = StageCount();
    SStereoBiquad run[kMaxStages];
    for (int32_t s = 0; s < stages; ++s)
        run[s] = {current_.data(), state_[0][s], state_[1][s]};
    const biquad::SThroughScan scan = biquad::RunSeriesThrough(run, stages, in, inGain, out, outGain, n);
    for (int32_t c = 0; c < 2; ++c) {
        tail[c][0] = state_[c][stages - 1][3];
        tail[c][1] = state_[c][stages - 1][2];
    }
    FlushDirty();
    return scan;
}

double CIIR::ProcessSampleFixed(double x)
{
    dirty_ |= StageSlot(0, 0);
    RunMono<1>(target_, state_[0], &x, 1);
    return x;
}

void CIIR::ProcessMonoFixed(double* x, int32_t n)
{
    dirty_ |= StageSlot(0, 0);
    RunMono<1>(target_, state_[0], x, n);
    FlushDirty();
}

void CIIR::ProcessSampleStereoFixed(double* left, double* right)
{
    dirty_ |= StageSlot(0, 0) | StageSlot(1, 0);
    RunMono<1>(target_, state_[0], left, 1);
    RunMono<1>(target_, state_[1], right, 1);
}

void CIIR::ProcessStereoFixed(double* left, double* right, int32_t n)
{
    dirty_ |= StageSlot(0, 0) | StageSlot(1, 0);
    RunStereo<1>(target_, state_[0], state_[1], left, right, n);
    FlushDirty();
}
