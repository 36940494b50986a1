#include "foundation/Paths.h"

#include <vector>

#include "foundation/Exception.h"
#include "platform/Platform.h"

namespace zt {

bool ConvertPath(EPathDirection direction, const char* src, std::string& dst, bool makeAbsolute)
{
    static const CPosixPathConverter converter;
    return converter.Convert(direction, src, dst, makeAbsolute);
}

bool GetSpecialFolder(int code, std::string& dst)
{
    std::string folder;
    bool found = false;
    switch (code) {
    case kSpecialFolderAppData:
        found = platform::GetFolder(platform::EFolder::kAppData, folder);
        break;
    case kSpecialFolderDesktop:
        found = platform::GetFolder(platform::EFolder::kDesktop, folder);
        break;
    case kSpecialFolderProgramFiles:
        found = platform::GetFolder(platform::EFolder::kProgramFiles, folder);
        break;
    case kSpecialFolderDocuments:
        found = platform::GetFolder(platform::EFolder::kDocuments, folder);
        break;
    case kSpecialFolderCommonProgramFiles:
        found = platform::GetFolder(platform::EFolder::kCommonProgramFiles, folder);
        break;
    case kSpecialFolderMusic:
        found = platform::GetFolder(platform::EFolder::kMusic, folder);
        break;
    case kSpecialFolderTemp:
        found = platform::GetTempFolder(folder);
        break;
    default:
        // The fixed text predates other systems; callers and logs match on it.
        throw CreateException(kExceptionTypeCode, kExceptionReasonPathInvalid, "Not implemented for Windows");
    }
    if (!found || folder.empty())
        return false;
    if (folder.back() != '/')
        folder += '/';
    return ConvertPath(EPathDirection::kToFramework, folder.c_str(), dst, true);
}

bool CreateFolder(const char* frameworkPath)
{
    if (frameworkPath == nullptr || frameworkPath[0] == '\0')
        return false;
    const std::string path = frameworkPath;

    // The chain of parents, found by cutting after the last ':' before the end.
    // Only the root ":" is left out: here a short parent such as "a:" is a real
    // folder, not a drive. Built as a list rather than by recursion so a hostile
    // path cannot exhaust a small timer-thread stack.
    std::vector<std::size_t> lengths{path.size()};
    for (std::size_t length = path.size(); length >= 2;) {
        std::size_t colon = path.rfind(':', length - 2);
        if (colon == std::string::npos || colon == 0)
            break;
        length = colon + 1;
        lengths.push_back(length);
    }

    bool created = false;
    for (auto it = lengths.rbegin(); it != lengths.rend(); ++it) {
        std::string system;
        created = ConvertPath(EPathDirection::kToSystem, path.substr(0, *it).c_str(), system, true);
        if (!created)
            continue;
        while (system.size() > 1 && system.back() == '/')
            system.pop_back();
        created = platform::MakeFolder(system);
    }
    return created;
}

}  // namespace zt
