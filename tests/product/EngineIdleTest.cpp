// Resting bands step out of the signal's way (and while nothing is on, the whole chain
// does, and while one band works alone, everything but that band); a band switched on
// later must carry on exactly as if every chunk had run through it.
#include "dsp/FilterDesign.h"
#include "dsp/IIR.h"
#include "product/engine/QuillstripDSP.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr int32_t kRate = 48000;

struct SRun {
    std::vector<float> out[2];
};

// Index of the first sample that differs, or -1.
int64_t FirstDifference(const std::vector<float>& a, const std::vector<float>& b)
{
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0)
            return int64_t(i);
    return a.size() == b.size() ? -1 : int64_t(std::min(a.size(), b.size()));
}

constexpr int32_t kLoneBand = 3;

void SetBand(CQuillstripDSP& engine, CIIR& reference, int32_t index, int32_t type, float freq, float gain)
{
    FilterSettings& band = engine.Filter(index);
    band.type = type;
    band.freq = freq;
    band.gain = gain;
    band.q = 1.5f;
    band.on = true;
    engine.UpdateFilter(index);
    reference.Design(type, kRate, freq, gain, 1.5);
}

// One band working alone (or none), another band ahead of it or behind it switched on
// at chunk `switchAt`, the lone band optionally soloed for a while (the others unheard,
// so left as they were), and the input and output stages at unity or inverting and
// halving, then raising by half.
struct SLoneCase {
    int32_t channels, loneType;  // loneType < 0: no band on until the switch
    int32_t switched, switchAt;
    bool solo, gainStages;
};

// Chunks of varying size (single frames among them) of two sines through the engine, or
// through lone filters that run every chunk: the engine's resting bands sit at the
// identity, so the two must agree bit for bit.
SRun RunLoneBand(bool throughEngine, const SLoneCase& k)
{
    const int32_t sizes[] = {32, 1, 7, 32, 2, 1, 1, 19};
    const double stageIn = k.gainStages ? -0.5 : 1.0, stageOut = k.gainStages ? 1.5 : 1.0;
    CQuillstripDSP engine;
    engine.Configure(k.channels, false);
    engine.SetSampleRate(kRate);
    if (k.gainStages) {
        engine.SetInputGain(0.5f);
        engine.SetPhaseInverted(true);
        engine.SetOutputGain(1.5f);
    }
    CIIR reference[CQuillstripDSP::kBands];
    for (CIIR& filter : reference) {
        filter.SetSampleRate(kRate);
        filter.DesignFlat(kRate);
    }
    if (k.loneType >= 0)
        SetBand(engine, reference[kLoneBand], kLoneBand, k.loneType, 150.0f, 7.0f);
    engine.SetBypass(false);
    engine.Reset();
    for (CIIR& filter : reference)
        filter.Reset();  // as the engine's reset: no glide

    SRun run;
    int64_t t = 0;
    for (int32_t chunk = 0; chunk < 300; ++chunk) {
        if (chunk == k.switchAt)
            SetBand(engine, reference[k.switched], k.switched, CIIR::kBell, 2500.0f, -8.0f);
        const bool soloed = k.solo && chunk >= 20 && chunk < 40;
        engine.Filter(kLoneBand).solo = soloed ? 1u : 0u;
        const int32_t n = sizes[chunk % 8];
        float in[2][32], out[2][32];
        double x[2][32];
        for (int32_t i = 0; i < n; ++i, ++t) {
            // Never exactly 0: a −0 from the inverted input stage would pass a resting
            // band unchanged but not a lone filter's arithmetic.
            in[0][i] = static_cast<float>(0.4 * std::sin(0.031 * double(t) + 0.1));
            in[1][i] = static_cast<float>(0.3 * std::sin(0.017 * double(t) + 1.0));
            x[0][i] = stageIn * double(in[0][i]);
            x[1][i] = stageIn * double(in[1][i]);
        }
        if (throughEngine) {
            // In place, as hosts often run it.
            float* io[2] = {in[0], in[1]};
            engine.Process(io, io, n);
            for (int32_t c = 0; c < k.channels; ++c) {
                std::copy(in[c], in[c] + n, out[c]);
                // The output meter holds this chunk's peak, as the scan of what came out.
                float peak = 0.0f;
                for (int32_t i = 0; i < n; ++i)
                    peak = std::max(peak, std::fabs(out[c][i]));
                EXPECT_EQ(engine.TakePeak(CQuillstripDSP::kPeakOutL + c), peak) << "chunk " << chunk;
            }
        } else {
            for (int32_t b = 0; b < CQuillstripDSP::kBands; ++b)
                if (!soloed || b == kLoneBand) {
                    if (k.channels == 2)
                        reference[b].ProcessStereo(x[0], x[1], n);
                    else
                        reference[b].ProcessMono(x[0], n);
                }
            for (int32_t c = 0; c < k.channels; ++c)
                for (int32_t i = 0; i < n; ++i)
                    out[c][i] = static_cast<float>(stageOut * x[c][i]);
        }
        for (int32_t c = 0; c < k.channels; ++c)
            run.out[c].insert(run.out[c].end(), out[c], out[c] + n);
    }
    return run;
}

}  // namespace

