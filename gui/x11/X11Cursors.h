#pragma once

#include <X11/Xlib.h>

#include <array>
#include <cstdint>

namespace zt::ge::x11 {

// The toolkit's cursor shapes, from the X cursor font, and an invisible
// cursor for hiding the pointer while a control is dragged. Created on first
// use, freed before the display closes.
class CX11Cursors {
public:
    static constexpr int kShapeCount = 6;

    CX11Cursors() = default;
    CX11Cursors(const CX11Cursors&) = delete;
    CX11Cursors& operator=(const CX11Cursors&) = delete;

    void Attach(Display* display);
    void Release(bool serverAlive);

    // Shows shape (ECursor) on window, or nothing for other numbers or while hidden.
    void Apply(Window window, int32_t shape, bool visible);

private:
    Cursor Blank();

    Display* display_ = nullptr;
    std::array<Cursor, kShapeCount> shapes_{};
    Cursor blank_ = 0;
};

}  // namespace zt::ge::x11
