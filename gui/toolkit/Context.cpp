#include "gui/toolkit/Context.h"

#include <utility>

#include "gui/native/Desktop.h"

namespace zt::ge {

CContext::CContext(std::string moduleFolder) : moduleFolder_(std::move(moduleFolder))
{
    if (!moduleFolder_.empty() && moduleFolder_.back() != '/')
        moduleFolder_ += '/';
}

const std::string& CContext::GetModuleFolder() const { return moduleFolder_; }

void CContext::ShowMessage(const char* text, const char* caption) { GetSystemDesktop().ShowMessage(text, caption, 0); }

}  // namespace zt::ge
