// GCC's generic vectors of W lanes of T. Element-wise operations on them are the scalar
// IEEE operations, so each lane holds exactly what the scalar code computes; the same
// source, compiled inside a function built for a wider instruction set, only runs more
// lanes at once.
#pragma once

namespace simd {

template <class T, int W>
struct SVector {
    typedef T V __attribute__((vector_size(sizeof(T) * W)));
    // The same, at any address of a T (for loads and stores that are not aligned).
    typedef T Unaligned __attribute__((vector_size(sizeof(T) * W), aligned(sizeof(T))));
};

// out = lanes of a and b picked by mask (lane k is lane mask[k] of a followed by b). GCC's
// builtin takes a run-time mask; clang has only constant masks, so clang, which builds
// the checked fuzzing tree only, moves the lanes one by one (the same bits). Vectors go
// by reference: passing or returning wide ones by value across target attributes would
// change the calling convention.
template <class V, class M>
inline __attribute__((always_inline)) void Shuffle(V& out, const V& a, const V& b, const M& mask)
{
#if defined(__clang__)
    constexpr int kLanes = sizeof(V) / sizeof(a[0]);
    V picked;
    for (int k = 0; k < kLanes; ++k) {
        const int pick = static_cast<int>(mask[k]) & (2 * kLanes - 1);
        picked[k] = pick < kLanes ? a[pick] : b[pick - kLanes];
    }
    out = picked;
#else
    out = __builtin_shuffle(a, b, mask);
#endif
}

}  // namespace simd
