#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/TestSupport.h"
#include "foundation/Exception.h"
#include "foundation/FileSearch.h"
#include "foundation/Paths.h"

namespace {

namespace fs = std::filesystem;

// A private home folder with a clean XDG environment.
class Paths : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.Valid());
        home_ = dir_.Sub("home");
        fs::create_directories(home_ + "/.config");
        env_.Set("HOME", home_);
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "TMPDIR"})
            env_.Clear(name);
    }

    std::string Folder(int code)
    {
        std::string out = "<fail>";
        return zt::GetSpecialFolder(code, out) ? out : "<fail>";
    }
    std::string FrameworkHome(const std::string& rest) const { return dir_.Framework("home:" + rest); }
    void WriteUserDirs(const std::string& folder, const std::string& text)
    {
        fs::create_directories(folder);
        std::ofstream(folder + "/user-dirs.dirs") << text;
    }

    zt::test::CTempDir dir_;
    zt::test::CEnvGuard env_;
    std::string home_;
};

TEST_F(Paths, SpecialFoldersFallBackToHomeDefaults)
{
    EXPECT_EQ(Folder(zt::kSpecialFolderDocuments), FrameworkHome("Documents:"));
    EXPECT_EQ(Folder(zt::kSpecialFolderDesktop), FrameworkHome("Desktop:"));
    EXPECT_EQ(Folder(zt::kSpecialFolderMusic), FrameworkHome("Music:"));
    EXPECT_EQ(Folder(zt::kSpecialFolderAppData), FrameworkHome(".local:share:"));
    EXPECT_EQ(Folder(zt::kSpecialFolderProgramFiles), FrameworkHome(".local:share:"));
    EXPECT_EQ(Folder(zt::kSpecialFolderTemp), ":tmp:");
    EXPECT_EQ(Folder(zt::kSpecialFolderCommonProgramFiles), ":usr:local:share:");
}

TEST_F(Paths, SpecialFoldersFollowTheXdgSettings)
{
    WriteUserDirs(home_ + "/.config",
                  "# written by xdg-user-dirs-update\n"
                  "XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n"
                  "XDG_MUSIC_DIR=\""
                      + dir_.Sub("Tunes \\\"A\\\"")
                      + "\"\n"
                        "XDG_DESKTOP_DIR=\"relative/ignored\"\n");
    EXPECT_EQ(Folder(zt::kSpecialFolderDocuments), FrameworkHome("Docs:"));
    EXPECT_EQ(Folder(zt::kSpecialFolderMusic), dir_.Framework("Tunes \"A\":"));
    EXPECT_EQ(Folder(zt::kSpecialFolderDesktop), FrameworkHome("Desktop:"));

    // XDG_CONFIG_HOME moves the settings file.
    env_.Set("XDG_CONFIG_HOME", dir_.Sub("cfg"));
    WriteUserDirs(dir_.Sub("cfg"), "XDG_DOCUMENTS_DIR=\"$HOME/Elsewhere\"\n");
    EXPECT_EQ(Folder(zt::kSpecialFolderDocuments), FrameworkHome("Elsewhere:"));

    env_.Set("XDG_DATA_HOME", dir_.Sub("data"));
    env_.Set("TMPDIR", dir_.Sub("scratch/"));
    EXPECT_EQ(Folder(zt::kSpecialFolderProgramFiles), dir_.Framework("data:"));
    EXPECT_EQ(Folder(zt::kSpecialFolderTemp), dir_.Framework("scratch:"));
}

TEST_F(Paths, SpecialFolderThatCannotBeExpressedFails)
{
    env_.Set("XDG_DATA_HOME", dir_.Sub("a:b"));
    std::string kept = "kept";
    EXPECT_FALSE(zt::GetSpecialFolder(zt::kSpecialFolderAppData, kept));
    EXPECT_EQ(kept, "kept");
}

TEST_F(Paths, UnknownSpecialFolderThrows)
{
    for (int code : {-1, 7}) {
        std::string out;
        try {
            zt::GetSpecialFolder(code, out);
            ADD_FAILURE() << "no exception for code " << code;
        } catch (zt::IException* e) {
            EXPECT_EQ(e->Type(), 2u);
            EXPECT_EQ(e->Reason(), 2u);
            EXPECT_STREQ(e->Description(), "Not implemented for Windows");
            e->Destroy();
        }
    }
}

TEST_F(Paths, CreateFolderMakesMissingParents)
{
    std::string documents;
    ASSERT_TRUE(zt::GetSpecialFolder(zt::kSpecialFolderDocuments, documents));
    ASSERT_FALSE(fs::exists(home_ + "/Documents"));
    EXPECT_TRUE(zt::CreateFolder((documents + "Kelmora:").c_str()));
    EXPECT_TRUE(fs::is_directory(home_ + "/Documents/Kelmora"));
    EXPECT_TRUE(zt::CreateFolder((documents + "Kelmora:").c_str()));  // already there

    std::ofstream(home_ + "/file") << "x";
    EXPECT_FALSE(zt::CreateFolder(FrameworkHome("file:sub:").c_str()));
    EXPECT_FALSE(zt::CreateFolder(FrameworkHome("bad/name:").c_str()));
    EXPECT_FALSE(zt::CreateFolder(""));
    EXPECT_FALSE(zt::CreateFolder(nullptr));
}

TEST_F(Paths, SearchListsMatchesByName)
{
    fs::create_directories(home_ + "/bg/Folder.png");
    for (const char* name : {"b.png", "a.PNG", "c.jpg"})
        std::ofstream(home_ + "/bg/" + name) << "x";

    zt::CFileSearch search;
    ASSERT_TRUE(search.Search(FrameworkHome("bg:*.png").c_str()));
    const auto& found = search.Results();
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].name, "Folder.png");
    EXPECT_TRUE(found[0].isFolder);
    EXPECT_EQ(found[1].name, "a.PNG");
    EXPECT_EQ(found[2].name, "b.png");
    EXPECT_FALSE(found[2].isFolder);
}

TEST_F(Paths, SearchFailuresExplainThemselves)
{
    zt::CFileSearch search;
    char text[64];
    std::memset(text, '#', sizeof text);
    EXPECT_FALSE(search.Search(":tmp:a/b:*", text, 10));
    EXPECT_STREQ(text, "Uninterpr");
    EXPECT_TRUE(search.Results().empty());

    EXPECT_FALSE(search.Search(":tmp:a/b:*", text, -1));
    EXPECT_STREQ(text, "Uninterpretable path:\n  :tmp:a/b:*");

    // Sizes 0 and 1 leave the buffer alone, and no buffer is fine.
    std::memset(text, '#', sizeof text);
    EXPECT_FALSE(search.Search("", text, 1));
    EXPECT_FALSE(search.Search("", text, 0));
    EXPECT_EQ(text[0], '#');
    EXPECT_FALSE(search.Search(nullptr, nullptr, 10));

    fs::create_directories(home_ + "/empty");
    EXPECT_FALSE(search.Search(FrameworkHome("empty:*.png").c_str(), text, sizeof text));
    EXPECT_STREQ(text, "No such file or directory");
    EXPECT_FALSE(search.Search(FrameworkHome("missing:*").c_str(), text, sizeof text));
    EXPECT_STREQ(text, "No such file or directory");
}

}  // namespace
