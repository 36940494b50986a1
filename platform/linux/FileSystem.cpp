// Folder creation and wildcard search with POSIX calls.

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/Platform.h"

namespace zt::platform {
namespace {

std::string ErrorText(int error)
{
    char buffer[512];
    // GNU strerror_r may return a static string instead of filling the buffer.
    return strerror_r(error, buffer, sizeof buffer);
}

}  // namespace

bool IsFolder(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakeFolder(const std::string& path)
{
    if (path.empty())
        return false;
    if (mkdir(path.c_str(), 0777) == 0)
        return true;
    return errno == EEXIST && IsFolder(path);
}

bool FindEntries(const std::string& pattern, std::vector<SFoundEntry>& found, std::string& error)
{
    found.clear();
    std::size_t slash = pattern.rfind('/');
    std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : pattern.substr(0, slash));
    std::string name = slash == std::string::npos ? pattern : pattern.substr(slash + 1);

    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        error = ErrorText(errno);
        return false;
    }
    if (!name.empty()) {
        while (dirent* entry = readdir(dir)) {
            const char* n = entry->d_name;
            if (std::strcmp(n, ".") == 0 || std::strcmp(n, "..") == 0)
                continue;
            // Case-insensitive like the searches users know from other systems, so
            // "*.png" also lists "Sky.PNG".
            if (fnmatch(name.c_str(), n, FNM_CASEFOLD) != 0)
                continue;
            found.push_back({n, IsFolder(folder + "/" + n)});
        }
    }
    closedir(dir);
    if (found.empty()) {
        error = ErrorText(ENOENT);
        return false;
    }
    std::sort(found.begin(), found.end(), [](const SFoundEntry& a, const SFoundEntry& b) { return a.name < b.name; });
    return true;
}

}  // namespace zt::platform
