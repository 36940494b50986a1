// What the CPU running us offers, for the kernels that have a wider variant. Each answer
// is read once and kept. Every variant gives the same bits as the baseline code (each
// target builds with -ffp-contract=off, so no product and sum fuse even where the
// instruction set could), so picking one only changes the speed.
#pragma once

namespace simd {

bool HasAvx();
bool HasAvx2AndFma();
bool HasAvx512f();

}  // namespace simd
