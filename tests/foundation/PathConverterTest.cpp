#include <gtest/gtest.h>

#include <string>

#include "foundation/PathConverter.h"

namespace {

using zt::EPathDirection;

// Both directions through one converter; a failure reads "<fail>".
class CConverting : public ::testing::Test {
protected:
    explicit CConverting(const zt::IPathConverter& converter) : converter_(converter) {}
    std::string Run(EPathDirection direction, const char* src, bool makeAbsolute) const
    {
        std::string out = "<fail>";
        return converter_.Convert(direction, src, out, makeAbsolute) ? out : "<fail>";
    }
    std::string System(const char* src, bool makeAbsolute = false) const
    {
        return Run(EPathDirection::kToSystem, src, makeAbsolute);
    }
    std::string Framework(const char* src, bool makeAbsolute = false) const
    {
        return Run(EPathDirection::kToFramework, src, makeAbsolute);
    }

    const zt::IPathConverter& converter_;
};

class WindowsPathConverter : public CConverting {
protected:
    WindowsPathConverter() : CConverting(windows_) {}
    zt::CWindowsPathConverter windows_{"D:\\Work"};
};

TEST_F(WindowsPathConverter, DrivesAndComponents)
{
    EXPECT_EQ(System(":C:A:B:..:F"), "C:\\A\\F");
    EXPECT_EQ(System(":C:Program Files:Kelmora:"), "C:\\Program Files\\Kelmora\\");
    EXPECT_EQ(System(":c"), "c:\\");
    EXPECT_EQ(Framework("C:\\A\\B\\"), ":C:A:B:");
    EXPECT_EQ(Framework(":C:A\\B"), ":C:A:B");
    EXPECT_EQ(System(":C:A:B:.."), "C:\\A\\");  // ".." last still names a folder
    EXPECT_EQ(System(":C:..:..:x"), "C:\\x");   // nothing above the drive
}

TEST_F(WindowsPathConverter, InvalidDrivesAndEmptySourcesFail)
{
    EXPECT_EQ(System(":1:x"), "<fail>");
    EXPECT_EQ(System(":"), "<fail>");
    EXPECT_EQ(System(":CD:x"), "<fail>");
    EXPECT_EQ(System(""), "<fail>");
    EXPECT_EQ(System(nullptr), "<fail>");
    EXPECT_EQ(Framework(""), "<fail>");
}

TEST_F(WindowsPathConverter, RelativeSources)
{
    EXPECT_EQ(System("Kelmora:x.xml", true), "D:\\Work\\Kelmora\\x.xml");
    EXPECT_EQ(System("\\Root:x", true), "D:\\Root\\x");  // only the drive of the current folder
    EXPECT_EQ(System("..:x", true), "D:\\x");
    EXPECT_EQ(Framework("Sub\\f.txt", true), ":D:Work:Sub:f.txt");
    EXPECT_EQ(System("Kelmora:x.xml"), "Kelmora\\x.xml");
    EXPECT_EQ(System("..:..:x"), "..\\..\\x");  // unresolvable ".." is kept
    EXPECT_EQ(System("a:b:..:..:"), ".\\");

    zt::CWindowsPathConverter noFolder;
    std::string out;
    EXPECT_FALSE(noFolder.Convert(EPathDirection::kToSystem, "x", out, true));
}

class PosixPathConverter : public CConverting {
protected:
    PosixPathConverter() : CConverting(posix_) {}
    std::string cwd_ = "/work/dir";
    zt::CPosixPathConverter posix_{[this](std::string& out) {
        out = cwd_;
        return true;
    }};
};

TEST_F(PosixPathConverter, AbsolutePathsBothWays)
{
    EXPECT_EQ(System(":home:ann:Documents:"), "/home/ann/Documents/");
    EXPECT_EQ(Framework("/home/ann/Documents/"), ":home:ann:Documents:");
    EXPECT_EQ(System(":home:ann:Documents:Kelmora:x.xml"), "/home/ann/Documents/Kelmora/x.xml");
    EXPECT_EQ(System(":"), "/");
    EXPECT_EQ(Framework("/"), ":");
    EXPECT_EQ(System(":a:b:..:c"), "/a/c");
    EXPECT_EQ(System(":a:.."), "/");
    EXPECT_EQ(System(":..:..:etc"), "/etc");  // never above the root
    EXPECT_EQ(Framework("/a/b/../../../c"), ":c");
}

TEST_F(PosixPathConverter, RelativePaths)
{
    EXPECT_EQ(System("Kelmora:x.xml", true), "/work/dir/Kelmora/x.xml");
    EXPECT_EQ(System("..:x", true), "/work/x");
    EXPECT_EQ(Framework("sub/f", true), ":work:dir:sub:f");
    EXPECT_EQ(System("Kelmora:x.xml"), "Kelmora/x.xml");
    EXPECT_EQ(System("..:x"), "../x");
    EXPECT_EQ(Framework("../x/"), "..:x:");
    cwd_ = "/";
    EXPECT_EQ(System("x", true), "/x");
    cwd_ = "relative";  // the current folder must be absolute
    EXPECT_EQ(System("x", true), "<fail>");
}

TEST_F(PosixPathConverter, ComponentsThatCannotCrossFail)
{
    EXPECT_EQ(System(":home:ann:..\\/..:x"), "<fail>");
    EXPECT_EQ(System(":tmp:a/b"), "<fail>");
    EXPECT_EQ(System("../../etc/passwd"), "<fail>");
    EXPECT_EQ(Framework("/tmp/a:b"), "<fail>");
    cwd_ = "/odd:dir";
    EXPECT_EQ(Framework("x", true), "<fail>");
    EXPECT_EQ(System("", true), "<fail>");
    EXPECT_EQ(System(nullptr), "<fail>");

    std::string kept = "unchanged";
    EXPECT_FALSE(converter_.Convert(EPathDirection::kToSystem, ":a/b", kept, false));
    EXPECT_EQ(kept, "unchanged");
}

}  // namespace
