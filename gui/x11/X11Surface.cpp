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
    m_display = display;
    m_visual = visual;
    m_shmWanted = trySharedMemory;
}

void CX11Surface::Detach(bool serverAlive)
{
    FreeStorage(serverAlive);
    m_display = nullptr;
    m_visual = nullptr;
}

uint8_t* CX11Surface::GetBits() { return m_size.width > 0 ? m_bits : nullptr; }
const uint8_t* CX11Surface::GetBits() const { return m_size.width > 0 ? m_bits : nullptr; }
SSize CX11Surface::GetSize() const { return m_size; }
int32_t CX11Surface::GetStride() const { return m_size.width * 4; }
std::size_t CX11Surface::GetCapacity() const { return m_capacity; }

bool CX11Surface::Resize(SSize size)
{
    const std::size_t needed = SurfaceBytes(size);
    if (needed == 0) {
        m_size = {};
        return size.width == 0 || size.height == 0;
    }
    if (needed > m_capacity) {
        FreeStorage(m_display && !CX11ErrorTrap::IsBroken(m_display));
        if (!(m_shmWanted && AllocateShared(needed))) {
            m_shmWanted = false;  // once refused, ordinary memory from then on
            m_heap.reset(new (std::nothrow) uint8_t[needed]);
            if (!m_heap)
                return false;
            m_bits = m_heap.get();
        }
        m_capacity = needed;
    }
    m_size = size;
    return true;
}

bool CX11Surface::AllocateShared(std::size_t bytes)
{
    if (!m_display || CX11ErrorTrap::IsBroken(m_display))
        return false;
    const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (id < 0)
        return false;
    void* address = shmat(id, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) {
        shmctl(id, IPC_RMID, nullptr);
        return false;
    }
    m_shm.shmid = id;
    m_shm.shmaddr = static_cast<char*>(address);
    m_shm.readOnly = True;
    // A remote server cannot reach the segment and answers with an error.
    const unsigned long errorsBefore = CX11ErrorTrap::GetErrorCount(m_display);
    const bool sent = XShmAttach(m_display, &m_shm) != 0;
    XSync(m_display, False);
    // Marked for removal now, so the segment goes away with its last user even if we crash.
    shmctl(id, IPC_RMID, nullptr);
    if (!sent || CX11ErrorTrap::GetErrorCount(m_display) != errorsBefore || CX11ErrorTrap::IsBroken(m_display)) {
        shmdt(address);
        m_shm = {};
        return false;
    }
    m_shmAttached = true;
    m_bits = static_cast<uint8_t*>(address);
    return true;
}

void CX11Surface::FreeStorage(bool serverAlive)
{
    if (m_image) {
        m_image->data = nullptr;  // the pixels are ours, not the image's
        XDestroyImage(m_image);
        m_image = nullptr;
    }
    if (m_shmAttached) {
        if (serverAlive && m_display) {
            XShmDetach(m_display, &m_shm);
            XSync(m_display, False);
        }
        shmdt(m_shm.shmaddr);
        m_shm = {};
        m_shmAttached = false;
    }
    m_heap.reset();
    m_bits = nullptr;
    m_capacity = 0;
    m_size = {};
}

XImage* CX11Surface::ImageFor(SSize size)
{
    if (m_image && m_image->width == size.width && m_image->height == size.height)
        return m_image;
    if (m_image) {
        m_image->data = nullptr;
        XDestroyImage(m_image);
        m_image = nullptr;
    }
    const auto width = unsigned(size.width), height = unsigned(size.height);
    if (m_shmAttached) {
        m_image
            = XShmCreateImage(m_display, m_visual, 24, ZPixmap, reinterpret_cast<char*>(m_bits), &m_shm, width, height);
    } else {
        m_image = XCreateImage(m_display, m_visual, 24, ZPixmap, 0, reinterpret_cast<char*>(m_bits), width, height, 32,
                               size.width * 4);
        // Our bytes are little-endian pixels; Xlib swaps them if the server wants the other order.
        if (m_image)
            m_image->byte_order = LSBFirst;
    }
    if (m_image && (m_image->bits_per_pixel != 32 || m_image->bytes_per_line != size.width * 4)) {
        m_image->data = nullptr;
        XDestroyImage(m_image);
        m_image = nullptr;
    }
    return m_image;
}

void CX11Surface::Present(Drawable target, GC gc, SSize size)
{
    if (!m_display || !m_bits || CX11ErrorTrap::IsBroken(m_display))
        return;
    if (size.width < 1 || size.height < 1 || size != m_size)
        return;  // rows must match the stride
    XImage* image = ImageFor(size);
    if (!image)
        return;
    const auto width = unsigned(size.width), height = unsigned(size.height);
    if (m_shmAttached) {
        XShmPutImage(m_display, target, gc, image, 0, 0, 0, 0, width, height, False);
        XSync(m_display, False);
    } else {
        XPutImage(m_display, target, gc, image, 0, 0, 0, 0, width, height);
        XFlush(m_display);
    }
}

}  // namespace zt::ge::x11
