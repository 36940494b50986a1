// What the CPU running us offers, for the kernels that have a wider variant. Each answer
// is read once and kept. Unless a kernel says otherwise, every variant gives the same bits
// as the baseline code (each target builds with -ffp-contract=off, so no product and sum
// fuse even where the instruction set could), so picking one only changes the speed. The
// multirate FIR's AVX2 and AVX-512 kernels are the exception: they fuse on purpose.
#pragma once

namespace simd {

bool HasAvx();
bool HasAvx2AndFma();
bool HasAvx512f();

}  // namespace simd
