#pragma once

#include <cstddef>

namespace zt::vst3 {

// The factory's 32-byte name fields are copied from fixed-width text areas: each
// destination byte takes the source byte only where the product-name area holds a
// 7-bit character, so a name area with a stray high byte cannot spill odd bytes.
void CopyNameField(char* destination, const char* source, const char* productArea);

}  // namespace zt::vst3
