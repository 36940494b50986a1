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

CFileDialog::CFileDialog(bool save) : m_job(nullptr, &DestroyJob) { m_request.save = save; }

CFileDialog::~CFileDialog()
{
    if (m_window)
        m_window->EndModalTask(this);
}

void CFileDialog::Destroy() { delete this; }
void CFileDialog::SetTitle(const char* title) { m_request.title = title ? title : ""; }

void CFileDialog::SetFilter(const char* description, const char* pattern)
{
    m_request.filterDescription = description ? description : "";
    m_request.filterPattern = pattern ? pattern : "";
}

void CFileDialog::SetDefaultExtension(const char* extension) { m_defaultExtension = extension ? extension : ""; }
void CFileDialog::SetInitialFolder(const char* folder) { m_request.initialFolder = folder ? folder : ""; }
bool CFileDialog::IsRunning() const { return m_job != nullptr; }
const std::string& CFileDialog::GetResultPath() const { return m_result; }

bool CFileDialog::Show(IWindow* window, FDone done)
{
    if (!window || m_job)
        return false;
    m_result.clear();
    m_request.parentWindow = window->GetTopLevelHandle();
    m_job.reset(window->GetDesktop()->StartFileDialog(m_request));
    if (!m_job) {
        window->ShowMessage(kNoDialogMessage, kNoDialogCaption);
        return false;
    }
    m_window = window;
    m_done = std::move(done);
    window->BeginModalTask(this);
    return true;
}

bool CFileDialog::PollModalTask()
{
    if (!m_job)
        return true;
    std::string path;
    if (!m_job->Poll(path))
        return false;
    m_job.reset();
    m_window = nullptr;
    if (m_request.save && !path.empty() && !m_defaultExtension.empty()) {
        const std::size_t slash = path.find_last_of('/');
        const std::size_t dot = path.find_last_of('.');
        if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
            path += "." + m_defaultExtension;
    }
    m_result = path;
    // Last: the callback may destroy this dialog.
    if (FDone done = std::move(m_done))
        done(m_result);
    return true;
}

void CFileDialog::OnModalWindowGone()
{
    m_window = nullptr;
    m_job.reset();  // closes the dialog program
    m_done = nullptr;
}

COpenDialog::COpenDialog() : CFileDialog(false) {}

CSaveAsDialog::CSaveAsDialog() : CFileDialog(true) {}

void CSaveAsDialog::SetFileName(const char* name) { m_request.fileName = name ? name : ""; }

}  // namespace zt::ge