// A chunk whose only working section is one EQ band runs in one pass (and one with
// nothing on skips the chain); the resting bands around it are given their state only
// when something needs it.
TEST(EngineLoneBand, RunsAsTheChainAndOwesTheRestingBandsNothing)
{
    for (int32_t channels : {1, 2})
        for (int32_t loneType :
             {-1, int(CIIR::kLowShelf), int(CIIR::kBell), int(CIIR::kLowCut36), int(CIIR::kLowCut48)})
            for (int32_t switched : {1, 5})
                for (int32_t switchAt : {1, 30, 57, 58, 61, 200})  // 57..61: after 32, 1 and 1 frames; 30: while soloed
                    for (bool solo : {false, true}) {
                        // No band on at all only skips the chain with the stages at unity.
                        const SLoneCase k{channels, loneType, switched, switchAt, solo, loneType >= 0};
                        const SRun engine = RunLoneBand(true, k);
                        const SRun reference = RunLoneBand(false, k);
                        for (int32_t c = 0; c < channels; ++c)
                            EXPECT_EQ(FirstDifference(engine.out[c], reference.out[c]), -1)
                                << channels << " channel(s), type " << loneType << ", band " << switched
                                << " switched at " << switchAt << (solo ? ", soloed before" : "");
                    }
}

TEST(EngineLoneBand, AnOverflowSilencesTheChunkAndTheBandStartsAfresh)
{
    // +12 dB at 1 kHz on a full-scale square of FLT_MAX overflows the float output.
    auto make = [](CQuillstripDSP& engine) {
        engine.Configure(2, false);
        engine.SetSampleRate(kRate);
        FilterSettings& band = engine.Filter(kLoneBand);
        band.type = CIIR::kBell;
        band.freq = 1000.0f;
        band.gain = 12.0f;
        band.on = true;
        engine.UpdateFilter(kLoneBand);
        engine.SetBypass(false);
        engine.Reset();
    };
    CQuillstripDSP engine, fresh;
    make(engine);
    make(fresh);
    auto chunk = [](CQuillstripDSP& e, float level, int32_t start, float(*out)[32]) {
        float in[2][32];
        for (int32_t i = 0; i < 32; ++i)
            in[0][i] = in[1][i] = level * static_cast<float>(std::sin(0.05 * double(start + i) + 0.3));
        float* ins[2] = {in[0], in[1]};
        float* outs[2] = {out[0], out[1]};
        e.Process(outs, ins, 32);
    };
    float out[2][32], expected[2][32];
    for (int32_t k = 0; k < 10; ++k)
        chunk(engine, 0.5f, 32 * k, out);
    engine.TakePeak(CQuillstripDSP::kPeakOutL);
    float in[2][32];
    for (int32_t i = 0; i < 32; ++i)
        in[0][i] = in[1][i] = (i % 4) < 2 ? FLT_MAX : -FLT_MAX;
    float* ins[2] = {in[0], in[1]};
    float* outs[2] = {out[0], out[1]};
    engine.Process(outs, ins, 32);
    for (int32_t c = 0; c < 2; ++c)
        for (int32_t i = 0; i < 32; ++i)
            ASSERT_EQ(out[c][i], 0.0f) << c << " " << i;
    EXPECT_EQ(engine.TakePeak(CQuillstripDSP::kPeakOutL), 0.0f);
    // Everything it touched started afresh: from here on it is a newly reset strip.
    for (int32_t k = 11; k < 20; ++k) {
        chunk(engine, 0.5f, 32 * k, out);
        chunk(fresh, 0.5f, 32 * k, expected);
        for (int32_t c = 0; c < 2; ++c)
            ASSERT_EQ(std::memcmp(out[c], expected[c], sizeof out[c]), 0) << "chunk " << k;
    }
}

namespace {

// An engine with its shortcuts and one that runs every chunk through the whole chain,
// set alike and fed the same chunks of a signal without zeros or subnormals (there the
// shortcuts are the exact ones: a flat filter turns -0 into +0).
class CEnginePair {
public:
    explicit CEnginePair(int32_t channels) : channels_(channels)
    {
        for (CQuillstripDSP* e : {&fast_, &full_}) {
            e->Configure(channels, false);
            e->SetSampleRate(kRate);
            e->SetBypass(false);
            e->Reset();
        }
        full_.SetShortcuts(false);
    }

