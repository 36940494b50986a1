#pragma once

#include <functional>
#include <memory>
#include <string>

#include "gui/native/Desktop.h"
#include "gui/toolkit/Window.h"

namespace zt::ge {

// Choosing a file to open or a name to save under, in the desktop's own
// dialog. The dialog runs in a program of its own: Show returns at once,
// the editor refuses input while the dialog is up, the window's tick
// watches for its end, and done gets the chosen path (empty on cancel).
// When the desktop has no dialog program, Show says so in a message and
// returns false.
class IFileDialog : public virtual IDestructable {
public:
    using FDone = std::function<void(const std::string& path)>;

    virtual void SetTitle(const char* title) = 0;
    // A description and its pattern: "Presets (*.preset)" and "*.preset".
    virtual void SetFilter(const char* description, const char* pattern) = 0;
    virtual void SetDefaultExtension(const char* extension) = 0;  // without the dot; added when the name has none
    virtual void SetInitialFolder(const char* folder) = 0;        // a system path
    virtual bool Show(IWindow* window, FDone done) = 0;
    virtual bool IsRunning() const = 0;
    virtual const std::string& GetResultPath() const = 0;
};

class IOpenDialog : public virtual IFileDialog {};

class ISaveAsDialog : public virtual IFileDialog {
public:
    virtual void SetFileName(const char* name) = 0;  // proposed in the dialog
};

class CFileDialog : public virtual IFileDialog, public IModalTask {
public:
    static constexpr const char* kNoDialogMessage
        = "No file dialog is available: install zenity or kdialog to choose files.";
    static constexpr const char* kNoDialogCaption = "File dialog";

    void Destroy() override;
    void SetTitle(const char* title) override;
    void SetFilter(const char* description, const char* pattern) override;
    void SetDefaultExtension(const char* extension) override;
    void SetInitialFolder(const char* folder) override;
    bool Show(IWindow* window, FDone done) override;
    bool IsRunning() const override;
    const std::string& GetResultPath() const override;

    bool PollModalTask() override;
    void OnModalWindowGone() override;

protected:
    explicit CFileDialog(bool save);
    virtual ~CFileDialog();

    SFileDialogRequest request_;

private:
    std::string defaultExtension_;
    std::string result_;
    std::unique_ptr<IFileDialogJob, void (*)(IFileDialogJob*)> job_;
    IWindow* window_ = nullptr;
    FDone done_;
};

class COpenDialog : public virtual IOpenDialog, public CFileDialog {
public:
    COpenDialog();
};

class CSaveAsDialog : public virtual ISaveAsDialog, public CFileDialog {
public:
    CSaveAsDialog();
    void SetFileName(const char* name) override;
};

}  // namespace zt::ge
