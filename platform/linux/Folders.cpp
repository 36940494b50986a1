// Well-known folders on Linux: the XDG base and user directories.

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "platform/Platform.h"

namespace zt::platform {
namespace {

// XDG ignores relative values in its variables, so do we.
bool AbsoluteEnv(const char* name, std::string& value)
{
    const char* v = std::getenv(name);
    if (v == nullptr || v[0] != '/')
        return false;
    value = v;
    return true;
}

bool GetHome(std::string& home)
{
    if (AbsoluteEnv("HOME", home))
        return true;
    // No usable $HOME (daemons, sandboxes): fall back to the password database.
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* result = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) != 0 || result == nullptr
        || result->pw_dir == nullptr || result->pw_dir[0] != '/')
        return false;
    home = result->pw_dir;
    return true;
}

// Value part of a user-dirs.dirs assignment: a double-quoted shell word
// (backslash escapes allowed) or a bare word.
std::string UnquoteValue(const std::string& text)
{
    std::string value;
    if (!text.empty() && text[0] == '"') {
        for (std::size_t i = 1; i < text.size() && text[i] != '"'; ++i) {
            if (text[i] == '\\' && i + 1 < text.size())
                ++i;
            value += text[i];
        }
    } else {
        for (char c : text) {
            if (c == ' ' || c == '\t' || c == '#')
                break;
            value += c;
        }
    }
    return value;
}

// Looks key up in the user-dirs file. Only "$HOME/..." and absolute values
// are valid there; the last valid assignment wins, as when a shell sources it.
bool ReadUserDir(const char* key, const std::string& home, std::string& path)
{
    std::string config;
    if (!AbsoluteEnv("XDG_CONFIG_HOME", config))
        config = home + "/.config";
    std::ifstream file(config + "/user-dirs.dirs");
    if (!file)
        return false;

    const std::string prefix = std::string(key) + "=";
    bool found = false;
    std::string line;
    while (std::getline(file, line)) {
        std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, prefix.size(), prefix) != 0)
            continue;
        std::string value = UnquoteValue(line.substr(start + prefix.size()));
        for (const char* homeVar : {"$HOME", "${HOME}"}) {
            std::size_t n = std::char_traits<char>::length(homeVar);
            if (value.compare(0, n, homeVar) == 0 && (value.size() == n || value[n] == '/')) {
                value = home + value.substr(n);
                break;
            }
        }
        if (value.empty() || value[0] != '/')
            continue;
        path = value;
        found = true;
    }
    return found;
}

bool UserDir(const char* key, const char* fallback, std::string& path)
{
    std::string home;
    if (!GetHome(home))
        return false;
    if (!ReadUserDir(key, home, path))
        path = home + "/" + fallback;
    return true;
}

bool DataHome(std::string& path)
{
    if (AbsoluteEnv("XDG_DATA_HOME", path))
        return true;
    std::string home;
    if (!GetHome(home))
        return false;
    path = home + "/.local/share";
    return true;
}

}  // namespace

bool GetFolder(EFolder folder, std::string& path)
{
    switch (folder) {
    case EFolder::kAppData:
    case EFolder::kProgramFiles:
        // A per-user installation keeps its files in the user's data home.
        return DataHome(path);
    case EFolder::kDesktop:
        return UserDir("XDG_DESKTOP_DIR", "Desktop", path);
    case EFolder::kDocuments:
        return UserDir("XDG_DOCUMENTS_DIR", "Documents", path);
    case EFolder::kCommonProgramFiles:
        path = "/usr/local/share";
        return true;
    case EFolder::kMusic:
        return UserDir("XDG_MUSIC_DIR", "Music", path);
    }
    return false;
}

bool GetTempFolder(std::string& path)
{
    if (!AbsoluteEnv("TMPDIR", path))
        path = "/tmp";
    return true;
}

bool GetCurrentFolder(std::string& path)
{
    std::vector<char> buffer(4096);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE || buffer.size() > (1u << 20))
            return false;
        buffer.resize(buffer.size() * 2);
    }
    path = buffer.data();
    return true;
}

}  // namespace zt::platform
