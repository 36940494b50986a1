#include "foundation/PathConverter.h"

#include <vector>

#include "platform/Platform.h"

namespace zt {
namespace {

// The components of a path after its root, built one at a time.
class CComponents {
public:
    explicit CComponents(bool rooted) : rooted_(rooted) {}

    // ".." removes the component before it. A relative path keeps a ".." it
    // cannot resolve; at a root there is nothing above to go to.
    void Add(std::string part)
    {
        if (part == "..") {
            if (!parts_.empty() && parts_.back() != "..")
                parts_.pop_back();
            else if (!rooted_)
                parts_.push_back(std::move(part));
            endsWithDotDot_ = true;
            return;
        }
        parts_.push_back(std::move(part));
        endsWithDotDot_ = false;
    }

    // Splits text at any of the separators; empty components stay (a trailing
    // separator yields an empty last component, which marks a folder).
    void AddAll(const std::string& text, const char* separators)
    {
        std::size_t start = 0;
        for (;;) {
            std::size_t end = text.find_first_of(separators, start);
            Add(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
    }

    bool AnyContains(char c) const
    {
        for (const std::string& part : parts_)
            if (part.find(c) != std::string::npos)
                return true;
        return false;
    }

    std::string Join(char separator) const
    {
        std::vector<std::string> parts = parts_;
        if (endsWithDotDot_)
            parts.push_back("");  // "A:B:.." names the folder A
        std::string out;
        for (std::size_t i = 0; i < parts.size(); ++i) {
            if (i > 0)
                out += separator;
            out += parts[i];
        }
        // A relative path that resolved to nothing means the current folder.
        if (out.empty() && !rooted_)
            out = std::string(".") + separator;
        return out;
    }

private:
    bool rooted_;
    bool endsWithDotDot_ = false;
    std::vector<std::string> parts_;
};

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// "C:" alone or followed by '\'. "C:foo" is left to mean a relative framework path.
bool HasWindowsDrive(const std::string& path)
{
    return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':' && (path.size() == 2 || path[2] == '\\');
}

}  // namespace

CWindowsPathConverter::CWindowsPathConverter(std::string currentFolder) : currentFolder_(std::move(currentFolder)) {}

bool CWindowsPathConverter::Convert(EPathDirection direction, const char* src, std::string& dst,
                                    bool makeAbsolute) const
{
    if (src == nullptr || src[0] == '\0')
        return false;
    std::string path = src;

    bool absolute = path[0] == ':' || HasWindowsDrive(path);
    if (!absolute && makeAbsolute) {
        const std::string& cwd = currentFolder_;
        if (!HasWindowsDrive(cwd))
            return false;
        if (path[0] == '\\')
            path = cwd.substr(0, 2) + path;
        else
            path = cwd + (cwd.back() == '\\' ? "" : "\\") + path;
        absolute = true;
    }

    std::size_t restStart = 0;
    std::string out;
    if (absolute) {
        char drive = 0;
        if (path[0] == ':') {
            if (path.size() < 2 || !IsDriveLetter(path[1]) || (path.size() > 2 && path[2] != ':'))
                return false;
            drive = path[1];
        } else {
            drive = path[0];  // HasWindowsDrive
        }
        restStart = path.size() > 3 ? 3 : path.size();
        out = direction == EPathDirection::kToSystem ? std::string(1, drive) + ":\\" : std::string(":") + drive + ":";
    }

    if (restStart < path.size()) {
        CComponents parts(absolute);
        parts.AddAll(path.substr(restStart), ":\\");
        out += parts.Join(direction == EPathDirection::kToSystem ? '\\' : ':');
    }
    dst = out;
    return true;
}

CPosixPathConverter::CPosixPathConverter(CurrentFolderSource currentFolder) : currentFolder_(std::move(currentFolder))
{
    if (!currentFolder_)
        currentFolder_ = platform::GetCurrentFolder;
}

bool CPosixPathConverter::Convert(EPathDirection direction, const char* src, std::string& dst, bool makeAbsolute) const
{
    if (src == nullptr || src[0] == '\0')
        return false;
    const bool toSystem = direction == EPathDirection::kToSystem;
    const char sourceSeparator = toSystem ? ':' : '/';
    const char targetSeparator = toSystem ? '/' : ':';
    std::string path = src;

    bool rooted = path[0] == sourceSeparator;
    CComponents parts(rooted || makeAbsolute);
    if (!rooted && makeAbsolute) {
        std::string cwd;
        if (!currentFolder_(cwd) || cwd.empty() || cwd[0] != '/')
            return false;
        std::size_t start = 1;
        while (start < cwd.size()) {
            std::size_t end = cwd.find('/', start);
            if (end == std::string::npos)
                end = cwd.size();
            if (end > start)
                parts.Add(cwd.substr(start, end - start));
            start = end + 1;
        }
        rooted = true;
    }
    parts.AddAll(rooted && path[0] == sourceSeparator ? path.substr(1) : path, toSystem ? ":" : "/");
    // A component holding the target separator would silently split in two
    // (or climb out of its folder with "/.."). This also covers the current
    // folder's components.
    if (parts.AnyContains(targetSeparator))
        return false;

    dst = (rooted ? std::string(1, targetSeparator) : std::string()) + parts.Join(targetSeparator);
    return true;
}

}  // namespace zt
