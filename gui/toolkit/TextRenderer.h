#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/Interface.h"
#include "gui/native/Geometry.h"

namespace zt::ge {

class IDrawContext;

// One line of 8-bit text in one font and colour. The fonts of the toolkit
// implement it; the window uses one to write tooltips.
class ITextRenderer : public virtual IInterface {
public:
    virtual int32_t GetTextWidth(const char* text, std::size_t length) = 0;
    virtual int32_t GetLineHeight() = 0;
    virtual void DrawText(IDrawContext& context, SPoint topLeft, const char* text, std::size_t length,
                          const SRect& clip)
        = 0;
};

}  // namespace zt::ge
