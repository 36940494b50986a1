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

}  // namespace simd