    template <class Set>
    void Both(Set set)
    {
        set(fast_);
        set(full_);
    }

    // One chunk through both; output and meters must agree bit for bit.
    testing::AssertionResult Run(int32_t n, bool inPlace)
    {
        float in[2][2][32], out[2][2][32];
        for (int32_t i = 0; i < n; ++i, ++t_)
            for (int32_t c = 0; c < channels_; ++c) {
                const double v = 0.45 * std::sin(0.013 * double(t_) * (c + 1)) + 0.05;
                in[0][c][i] = in[1][c][i] = static_cast<float>(std::fabs(v) < 1e-3 ? 0.01 : v);
            }
        CQuillstripDSP* engines[2] = {&fast_, &full_};
        for (int32_t k = 0; k < 2; ++k) {
            float* ins[2] = {in[k][0], in[k][1]};
            float* outs[2] = {inPlace ? in[k][0] : out[k][0], inPlace ? in[k][1] : out[k][1]};
            engines[k]->Process(outs, ins, n);
            if (inPlace)
                std::memcpy(out[k], in[k], sizeof out[k]);
        }
        for (int32_t c = 0; c < channels_; ++c)
            if (std::memcmp(out[0][c], out[1][c], sizeof(float) * size_t(n)) != 0)
                return testing::AssertionFailure() << "output differs, chunk " << chunks_ << ", channel " << c;
        for (auto slot : {CQuillstripDSP::kPeakInL, CQuillstripDSP::kPeakOutL, CQuillstripDSP::kPeakOutR})
            if (fast_.TakePeak(slot) != full_.TakePeak(slot))
                return testing::AssertionFailure() << "meter differs, chunk " << chunks_;
        ++chunks_;
        return testing::AssertionSuccess();
    }

private:
    int32_t channels_;
    CQuillstripDSP fast_, full_;
    int64_t t_ = 0;
    int32_t chunks_ = 0;
};

void SetBand(CEnginePair& pair, int32_t band, bool on, int32_t type, float freq, float gain)
{
    pair.Both([&](CQuillstripDSP& e) {
        FilterSettings& f = e.Filter(band);
        f.on = on;
        f.type = type;
        f.freq = freq;
        f.gain = gain;
        e.UpdateFilter(band);
    });
}

// A solo changes what runs, not a design: the plug-in sets it without a redesign.
void SetSolo(CEnginePair& pair, int32_t band, bool on)
{
    pair.Both([&](CQuillstripDSP& e) { e.Filter(band).solo = on; });
}

// Random but repeatable settings changes between chunks of random size, applied alike
// to an engine with its shortcuts and one that runs the whole chain every chunk.
class CShortcutScenario {
public:
    explicit CShortcutScenario(uint32_t seed) : seed_(seed) {}

    uint32_t Next(uint32_t range)
    {
        seed_ = seed_ * 1664525u + 1013904223u;
        return (seed_ >> 8) % range;
    }
    float Uniform(float low, float high) { return low + (high - low) * float(Next(1u << 20)) / float(1u << 20); }

    // One change, or none, mostly to the bands: what a user or automation does.
    void Change(CEnginePair& pair)
    {
        auto both = [&](auto set) { pair.Both(set); };
        const uint32_t what = Next(40);
        if (what < 14) {
            const auto band = static_cast<int32_t>(Next(CQuillstripDSP::kBands));
            const uint32_t field = Next(6);
            // Mostly few bands on at once, as on most tracks: then the shortcuts apply.
            const float value = field == 0 ? float(Next(4) == 0)
                : field == 1               ? float(Next(13))
                : field == 2               ? Uniform(30.0f, 15000.0f)
                : field == 3               ? (Next(3) == 0 ? 0.0f : Uniform(-12.0f, 12.0f))
                : field == 4               ? Uniform(0.3f, 4.0f)
                                           : float(Next(4) == 0);
            both([&](CQuillstripDSP& e) {
                FilterSettings& f = e.Filter(band);
                if (field == 0)
                    f.on = value != 0.0f;
                else if (field == 1)
                    f.type = static_cast<int32_t>(value);
                else if (field == 2)
                    f.freq = value;
                else if (field == 3)
                    f.gain = value;
                else if (field == 4)
                    f.q = value;
                else
                    f.solo = value != 0.0f;
                if (field != 5)  // a solo changes what runs, not a design (as the plug-in sets it)
                    e.UpdateFilter(band);
            });
        } else if (what < 16) {
            const float gain = Next(2) ? 1.0f : Uniform(0.25f, 2.0f);
            both([&](CQuillstripDSP& e) { e.SetInputGain(gain); });
        } else if (what < 18) {
            const float gain = Next(2) ? 1.0f : Uniform(0.25f, 2.0f);
            both([&](CQuillstripDSP& e) { e.SetOutputGain(gain); });
        } else if (what == 18) {
            const bool on = Next(2) != 0;
            both([&](CQuillstripDSP& e) { e.SetPhaseInverted(on); });
        } else if (what == 19) {
            const auto delay = static_cast<int32_t>(Next(3) == 0 ? Next(40) : 0);
            both([&](CQuillstripDSP& e) { e.SetInputDelay(delay); });
        } else if (what == 20) {
            const bool on = Next(3) == 0;
            both([&](CQuillstripDSP& e) { e.SetWidthOn(on); });
        } else if (what == 21) {
            const bool on = Next(3) == 0;
            both([&](CQuillstripDSP& e) { e.SetSaturationOn(on); });
        } else if (what == 22) {
            const bool on = Next(8) == 0;
            both([&](CQuillstripDSP& e) { e.SetBypass(on); });
        }
    }

private:
    uint32_t seed_;
};

}  // namespace

