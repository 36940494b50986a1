// The toolkit's controls on the generated skin, in one window to try by
// hand, or drawn offscreen into a PNG file.
//
//   quillstrip-gallery [--open WHAT] [--seconds N]   a window on the X display
//   quillstrip-gallery --png FILE [--open WHAT]      a picture
// WHAT is settings, about, list or menu: that overlay or menu starts open.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "Gallery.h"
#include "gui/toolkit/Context.h"
#include "gui/toolkit/DrawContext.h"
#include "gui/toolkit/MemoryDC.h"
#include "gui/toolkit/OffscreenWindow.h"
#include "gui/toolkit/PngWriter.h"
#include "gui/toolkit/PopupMenu.h"
#include "gui/x11/WindowDriver.h"

namespace {

using namespace zt::ge;

constexpr SSize kEditorSize{780, 500};

int Usage(const char* program)
{
    std::fprintf(stderr, "usage: %s [--png FILE] [--open settings|about|list|menu] [--seconds N]\n", program);
    return 2;
}

// The window's pixels with the open popups (a menu lives in windows of its
// own, and may reach beyond the editor) laid over them where they appear.
bool WritePicture(COffscreenWindow& window, const std::string& path)
{
    SRect all({0, 0}, kEditorSize);
    for (const COffscreenPopup* popup : window.GetPopups())
        all = Union(all, popup->GetRect());
    const SPoint shift{-all.position.x, -all.position.y};
    CMemoryDC picture(all.size);
    CDrawContext context(picture);
    const SRect everything({0, 0}, all.size);
    context.GetPrimitives().FillRect(everything, SColour::FromRGB(40, 42, 46), everything);
    const IDC& surface = window.GetSurface();
    context.GetPrimitives().CopyPixels({surface.GetBits(), surface.GetSize(), surface.GetStride()}, shift, everything);
    for (const COffscreenPopup* popup : window.GetPopups()) {
        const IDC& pixels = popup->GetPixels();
        context.GetPrimitives().CopyPixels({pixels.GetBits(), pixels.GetSize(), pixels.GetStride()},
                                           popup->GetRect().position + shift, everything);
    }
    return WritePng(picture, path);
}

int RenderPng(const std::string& path, const std::string& open)
{
    CContext context;
    COffscreenWindow window(kEditorSize, &context);
    int status = 0;
    {
        gallery::CGallery gallery(window);
        gallery.Freeze();
        if (open == "settings")
            gallery.OpenSettings();
        if (open == "about")
            gallery.OpenAbout();
        if (open == "list")
            gallery.OpenTypeList();
        if (open == "menu") {
            gallery.OpenMenu();
            // Down to the sub-menu, as a hand on the mouse would.
            if (!window.GetPopups().empty()) {
                COffscreenPopup* menu = window.GetPopups().front();
                const SRect r = menu->GetRect();
                menu->SendMouse(kMouseMove, {r.position.x + 30, r.position.y + 1 + 5 * ((r.size.height - 2) / 7) + 8});
            }
        }
        window.OnTimerTick();
        window.GetRootPane()->Invalidate();
        window.Paint();
        if (!WritePicture(window, path)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            status = 1;
        }
        // The menu's popups must close before the window does.
        if (auto* menu = dynamic_cast<IPopupMenu*>(window.GetRootPane()->FindControl(114)))
            menu->CloseMenu();
    }
    return status;
}

void OpenAtStart(gallery::CGallery& gallery, const std::string& open)
{
    if (open == "settings")
        gallery.OpenSettings();
    if (open == "about")
        gallery.OpenAbout();
    if (open == "list")
        gallery.OpenTypeList();
    if (open == "menu")
        gallery.OpenMenu();
}

int RunWindow(const std::string& open, long seconds)
{
    CContext context;
    std::unique_ptr<IWindow, void (*)(IWindow*)> window(CreateWindow(&context, 0, SRect({0, 0}, kEditorSize)),
                                                        [](IWindow* w) { w->Destroy(); });
    if (!window) {
        std::fprintf(stderr, "no X display to open a window on (try --png FILE)\n");
        return 1;
    }
    auto gallery = std::make_unique<gallery::CGallery>(*window);
    window->Show();
    x11::CWindowDriver driver(*window);
    driver.RunFor(200);  // mapped, so a menu can take the pointer
    OpenAtStart(*gallery, open);
    // Runs until the window's connection goes (the window closed by the
    // desktop), or for the seconds asked for.
    const uint32_t start = window->GetTimeMs();
    while (window->IsConnected() && (seconds <= 0 || window->GetTimeMs() - start < uint32_t(seconds * 1000))) {
        driver.RunFor(IWindow::kTickIntervalMs);
        gallery->Tick(window->GetTimeMs());
    }
    if (auto* menu = dynamic_cast<IPopupMenu*>(window->GetRootPane()->FindControl(114)))
        menu->CloseMenu();
    gallery.reset();
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string png, open;
    long seconds = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--png") == 0 && i + 1 < argc)
            png = argv[++i];
        else if (std::strcmp(argv[i], "--open") == 0 && i + 1 < argc)
            open = argv[++i];
        else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc)
            seconds = std::strtol(argv[++i], nullptr, 10);
        else
            return Usage(argv[0]);
    }
    if (!open.empty() && open != "settings" && open != "about" && open != "list" && open != "menu")
        return Usage(argv[0]);
    return png.empty() ? RunWindow(open, seconds) : RenderPng(png, open);
}
