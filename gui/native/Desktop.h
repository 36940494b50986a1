#pragma once

#include <cstdint>
#include <string>

#include "foundation/Interface.h"

namespace zt::ge {

// What the user asked for in a file dialog.
struct SFileDialogRequest {
    bool save = false;
    std::string title;
    std::string filterDescription;  // "Presets (*.preset)"
    std::string filterPattern;      // "*.preset"; several separated by ';'
    std::string initialFolder;      // a system path; empty: the dialog's own choice
    std::string fileName;           // the name a save dialog proposes
    uintptr_t parentWindow = 0;     // the host's top-level window, to stay in front of
};

// A file dialog running in a program of its own.
class IFileDialogJob : public virtual IDestructable {
public:
    // Looks without waiting. True once the dialog has closed; path is then
    // the chosen file, or empty when the user cancelled.
    virtual bool Poll(std::string& path) = 0;
    // Destroying a job that is still running closes its dialog.
};

// The desktop's own services, reached through other programs so that the
// editor looks and behaves as the user's other applications do. Nothing
// here waits for the user except ShowMessageAndWait.
class IDesktop : public virtual IInterface {
public:
    // Opens an address or a file with the user's preferred application.
    // False when it could not be handed on.
    virtual bool OpenUrl(const char* target) = 0;
    // Null when the desktop has no dialog program; the caller tells the user.
    virtual IFileDialogJob* StartFileDialog(const SFileDialogRequest& request) = 0;
    // An error message in a dialog of its own (standard error when there is
    // no dialog program). Returns at once.
    virtual void ShowMessage(const char* text, const char* caption, uintptr_t parentWindow) = 0;
    // The same, returning when the user has closed it; for the last words
    // before the process ends.
    virtual void ShowMessageAndWait(const char* text, const char* caption) = 0;
    // Collects the programs that have finished; the window calls it on every tick.
    virtual void Poll() = 0;
};

// The platform's desktop, one per process; implemented by the platform folder.
IDesktop& GetSystemDesktop();

}  // namespace zt::ge
