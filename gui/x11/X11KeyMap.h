#pragma once

#include <cstdint>

namespace zt::ge::x11 {

// The toolkit key code (EKey) for a key, or kKeyNone for keys the toolkit
// does not know.
//   base:       the key's unshifted keysym (XLookupKeysym index 0), which
//               names letters, digits and punctuation whatever the modifiers;
//   translated: the keysym with the modifiers applied (XLookupString), which
//               tells the numeric pad's digits (Num Lock on) from its
//               cursor keys;
//   shift:      Shift was down, which selects the upper letter range.
int32_t MapKeySym(unsigned long base, unsigned long translated, bool shift);

}  // namespace zt::ge::x11
