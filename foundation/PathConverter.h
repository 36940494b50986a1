#pragma once

// Framework paths name files the same way on every system: components
// separated by ':', absolute when they start with ':', a trailing ':' marks a
// folder, and a ".." component removes the component before it. A converter
// turns them into the running system's paths and back.

#include <functional>
#include <string>

#include "foundation/Interface.h"

namespace zt {

enum class EPathDirection {
    kToSystem,     // framework path in, system path out
    kToFramework,  // system path in, framework path out
};

class IPathConverter : public virtual IInterface {
public:
    // False on an empty or uninterpretable source; dst is then left unchanged.
    // With makeAbsolute a relative source is resolved against the current folder.
    virtual bool Convert(EPathDirection direction, const char* src, std::string& dst, bool makeAbsolute) const = 0;
};

// Windows rules, kept so the framework's paths mean the same everywhere:
//  - framework absolute paths begin with a drive, ":C:" <-> "C:\";
//    ':' must be followed by a letter and then ':' or the end (":1:x" fails);
//  - in the rest every ':' or '\' becomes the target separator;
//  - a relative source with makeAbsolute is prefixed with the current folder
//    and '\'; one that starts with '\' keeps only the current folder's drive.
// Example: ":C:A:B:..:F" -> "C:\A\F".
class CWindowsPathConverter : public virtual IPathConverter {
public:
    // currentFolder is a Windows path with a drive, e.g. "D:\Work".
    explicit CWindowsPathConverter(std::string currentFolder = std::string());
    bool Convert(EPathDirection direction, const char* src, std::string& dst, bool makeAbsolute) const override;

private:
    std::string currentFolder_;
};

// POSIX rules: ":home:ann:Documents:" <-> "/home/ann/Documents/". A framework
// component that contains '/' (or a system component that contains ':')
// cannot be expressed on the other side, so the conversion fails; ".." never
// climbs above the root.
class CPosixPathConverter : public virtual IPathConverter {
public:
    using CurrentFolderSource = std::function<bool(std::string&)>;
    // By default the process's current folder.
    explicit CPosixPathConverter(CurrentFolderSource currentFolder = CurrentFolderSource());
    bool Convert(EPathDirection direction, const char* src, std::string& dst, bool makeAbsolute) const override;

private:
    CurrentFolderSource currentFolder_;
};

}  // namespace zt
