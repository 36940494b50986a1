#include "gui/toolkit/Context.h"

#include <utility>

#include "gui/native/Desktop.h"

namespace zt::ge {

CContext::CContext(std::string moduleFolder) : m_moduleFolder(std::move(moduleFolder))
{
    if (!m_moduleFolder.empty() && m_moduleFolder.back() != '/')
        m_moduleFolder += '/';
}

const std::string& CContext::GetModuleFolder() const { return m_moduleFolder; }

void CContext::ShowMessage(const char* text, const char* caption) { GetSystemDesktop().ShowMessage(text, caption, 0); }

}  // namespace zt::ge
