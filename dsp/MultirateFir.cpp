#include "dsp/MultirateFir.h"

#include "dsp/simd/Cpu.h"
#include "dsp/simd/Vector.h"

#include <immintrin.h>

#include <algorithm>
#include <cassert>
#include <cstring>
#include <numeric>

namespace {

// The symmetric kernels are written once on GCC's generic vectors (MultirateFirKernels.inc)
// and instantiated inside functions built for each instruction set, which the CPU check
// picks at run time; the library itself stays built for baseline x86-64.
template <int W>
struct SVec {
    typedef typename simd::SVector<float, W>::V F;
    typedef typename simd::SVector<float, W>::Unaligned U;  // any float address
    typedef typename simd::SVector<int32_t, W>::V I;
};

// One input stream held as C copies, copy k starting k samples later, each copy 64-byte
// aligned and `stride` floats apart. A run of samples from i then starts on a boundary of
// C floats in copy i mod C: with C = 4 for SSE and 8 for AVX2 the kernels read every tap
// offset with loads that never split a cache line, which this CPU family issues about
// half as often again as loads that do.
template <int C>
struct SCopies {
    const float* base;
    int32_t stride;
    const float* At(int32_t i) const
    {
        const int32_t k = i & (C - 1);
        return base + k * stride + (i - k);
    }
};

constexpr int32_t kMaxLanes = 16;     // widest vector: the most a kernel reads past the input
constexpr int32_t kAlignFloats = 16;  // 64 bytes

// Shuffle masks that interleave two vectors: a0 b0 a1 b1 ... (low), then the high halves.
template <int W>
struct SZipMasks {
    int32_t low[W], high[W];
};

template <int W>
constexpr SZipMasks<W> ZipMasks()
{
    SZipMasks<W> m{};
    for (int i = 0; i < W; ++i) {
        m.low[i] = i / 2 + (i % 2) * W;
        m.high[i] = W / 2 + i / 2 + (i % 2) * W;
    }
    return m;
}

// The baseline rounds the product and the sum apart, as SSE2 has no fused form.
namespace baseline {
#define QS_FIR_TARGET
constexpr bool kShiftLanes = false;
constexpr bool kRotateLanes = false;
constexpr int32_t kCopies = 4;
constexpr int kLanes = 4, kTile = 4;
inline __attribute__((always_inline)) SVec<4>::F MulAdd(const SVec<4>::F& c, const SVec<4>::F& v, const SVec<4>::F& acc)
{
    return c * v + acc;
}
#include "dsp/MultirateFirKernels.inc"
#undef QS_FIR_TARGET
}  // namespace baseline

// AVX without AVX2 (and so without fused multiply-add): the baseline's operations, eight
// lanes wide, so it gives the baseline's bits. Its shuffles cannot move a lane across the
// vector's halves in one instruction, so the kernels only load.
namespace avx {
#define QS_FIR_TARGET __attribute__((target("avx")))
constexpr bool kShiftLanes = false;
constexpr bool kRotateLanes = false;
constexpr int32_t kCopies = 8;
constexpr int kLanes = 8, kTile = 4;
QS_FIR_TARGET inline __attribute__((always_inline)) SVec<8>::F MulAdd(const SVec<8>::F& c, const SVec<8>::F& v,
                                                                      const SVec<8>::F& acc)
{
    return c * v + acc;
}
#include "dsp/MultirateFirKernels.inc"
#undef QS_FIR_TARGET
}  // namespace avx

// Moving a vector one lane along takes two shuffles across AVX2's halves, so the kernels
// mostly load, from aligned copies; the down-sampler keeps one stream in registers, where
// loads are what limits it and the shuffle units have room.
namespace avx2 {
#define QS_FIR_TARGET __attribute__((target("avx2,fma")))
constexpr bool kShiftLanes = false;
constexpr bool kRotateLanes = true;
constexpr int32_t kCopies = 8;
constexpr int kLanes = 8, kTile = 4;
QS_FIR_TARGET inline __attribute__((always_inline)) SVec<8>::F MulAdd(const SVec<8>::F& c, const SVec<8>::F& v,
                                                                      const SVec<8>::F& acc)
{
    return reinterpret_cast<SVec<8>::F>(
        _mm256_fmadd_ps(reinterpret_cast<__m256>(c), reinterpret_cast<__m256>(v), reinterpret_cast<__m256>(acc)));
}
#include "dsp/MultirateFirKernels.inc"
#undef QS_FIR_TARGET
}  // namespace avx2

namespace avx512 {
#define QS_FIR_TARGET __attribute__((target("avx512f")))
constexpr bool kShiftLanes = true;  // one two-source permute
constexpr bool kRotateLanes = false;
// Shifting, the full tiles load only a few vectors per tap, so one copy of each stream
// does (more would only crowd the cache).
constexpr int32_t kCopies = 1;
constexpr int kLanes = 16, kTile = 2;
QS_FIR_TARGET inline __attribute__((always_inline)) SVec<16>::F MulAdd(const SVec<16>::F& c, const SVec<16>::F& v,
                                                                       const SVec<16>::F& acc)
{
    return reinterpret_cast<SVec<16>::F>(
        _mm512_fmadd_ps(reinterpret_cast<__m512>(c), reinterpret_cast<__m512>(v), reinterpret_cast<__m512>(acc)));
}
#include "dsp/MultirateFirKernels.inc"
#undef QS_FIR_TARGET
}  // namespace avx512

// Two channels at once, where the tiles shift.
__attribute__((target("avx512f"))) void UpPairAvx512(const float* sum, const float* diff, int32_t pairs,
                                                     const float* const* x, int32_t stride, const int32_t* at,
                                                     float* const* out, int32_t n)
{
    using C = SCopies<avx512::kCopies>;
    const C streams[2] = {C{x[0], stride}, C{x[1], stride}};
    avx512::UpKernelPair<avx512::kLanes, avx512::kTile>(sum, diff, pairs, streams, at, out, n);
}
__attribute__((target("avx512f"))) void DownPairAvx512(const float* taps, int32_t count, const float* const* x,
                                                       int32_t stride, const int32_t* at, float* const* out, int32_t n)
{
    using C = SCopies<avx512::kCopies>;
    const C even[2] = {C{x[0], stride}, C{x[1], stride}};
    const C odd[2] = {C{x[0] + avx512::kCopies * stride, stride}, C{x[1] + avx512::kCopies * stride, stride}};
    avx512::DownKernelPair<avx512::kLanes, avx512::kTile>(taps, count, even, odd, at, out, n);
}

// n floats, four at a time where it can: a plain copy loop would become a library call,
// which costs more than these few vectors.
void CopyFloats(float* to, const float* from, int32_t n)
{
    using U = SVec<4>::U;
    int32_t i = 0;
    for (; i + 4 <= n; i += 4)
        *reinterpret_cast<U*>(to + i) = *reinterpret_cast<const U*>(from + i);
    for (; i < n; ++i)
        to[i] = from[i];
}

// pairs interleaved samples into their even and odd ones.
void Deinterleave(const float* in, float* even, float* odd, int32_t pairs)
{
    using F = SVec<4>::F;
    using U = SVec<4>::U;
    const SVec<4>::I evenLanes = {0, 2, 4, 6}, oddLanes = {1, 3, 5, 7};
    int32_t i = 0;
    for (; i + 4 <= pairs; i += 4) {
        const F a = *reinterpret_cast<const U*>(in + 2 * i), b = *reinterpret_cast<const U*>(in + 2 * i + 4);
        F e, o;
        simd::Shuffle(e, a, b, evenLanes);
        simd::Shuffle(o, a, b, oddLanes);
        *reinterpret_cast<U*>(even + i) = e;
        *reinterpret_cast<U*>(odd + i) = o;
    }
    for (; i < pairs; ++i) {
        even[i] = in[2 * i];
        odd[i] = in[2 * i + 1];
    }
}

// The first 64-byte boundary in a stream buffer (allocated kAlignFloats floats long).
float* Aligned(std::vector<float>& buffer)
{
    const auto address = reinterpret_cast<uintptr_t>(buffer.data());
    return buffer.data() + (64 - address % 64) % 64 / sizeof(float);
}

}  // namespace

