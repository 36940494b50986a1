// Every test runs with a home folder of its own, so nothing a test does (preference
// files, presets, installed folders) reaches the user's real folders, another test
// running at the same time, or the next test in the same process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// A new empty folder as HOME (the XDG variables cleared, so every folder follows
// HOME); the previous one is removed. False when no folder could be made.
bool FreshHome(std::string& home)
{
    std::error_code ignored;
    if (!home.empty())
        std::filesystem::remove_all(home, ignored);
    std::string pattern = (std::filesystem::temp_directory_path() / "quillstrip-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const char* made = mkdtemp(buffer.data());
    home = made ? made : "";
    if (!made)
        return false;
    setenv("HOME", made, 1);
    for (const char* name :
         {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DOCUMENTS_DIR", "XDG_DESKTOP_DIR", "XDG_MUSIC_DIR"})
        unsetenv(name);
    return true;
}

class CFreshHomePerTest : public ::testing::EmptyTestEventListener {
public:
    explicit CFreshHomePerTest(std::string& home) : home_(home) {}
    void OnTestStart(const ::testing::TestInfo&) override
    {
        if (!FreshHome(home_))
            std::abort();
    }

private:
    std::string& home_;
};

}  // namespace

int main(int argc, char** argv)
{
    static std::string home;
    if (!FreshHome(home))
        return 1;
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new CFreshHomePerTest(home));
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    return result;
}
