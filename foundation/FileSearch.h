#pragma once

#include <string>
#include <vector>

namespace zt {

struct SFoundFile {
    std::string name;  // without its folder
    bool isFolder = false;
};

// Lists the files matching a framework path whose last component may hold the
// wildcards '*' and '?' (":home:ann:Backgrounds:*.png"), and explains a
// failure in words.
class CFileSearch {
public:
    // True when at least one entry matches; the entries are then in Results(),
    // sorted by name. On failure, when errorText is given, it receives
    // "Uninterpretable path:\n  <path>" for a path that does not convert, else
    // the system's message (at most 512 characters). Copying the text:
    // bufferSize < 0 copies it whole (the caller guarantees room), > 1 copies at
    // most bufferSize - 1 characters plus a terminator, 0 or 1 copies nothing.
    bool Search(const char* path, char* errorText = nullptr, int bufferSize = 0);

    const std::vector<SFoundFile>& Results() const;

private:
    std::vector<SFoundFile> results_;
};

}  // namespace zt