bool MultirateFir::CpuRuns(EKernel kernel)
{
    switch (kernel) {
    case EKernel::kSymmetricAvx:
        return simd::HasAvx();
    case EKernel::kSymmetricAvx2:
        return simd::HasAvx2AndFma();
    case EKernel::kSymmetricAvx512:
        return simd::HasAvx512f();
    default:
        return true;
    }
}

bool MultirateFir::SetUpSymmetric(const double* taps, int32_t tapCount, int32_t upFactor, int32_t upPhase,
                                  int32_t downFactor, int32_t downPhase, int32_t maxInput, EKernel kernel)
{
    const bool up = upFactor == 2 && upPhase == 0 && downFactor == 1 && downPhase == 0;
    const bool down = upFactor == 1 && upPhase == 0 && downFactor == 2 && downPhase == 1;
    if (kernel == EKernel::kReference || !(up || down) || tapCount % 4 != 0)
        return false;
    for (int32_t k = 0; k < tapCount / 2; ++k) {
        if (taps[k] != taps[tapCount - 1 - k])
            return false;
    }
    if (kernel == EKernel::kFastest) {
        kernel = CpuRuns(EKernel::kSymmetricAvx512) ? EKernel::kSymmetricAvx512
            : CpuRuns(EKernel::kSymmetricAvx2)      ? EKernel::kSymmetricAvx2
            : CpuRuns(EKernel::kSymmetricAvx)       ? EKernel::kSymmetricAvx
                                                    : EKernel::kSymmetric;
    } else if (!CpuRuns(kernel)) {
        return false;
    }
    kernel_ = kernel;
    SSymmetric& f = symmetric_;
    const bool avx512 = kernel == EKernel::kSymmetricAvx512, avx2 = kernel == EKernel::kSymmetricAvx2;
    const bool avx = kernel == EKernel::kSymmetricAvx;
    if (up) {
        f.up = avx512 ? avx512::Up : avx2 ? avx2::Up : avx ? avx::Up : baseline::Up;
        f.upPair = avx512 ? UpPairAvx512 : nullptr;
    } else {
        f.down = avx512 ? avx512::Down : avx2 ? avx2::Down : avx ? avx::Down : baseline::Down;
        f.downPair = avx512 ? DownPairAvx512 : nullptr;
    }
    f.copies = avx512 ? avx512::kCopies : avx2 ? avx2::kCopies : avx ? avx::kCopies : baseline::kCopies;

    // Branch e[t] = h[2t]; by symmetry the other branch h[2t + 1] is e[K-1-t].
    const int32_t branch = tapCount / 2;
    f.branch = branch;
    if (up) {
        f.taps.resize(static_cast<size_t>(branch));
        for (int32_t t = 0; t < branch / 2; ++t) {
            const double e = taps[2 * t], mirrored = taps[2 * (branch - 1 - t)];
            f.taps[static_cast<size_t>(t)] = static_cast<float>(0.5 * (e + mirrored));
            f.taps[static_cast<size_t>(branch / 2 + t)] = static_cast<float>(0.5 * (e - mirrored));
        }
    } else {
        for (int32_t t = 0; t < branch; ++t)
            f.taps.push_back(static_cast<float>(taps[2 * t]));
    }

    // Room for many calls before the history has to move back: moving it in every copy
    // costs more than the few more kilobytes (a call only touches the samples it reads).
    // The kernels read up to one vector past the newest sample.
    const int32_t perCall = up ? maxInput : maxInput / 2;
    const int32_t room = std::max(2 * perCall, 1024);
    f.capacity = (branch - 1 + room + kMaxLanes + f.copies + kAlignFloats - 1) / kAlignFloats * kAlignFloats;
    f.streams.assign(static_cast<size_t>(up ? 1 : 2) * f.copies * f.capacity + kAlignFloats, 0.0f);
    f.next = branch - 1;
    return true;
}

