#pragma once

// The only door to the operating system. Everything above this layer talks to
// these plain functions, so porting means rewriting the files next to this one.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zt::platform {

// Well-known folders, by role.
enum class EFolder {
    kAppData,  // per-user application data
    kDesktop,
    kProgramFiles,  // where this installation keeps its shared files
    kDocuments,
    kCommonProgramFiles,  // system-wide data shared by all installations
    kMusic,
};

// Absolute system path of a well-known folder, without any guaranteed trailing '/'.
bool GetFolder(EFolder folder, std::string& path);
bool GetTempFolder(std::string& path);
bool GetCurrentFolder(std::string& path);

bool IsFolder(const std::string& path);
// Creates one folder (not its parents). True when the folder exists afterwards,
// whether it was created now or was already there.
bool MakeFolder(const std::string& path);

struct SFoundEntry {
    std::string name;  // without its folder
    bool isFolder = false;
};

// Lists the entries of a folder whose names match the wildcards (* and ?,
// case-insensitive) in the last component of pattern, sorted by name; "." and
// ".." are never listed. On failure (including no match) error gets the
// system's message.
bool FindEntries(const std::string& pattern, std::vector<SFoundEntry>& found, std::string& error);

class IThread {
public:
    virtual ~IThread() = default;  // detaches a thread that was never joined
    virtual void Join() = 0;
    virtual bool IsCurrent() const = 0;  // true on the thread itself
};

// Runs body on a new thread with (at least) the given stack size; the size is
// raised to the system minimum where that is bigger. Null on failure.
std::unique_ptr<IThread> StartThread(std::function<void()> body, std::size_t stackBytes);

}  // namespace zt::platform
