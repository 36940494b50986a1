#pragma once

#include <memory>
#include <vector>

#include "gui/native/Desktop.h"
#include "gui/x11/ChildProcess.h"

namespace zt::ge::x11 {

// The Linux desktop through its own programs: zenity (GNOME and most
// others) or kdialog (KDE) for dialogs, xdg-open for addresses. Programs
// are looked up on PATH each time, so installing one takes effect at once.
class CX11Desktop : public IDesktop {
public:
    CX11Desktop() = default;
    ~CX11Desktop() override;  // ends the helpers still running

    bool OpenUrl(const char* target) override;
    IFileDialogJob* StartFileDialog(const SFileDialogRequest& request) override;
    void ShowMessage(const char* text, const char* caption, uintptr_t parentWindow) override;
    void ShowMessageAndWait(const char* text, const char* caption) override;
    void Poll() override;

private:
    std::unique_ptr<CChildProcess> StartMessage(const char* text, const char* caption, uintptr_t parentWindow);

    // Started and not yet collected (messages, xdg-open).
    std::vector<std::unique_ptr<CChildProcess>> background_;
};

}  // namespace zt::ge::x11