int32_t MultirateFir::TakeIn(const float* input, int32_t n)
{
    SSymmetric& f = symmetric_;
    const int32_t history = f.branch - 1;
    const int32_t fresh = f.up ? n : n / 2;  // new samples per stream
    const int32_t streams = f.up ? 1 : 2;
    float* base = Aligned(f.streams);
    if (f.next + fresh + kMaxLanes + f.copies > f.capacity) {
        for (int32_t c = 0; c < streams * f.copies; ++c) {
            float* copy = base + static_cast<size_t>(c) * f.capacity;
            std::memmove(copy, copy + f.next - history, sizeof(float) * history);
        }
        f.next = history;
    }
    // The new samples go into copy 0 of each stream, then on into copy k, k places
    // further down.
    float* first = base + f.next;
    if (f.up)
        CopyFloats(first, input, n);
    else
        Deinterleave(input, first, first + static_cast<size_t>(f.copies) * f.capacity, fresh);
    for (int32_t s = 0; s < streams; ++s) {
        float* stream = first + static_cast<size_t>(s) * f.copies * f.capacity;
        for (int32_t k = 1; k < f.copies; ++k)
            CopyFloats(stream + static_cast<size_t>(k) * f.capacity - k, stream, fresh);
    }
    const int32_t at = f.next;
    f.next += fresh;
    return at;
}

