#include "gui/x11/X11Surface.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <new>

#include "gui/x11/X11ErrorTrap.h"

namespace zt::ge::x11 {

CX11Surface::~CX11Surface() { Detach(true); }

void CX11Surface::Attach(Display* display, Visual* visual, bool trySharedMemory)
{
    Detach(true);
    display_ = display;
    visual_ = visual;
    shmWanted_ = trySharedMemory;
}

void CX11Surface::Detach(bool serverAlive)
{
    FreeStorage(serverAlive);
    display_ = nullptr;
    visual_ = nullptr;
}

uint8_t* CX11Surface::GetBits() { return size_.width > 0 ? bits_ : nullptr; }
const uint8_t* CX11Surface::GetBits() const { return size_.width > 0 ? bits_ : nullptr; }
SSize CX11Surface::GetSize() const { return size_; }
int32_t CX11Surface::GetStride() const { return size_.width * 4; }
std::size_t CX11Surface::GetCapacity() const { return capacity_; }

bool CX11Surface::Resize(SSize size)
{
    const std::size_t needed = SurfaceBytes(size);
    if (needed == 0) {
        size_ = {};
        return size.width == 0 || size.height == 0;
    }
    if (needed > capacity_) {
        FreeStorage(display_ && !CX11ErrorTrap::IsBroken(display_));
        if (!(shmWanted_ && AllocateShared(needed))) {
            shmWanted_ = false;  // once refused, ordinary memory from then on
            heap_.reset(new (std::nothrow) uint8_t[needed]);
            if (!heap_)
                return false;
            bits_ = heap_.get();
        }
        capacity_ = needed;
    }
    size_ = size;
    return true;
}

bool CX11Surface::AllocateShared(std::size_t bytes)
{
    if (!display_ || CX11ErrorTrap::IsBroken(display_))
        return false;
    const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (id < 0)
        return false;
    void* address = shmat(id, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) {
        shmctl(id, IPC_RMID, nullptr);
        return false;
    }
    shm_.shmid = id;
    shm_.shmaddr = static_cast<char*>(address);
    shm_.readOnly = True;
    // A remote server cannot reach the segment and answers with an error.
    const unsigned long errorsBefore = CX11ErrorTrap::GetErrorCount(display_);
    const bool sent = XShmAttach(display_, &shm_) != 0;
    XSync(display_, False);
    // Marked for removal now, so the segment goes away with its last user even if we crash.
    shmctl(id, IPC_RMID, nullptr);
    if (!sent || CX11ErrorTrap::GetErrorCount(display_) != errorsBefore || CX11ErrorTrap::IsBroken(display_)) {
        shmdt(address);
        shm_ = {};
        return false;
    }
    shmAttached_ = true;
    bits_ = static_cast<uint8_t*>(address);
    return true;
}

void CX11Surface::FreeStorage(bool serverAlive)
{
    if (image_) {
        image_->data = nullptr;  // the pixels are ours, not the image's
        XDestroyImage(image_);
        image_ = nullptr;
    }
    if (shmAttached_) {
        if (serverAlive && display_) {
            XShmDetach(display_, &shm_);
            XSync(display_, False);
        }
        shmdt(shm_.shmaddr);
        shm_ = {};
        shmAttached_ = false;
    }
    heap_.reset();
    bits_ = nullptr;
    capacity_ = 0;
    size_ = {};
}

XImage* CX11Surface::ImageFor(SSize size)
{
    if (image_ && image_->width == size.width && image_->height == size.height)
        return image_;
    if (image_) {
        image_->data = nullptr;
        XDestroyImage(image_);
        image_ = nullptr;
    }
    const auto width = unsigned(size.width), height = unsigned(size.height);
    if (shmAttached_) {
        image_ = XShmCreateImage(display_, visual_, 24, ZPixmap, reinterpret_cast<char*>(bits_), &shm_, width, height);
    } else {
        image_ = XCreateImage(display_, visual_, 24, ZPixmap, 0, reinterpret_cast<char*>(bits_), width, height, 32,
                              size.width * 4);
        // Our bytes are little-endian pixels; Xlib swaps them if the server wants the other order.
        if (image_)
            image_->byte_order = LSBFirst;
    }
    if (image_ && (image_->bits_per_pixel != 32 || image_->bytes_per_line != size.width * 4)) {
        image_->data = nullptr;
        XDestroyImage(image_);
        image_ = nullptr;
    }
    return image_;
}

void CX11Surface::Present(Drawable target, GC gc, SSize size)
{
    if (!display_ || !bits_ || CX11ErrorTrap::IsBroken(display_))
        return;
    if (size.width < 1 || size.height < 1 || size != size_)
        return;  // rows must match the stride
    XImage* image = ImageFor(size);
    if (!image)
        return;
    const auto width = unsigned(size.width), height = unsigned(size.height);
    if (shmAttached_) {
        XShmPutImage(display_, target, gc, image, 0, 0, 0, 0, width, height, False);
        XSync(display_, False);
    } else {
        XPutImage(display_, target, gc, image, 0, 0, 0, 0, width, height);
        XFlush(display_);
    }
}

}  // namespace zt::ge::x11
