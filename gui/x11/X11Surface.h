#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <memory>

#include "gui/native/DC.h"

namespace zt::ge::x11 {

// The window's pixel buffer, laid out as the server's 24-bit TrueColor
// visual in 32-bit pixels expects it (blue, green, red, pad on a
// little-endian image), so a paint is one image put with no conversion.
// The buffer lives in a MIT-SHM segment when the server offers the
// extension and can reach our memory (local servers); otherwise in ordinary
// memory, sent with a plain XPutImage.
class CX11Surface : public virtual IDC {
public:
    CX11Surface() = default;
    ~CX11Surface() override;
    CX11Surface(const CX11Surface&) = delete;
    CX11Surface& operator=(const CX11Surface&) = delete;

    // trySharedMemory: use MIT-SHM if the server lets us.
    void Attach(Display* display, Visual* visual, bool trySharedMemory);
    // Frees everything; serverAlive false skips the requests a dead
    // connection cannot take.
    void Detach(bool serverAlive);
    bool IsSharedMemory() const { return shmAttached_; }

    uint8_t* GetBits() override;
    const uint8_t* GetBits() const override;
    SSize GetSize() const override;
    int32_t GetStride() const override;
    std::size_t GetCapacity() const override;
    bool Resize(SSize size) override;

    // Puts the top-left size pixels at (0, 0) of target with one request, and
    // with shared memory waits until the server has read them, so the next
    // paint cannot draw over pixels still on their way.
    void Present(Drawable target, GC gc, SSize size);

private:
    bool AllocateShared(std::size_t bytes);
    void FreeStorage(bool serverAlive);
    XImage* ImageFor(SSize size);

    Display* display_ = nullptr;
    Visual* visual_ = nullptr;
    bool shmWanted_ = false;
    bool shmAttached_ = false;
    XShmSegmentInfo shm_{};
    std::unique_ptr<uint8_t[]> heap_;
    uint8_t* bits_ = nullptr;
    std::size_t capacity_ = 0;
    SSize size_;
    XImage* image_ = nullptr;  // header over bits_ for the current size
};

}  // namespace zt::ge::x11