int32_t MultirateFir::ProcessSymmetric(const float* input, float* output, int32_t n)
{
    SSymmetric& f = symmetric_;
    const int32_t at = TakeIn(input, n);
    float* base = Aligned(f.streams);
    if (f.up) {
        f.up(f.taps.data(), f.taps.data() + f.branch / 2, f.branch / 2, base, f.capacity, at, output, n);
        return 2 * n;
    }
    f.down(f.taps.data(), f.branch, base, f.capacity, at, output, n / 2);
    return n / 2;
}

void MultirateFir::ProcessPair(MultirateFir& a, const float* inA, float* outA, MultirateFir& b, const float* inB,
                               float* outB, int32_t n)
{
    SSymmetric& f = a.symmetric_;
    assert(&a != &b && a.kernel_ == b.kernel_ && f.taps == b.symmetric_.taps && f.capacity == b.symmetric_.capacity);
    if (a.kernel_ == EKernel::kReference || !(f.upPair || f.downPair)) {
        a.Process(inA, outA, n);
        b.Process(inB, outB, n);
        return;
    }
    // Each channel's input is taken in before any output is written, as Process does.
    const int32_t at[2] = {a.TakeIn(inA, n), b.TakeIn(inB, n)};
    const float* streams[2] = {Aligned(f.streams), Aligned(b.symmetric_.streams)};
    float* const out[2] = {outA, outB};
    if (f.up)
        f.upPair(f.taps.data(), f.taps.data() + f.branch / 2, f.branch / 2, streams, f.capacity, at, out, n);
    else
        f.downPair(f.taps.data(), f.branch, streams, f.capacity, at, out, n / 2);
}

MultirateFir::MultirateFir(const double* taps, int32_t tapCount, int32_t upFactor, int32_t upPhase, int32_t downFactor,
                           int32_t downPhase, int32_t maxInput, EKernel kernel)
{
    assert(upFactor >= 1 && downFactor >= 1);
    assert(upPhase >= 0 && upPhase < upFactor && downPhase >= 0 && downPhase < downFactor);
    const int32_t g = std::gcd(upFactor, downFactor);
    outPerPeriod_ = upFactor / g;
    inPerPeriod_ = downFactor / g;
    assert(maxInput % inPerPeriod_ == 0);

    // Branch p holds the taps h[p], h[p + L], h[p + 2L], ... stored in reverse, so
    // that the sum runs from the oldest input sample to the newest.
    std::vector<int32_t> branchOffset(upFactor), branchLength(upFactor);
    for (int32_t p = 0; p < upFactor; ++p) {
        const int32_t length = p < tapCount ? (tapCount - p + upFactor - 1) / upFactor : 0;
        branchOffset[p] = static_cast<int32_t>(taps_.size());
        branchLength[p] = length;
        for (int32_t t = 0; t < length; ++t)
            taps_.push_back(static_cast<float>(taps[p + (length - 1 - t) * upFactor]));
    }

    // Output r of a period is v[j] with j = r*M + b. The non-zero u[j - k] are the
    // x[q] with q*L + a = j - k, i.e. k = p (mod L) for p = (j - a) mod L, and the
    // newest of them is x[q0] with q0 = (j - a - p) / L (q0 >= -1).
    std::vector<int32_t> newest(outPerPeriod_), branch(outPerPeriod_);
    int32_t reach = 0;  // how far before input 0 the oldest sample needed lies
    for (int32_t r = 0; r < outPerPeriod_; ++r) {
        const int32_t d = r * downFactor + downPhase - upPhase;
        branch[r] = ((d % upFactor) + upFactor) % upFactor;
        newest[r] = (d - branch[r]) / upFactor;
        reach = std::max(reach, branchLength[branch[r]] - 1 - newest[r]);
    }
    history_ = (reach + inPerPeriod_ - 1) / inPerPeriod_ * inPerPeriod_;
    for (int32_t r = 0; r < outPerPeriod_; ++r) {
        const int32_t length = branchLength[branch[r]];
        phases_.push_back({branchOffset[branch[r]], length, history_ + newest[r] - length + 1});
    }

    streamLength_ = (history_ + maxInput) / inPerPeriod_;
    if (!SetUpSymmetric(taps, tapCount, upFactor, upPhase, downFactor, downPhase, maxInput, kernel))
        streams_.assign(static_cast<size_t>(inPerPeriod_) * streamLength_, 0.0f);
}