TEST(EngineShortcuts, EqualTheWholeChainWhateverTheSettingsDo)
{
    // Output and meters bit for bit, mono and stereo, in place and not. The input has no
    // zeros and no subnormals: there the shortcuts are the exact ones (a flat filter
    // turns -0 into +0).
    for (int32_t channels : {1, 2})
        for (uint32_t seed = 1; seed <= 8; ++seed) {
            SCOPED_TRACE(testing::Message() << channels << " channel(s), seed " << seed);
            CEnginePair pair(channels);
            CShortcutScenario scenario(seed);
            for (int32_t chunk = 0; chunk < 20000; ++chunk) {
                if (scenario.Next(16) == 0)
                    scenario.Change(pair);
                const auto n
                    = static_cast<int32_t>(scenario.Next(4) == 0 ? 1 + scenario.Next(3) : 1 + scenario.Next(32));
                ASSERT_TRUE(pair.Run(n, scenario.Next(2) != 0));
            }
        }
}

TEST(EngineShortcuts, SoloChangesAtTheEdgesOfIdleChunks)
{
    // Bands left out by a solo keep the state they had: a band that was working alone
    // comes to rest as a solo starts (at every chunk around that moment in turn), and the
    // bands it had owed their state are switched on later. When the band comes to rest:
    // a filter gliding alike tells.
    int32_t rests = 0;
    {
        CIIR band;
        band.SetSampleRate(kRate);
        band.Design(CIIR::kBell, kRate, 1000.0, 6.0, 1.0);
        band.Reset();
        band.DesignFlat(kRate);
        double x[2][32] = {};
        while (!band.RestsAtIdentity() && rests < 10000) {
            band.ProcessStereo(x[0], x[1], 32);
            ++rests;
        }
    }
    ASSERT_LT(rests, 10000);
    for (int32_t at = std::max(0, rests - 10); at < rests + 10; ++at) {
        SCOPED_TRACE(testing::Message() << "solo at " << at);
        CEnginePair pair(2);
        SetBand(pair, 1, true, CIIR::kBell, 1000.0f, 6.0f);
        pair.Both([](CQuillstripDSP& e) { e.Reset(); });  // at the bell at once, as the filter above
        for (int32_t chunk = 0; chunk < 40 + at + 40; ++chunk) {
            if (chunk == 40)
                SetBand(pair, 1, false, CIIR::kBell, 1000.0f, 6.0f);
            if (chunk == 40 + at)
                SetSolo(pair, 3, true);
            if (chunk == 40 + at + 4)
                SetBand(pair, 0, true, CIIR::kLowShelf, 200.0f, -5.0f);
            if (chunk == 40 + at + 8)
                SetSolo(pair, 3, false);
            ASSERT_TRUE(pair.Run(32, false));
        }
    }
    // A single frame while the solo ends: the bands it let back in run that frame from
    // the state they had, not from the history of the soloed band's chunks.
    CEnginePair pair(1);
    for (int32_t chunk = 0; chunk < 60; ++chunk) {
        if (chunk == 10)
            SetSolo(pair, 3, true);
        if (chunk == 20)
            SetSolo(pair, 3, false);
        if (chunk == 21)
            SetBand(pair, 0, true, CIIR::kBell, 700.0f, 9.0f);
        ASSERT_TRUE(pair.Run(chunk == 20 ? 1 : 16, true));
    }
}
