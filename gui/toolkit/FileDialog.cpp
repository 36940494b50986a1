#include "gui/toolkit/FileDialog.h"

#include <utility>

namespace zt::ge {
namespace {

void DestroyJob(IFileDialogJob* job)
{
    if (job)
        job->Destroy();
}

}  // namespace

CFileDialog::CFileDialog(bool save) : job_(nullptr, &DestroyJob) { request_.save = save; }

CFileDialog::~CFileDialog()
{
    if (window_)
        window_->EndModalTask(this);
}

void CFileDialog::Destroy() { delete this; }
void CFileDialog::SetTitle(const char* title) { request_.title = title ? title : ""; }

void CFileDialog::SetFilter(const char* description, const char* pattern)
{
    request_.filterDescription = description ? description : "";
    request_.filterPattern = pattern ? pattern : "";
}

void CFileDialog::SetDefaultExtension(const char* extension) { defaultExtension_ = extension ? extension : ""; }
void CFileDialog::SetInitialFolder(const char* folder) { request_.initialFolder = folder ? folder : ""; }
bool CFileDialog::IsRunning() const { return job_ != nullptr; }
const std::string& CFileDialog::GetResultPath() const { return result_; }

bool CFileDialog::Show(IWindow* window, FDone done)
{
    if (!window || job_)
        return false;
    result_.clear();
    request_.parentWindow = window->GetTopLevelHandle();
    job_.reset(window->GetDesktop()->StartFileDialog(request_));
    if (!job_) {
        window->ShowMessage(kNoDialogMessage, kNoDialogCaption);
        return false;
    }
    window_ = window;
    done_ = std::move(done);
    window->BeginModalTask(this);
    return true;
}

bool CFileDialog::PollModalTask()
{
    if (!job_)
        return true;
    std::string path;
    if (!job_->Poll(path))
        return false;
    job_.reset();
    window_ = nullptr;
    if (request_.save && !path.empty() && !defaultExtension_.empty()) {
        const std::size_t slash = path.find_last_of('/');
        const std::size_t dot = path.find_last_of('.');
        if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
            path += "." + defaultExtension_;
    }
    result_ = path;
    // Last: the callback may destroy this dialog.
    if (FDone done = std::move(done_))
        done(result_);
    return true;
}

void CFileDialog::OnModalWindowGone()
{
    window_ = nullptr;
    job_.reset();  // closes the dialog program
    done_ = nullptr;
}

COpenDialog::COpenDialog() : CFileDialog(false) {}

CSaveAsDialog::CSaveAsDialog() : CFileDialog(true) {}

void CSaveAsDialog::SetFileName(const char* name) { request_.fileName = name ? name : ""; }

}  // namespace zt::ge
