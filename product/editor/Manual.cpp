#include "product/editor/Manual.h"

#include "foundation/FileSearch.h"
#include "foundation/Paths.h"
#include "gui/native/Desktop.h"
#include "gui/toolkit/Window.h"

namespace quillstrip {
namespace {

const char* const kCaption = "Quillstrip Pro Small";

bool GetManualFrameworkPath(std::string& path)
{
    std::string folder;
    if (!zt::GetSpecialFolder(zt::kSpecialFolderProgramFiles, folder))
        return false;
    path = folder + kManualFile;
    return true;
}

// A file, not a folder of that name. The search matches names regardless of case, so
// only an exact match counts: the viewer gets the path as written.
bool ManualExists(const std::string& frameworkPath)
{
    zt::CFileSearch search;
    if (!search.Search(frameworkPath.c_str()))
        return false;
    const std::string name = frameworkPath.substr(frameworkPath.rfind(':') + 1);
    for (const zt::SFoundFile& found : search.Results())
        if (!found.isFolder && found.name == name)
            return true;
    return false;
}

}  // namespace

bool GetManualPath(std::string& systemPath)
{
    std::string path;
    return GetManualFrameworkPath(path)
        && zt::ConvertPath(zt::EPathDirection::kToSystem, path.c_str(), systemPath, true);
}

bool OpenManual(zt::ge::IWindow& window)
{
    std::string frameworkPath;
    std::string systemPath;
    if (!GetManualFrameworkPath(frameworkPath)
        || !zt::ConvertPath(zt::EPathDirection::kToSystem, frameworkPath.c_str(), systemPath, true)) {
        window.ShowMessage("The manual cannot be found: the system names no folder for installed files.", kCaption);
        return false;
    }
    if (!ManualExists(frameworkPath)) {
        const std::string text = "The manual is not installed. It belongs here:\n" + systemPath
            + "\n\nInstalling Quillstrip Pro Small again puts it back.";
        window.ShowMessage(text.c_str(), kCaption);
        return false;
    }
    if (!window.GetDesktop()->OpenUrl(systemPath.c_str())) {
        const std::string text = "The manual could not be opened:\n" + systemPath
            + "\n\nOpening files needs the desktop's xdg-open program "
              "(Debian package xdg-utils).";
        window.ShowMessage(text.c_str(), kCaption);
        return false;
    }
    return true;
}

}  // namespace quillstrip
