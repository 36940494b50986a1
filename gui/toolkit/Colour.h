#pragma once

#include <cstdint>

namespace zt::ge {

// One pixel exactly as it lies in every surface: blue, green, red, then a
// fourth byte that the blit ignores and that primitives read as alpha.
struct SColour {
    uint8_t b = 0;
    uint8_t g = 0;
    uint8_t r = 0;
    uint8_t a = 255;

    static constexpr SColour FromRGB(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha = 255)
    {
        return SColour{blue, green, red, alpha};
    }
};

static_assert(sizeof(SColour) == 4, "a colour is one pixel");

inline bool operator==(SColour x, SColour y) { return x.b == y.b && x.g == y.g && x.r == y.r && x.a == y.a; }
inline bool operator!=(SColour x, SColour y) { return !(x == y); }

}  // namespace zt::ge
