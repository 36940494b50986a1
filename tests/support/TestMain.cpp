// Every test process runs with a home folder of its own, so nothing a test does
// (preference files, presets, installed folders) reaches the user's real folders or
// another test running at the same time.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quillstrip-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const char* home = mkdtemp(buffer.data());
    if (!home)
        return 1;
    setenv("HOME", home, 1);
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DOCUMENTS_DIR", "XDG_DESKTOP_DIR", "XDG_MUSIC_DIR"})
        unsetenv(name);

    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    return result;
}
