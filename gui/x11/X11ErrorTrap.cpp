#include "gui/x11/X11ErrorTrap.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace zt::ge::x11 {
namespace {

struct SEntry {
    Display* display;
    unsigned long errors;
    bool broken;
};

std::mutex g_lock;  // guards everything below
std::vector<SEntry> g_entries;
XErrorHandler g_previousError = nullptr;
XIOErrorHandler g_previousIOError = nullptr;

SEntry* Find(Display* display)
{
    auto it = std::find_if(g_entries.begin(), g_entries.end(), [&](const SEntry& e) { return e.display == display; });
    return it == g_entries.end() ? nullptr : &*it;
}

int OnError(Display* display, XErrorEvent* event)
{
    XErrorHandler previous;
    {
        std::lock_guard<std::mutex> lock(g_lock);
        if (SEntry* entry = Find(display)) {
            ++entry->errors;
            return 0;
        }
        previous = g_previousError;
    }
    return previous ? previous(display, event) : 0;
}

int OnIOError(Display* display)
{
    XIOErrorHandler previous;
    {
        std::lock_guard<std::mutex> lock(g_lock);
        if (SEntry* entry = Find(display)) {
            entry->broken = true;
            return 0;  // Xlib goes on to the display's exit handler, which is ours too
        }
        previous = g_previousIOError;
    }
    return previous ? previous(display) : 0;
}

// Returning from here (instead of exiting) leaves Xlib's call to fail, and
// the connection marked unusable.
void OnIOErrorExit(Display* display, void*)
{
    std::lock_guard<std::mutex> lock(g_lock);
    if (SEntry* entry = Find(display))
        entry->broken = true;
}

}  // namespace

void CX11ErrorTrap::Attach(Display* display)
{
    if (!display)
        return;
    {
        std::lock_guard<std::mutex> lock(g_lock);
        if (Find(display))
            return;
        if (g_entries.empty()) {
            g_previousError = XSetErrorHandler(&OnError);
            g_previousIOError = XSetIOErrorHandler(&OnIOError);
        }
        g_entries.push_back({display, 0, false});
    }
    XSetIOErrorExitHandler(display, &OnIOErrorExit, nullptr);
}

void CX11ErrorTrap::Detach(Display* display)
{
    std::lock_guard<std::mutex> lock(g_lock);
    auto it = std::find_if(g_entries.begin(), g_entries.end(), [&](const SEntry& e) { return e.display == display; });
    if (it == g_entries.end())
        return;
    g_entries.erase(it);
    if (!g_entries.empty())
        return;
    // Somebody who installed a handler after us keeps theirs.
    if (XErrorHandler current = XSetErrorHandler(g_previousError); current != &OnError)
        XSetErrorHandler(current);
    if (XIOErrorHandler current = XSetIOErrorHandler(g_previousIOError); current != &OnIOError)
        XSetIOErrorHandler(current);
    g_previousError = nullptr;
    g_previousIOError = nullptr;
}

unsigned long CX11ErrorTrap::GetErrorCount(Display* display)
{
    std::lock_guard<std::mutex> lock(g_lock);
    const SEntry* entry = Find(display);
    return entry ? entry->errors : 0;
}

bool CX11ErrorTrap::IsBroken(Display* display)
{
    std::lock_guard<std::mutex> lock(g_lock);
    const SEntry* entry = Find(display);
    return entry && entry->broken;
}

}  // namespace zt::ge::x11
