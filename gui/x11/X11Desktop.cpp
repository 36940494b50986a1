#include "gui/x11/X11Desktop.h"

#include <cstdio>

#include "gui/x11/DesktopCommands.h"

namespace zt::ge {

IDesktop& GetSystemDesktop()
{
    static x11::CX11Desktop desktop;
    return desktop;
}

namespace x11 {
namespace {

class CFileDialogJob : public IFileDialogJob {
public:
    explicit CFileDialogJob(std::unique_ptr<CChildProcess> process) : process_(std::move(process)) {}
    void Destroy() override { delete this; }
    bool Poll(std::string& path) override
    {
        if (!process_->Poll())
            return false;
        // Cancel ends the programs with status 1 and prints nothing.
        path = process_->GetExitStatus() == 0 ? PathFromOutput(process_->GetOutput()) : std::string();
        return true;
    }

private:
    std::unique_ptr<CChildProcess> process_;
};

void PrintMessage(const char* text, const char* caption)
{
    std::fprintf(stderr, "%s\n%s\n", caption ? caption : "", text ? text : "");
    std::fflush(stderr);
}

}  // namespace

CX11Desktop::~CX11Desktop() { background_.clear(); }

bool CX11Desktop::OpenUrl(const char* target)
{
    const std::string program = FindProgram("xdg-open");
    auto process = std::make_unique<CChildProcess>();
    if (!target || !*target || program.empty() || !process->Start(program, {"xdg-open", target}, false)) {
        PrintMessage(target, "Could not open");
        return false;
    }
    background_.push_back(std::move(process));
    return true;
}

IFileDialogJob* CX11Desktop::StartFileDialog(const SFileDialogRequest& request)
{
    std::string program = FindProgram("zenity");
    std::vector<std::string> arguments;
    if (!program.empty()) {
        arguments = ZenityFileArguments(request);
    } else if (!(program = FindProgram("kdialog")).empty()) {
        arguments = KdialogFileArguments(request);
    } else {
        return nullptr;
    }
    auto process = std::make_unique<CChildProcess>();
    if (!process->Start(program, arguments, true))
        return nullptr;
    return new CFileDialogJob(std::move(process));
}

std::unique_ptr<CChildProcess> CX11Desktop::StartMessage(const char* text, const char* caption, uintptr_t parent)
{
    std::string program = FindProgram("zenity");
    std::vector<std::string> arguments;
    if (!program.empty()) {
        arguments = ZenityMessageArguments(text, caption, parent);
    } else if (!(program = FindProgram("kdialog")).empty()) {
        arguments = KdialogMessageArguments(text, caption, parent);
    } else {
        return nullptr;
    }
    auto process = std::make_unique<CChildProcess>();
    if (!process->Start(program, arguments, false))
        return nullptr;
    return process;
}

void CX11Desktop::ShowMessage(const char* text, const char* caption, uintptr_t parentWindow)
{
    if (auto process = StartMessage(text, caption, parentWindow))
        background_.push_back(std::move(process));
    else
        PrintMessage(text, caption);
}

void CX11Desktop::ShowMessageAndWait(const char* text, const char* caption)
{
    if (auto process = StartMessage(text, caption, 0))
        process->Wait();
    else
        PrintMessage(text, caption);
}

void CX11Desktop::Poll()
{
    for (std::size_t i = 0; i < background_.size();) {
        if (background_[i]->Poll())
            background_.erase(background_.begin() + std::ptrdiff_t(i));
        else
            ++i;
    }
}

}  // namespace x11
}  // namespace zt::ge