void MultirateFir::Reset()
{
    std::fill(streams_.begin(), streams_.end(), 0.0f);
    std::fill(symmetric_.streams.begin(), symmetric_.streams.end(), 0.0f);
    symmetric_.next = symmetric_.branch - 1;
}

// W consecutive periods starting at firstPeriod, output r of each. The inner loop
// has a fixed length and is fully unrolled, so the compiler keeps the accumulators
// in vector registers; each acc[w] still receives its terms one by one, in tap
// order, exactly as the scalar sum would.
template <int W>
void MultirateFir::RunTile(const SPhase& phase, int32_t firstPeriod, int32_t r, float* output) const
{
    float acc[W] = {};
    const float* taps = taps_.data() + phase.tapOffset;
    int32_t stream = phase.firstInput % inPerPeriod_;
    int32_t offset = phase.firstInput / inPerPeriod_ + firstPeriod;
    for (int32_t t = 0; t < phase.tapCount; ++t) {
        const float* x = streams_.data() + static_cast<size_t>(stream) * streamLength_ + offset;
        const float c = taps[t];
#pragma GCC unroll 32
        for (int w = 0; w < W; ++w)
            acc[w] += c * x[w];
        if (++stream == inPerPeriod_) {
            stream = 0;
            ++offset;
        }
    }
    for (int w = 0; w < W; ++w)
        output[(firstPeriod + w) * outPerPeriod_ + r] = acc[w];
}

void MultirateFir::Append(const float* input, int32_t n)
{
    int32_t stream = 0;  // history_ is a multiple of inPerPeriod_
    int32_t offset = history_ / inPerPeriod_;
    for (int32_t i = 0; i < n; ++i) {
        streams_[static_cast<size_t>(stream) * streamLength_ + offset] = input[i];
        if (++stream == inPerPeriod_) {
            stream = 0;
            ++offset;
        }
    }
}

void MultirateFir::KeepNewest(int32_t periods)
{
    const int32_t kept = history_ / inPerPeriod_;
    for (int32_t s = 0; s < inPerPeriod_; ++s) {
        float* base = streams_.data() + static_cast<size_t>(s) * streamLength_;
        std::memmove(base, base + periods, sizeof(float) * kept);
    }
}

void MultirateFir::Skip(const float* input, int32_t n)
{
    assert(n % inPerPeriod_ == 0 && history_ + n <= streamLength_ * inPerPeriod_);
    if (kernel_ != EKernel::kReference) {
        TakeIn(input, n);
        return;
    }
    Append(input, n);
    KeepNewest(n / inPerPeriod_);
}

int32_t MultirateFir::Process(const float* input, float* output, int32_t n)
{
    assert(n % inPerPeriod_ == 0 && history_ + n <= streamLength_ * inPerPeriod_);
    if (kernel_ != EKernel::kReference)
        return ProcessSymmetric(input, output, n);

    Append(input, n);
    const int32_t periods = n / inPerPeriod_;
    for (int32_t r = 0; r < outPerPeriod_; ++r) {
        const SPhase& phase = phases_[r];
        int32_t p = 0;
        for (; p + 32 <= periods; p += 32)
            RunTile<32>(phase, p, r, output);
        for (; p + 4 <= periods; p += 4)
            RunTile<4>(phase, p, r, output);
        for (; p < periods; ++p)
            RunTile<1>(phase, p, r, output);
    }

    KeepNewest(periods);
    return periods * outPerPeriod_;
}
