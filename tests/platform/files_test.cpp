// The status of a file as the programs ask for it (platform/Files.h): under
// Wine from the directory entry, as _stat answered; on the host from stat,
// standing in for it.
#include "Files.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
const char* const Root = "C:\\";
#else
const char* const Root = "/";
#endif

class FileStatus : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("files-test-" + std::to_string(std::time(nullptr)));
        fs::create_directories(dir_ / "sub");
        std::ofstream(dir_ / "data.bin", std::ios::binary) << std::string(1234, 'x');
    }
    void TearDown() override
    {
        std::error_code error;
        fs::remove_all(dir_, error);
    }
    std::string At(const std::string& name) const { return dir_.string() + "\\" + name; }

    fs::path dir_;
};

struct Expected {
    std::string label;
    std::string path;
    bool found;
    uint32_t size;
};

TEST_F(FileStatus, SizesOfFilesDirectoriesAndRoots)
{
    std::vector<Expected> cases = {
        {"a file", At("data.bin"), true, 1234},
        {"a directory", At("sub"), true, 0},
        {"a drive's root", Root, true, 0},
        {"a missing file", At("missing.bin"), false, 0},
        {"wildcards", At("*.bin"), false, 0},
        {"wildcards in a directory's place", At("su?"), false, 0},
    };
#ifdef _WIN32
    // Names that come to the root; a letter that no drive has.
    cases.push_back({"the root through \"\\.\"", "C:\\.", true, 0});
    cases.push_back({"the current drive's root", "\\", true, 0});
    cases.push_back({"the root with a slash", "C:/", true, 0});
    cases.push_back({"the root of no drive", "Q:\\", false, 0});
#endif
    for (const Expected& c : cases) {
        uint32_t size = 99;
        EXPECT_EQ(c.found, files::StatusSize(c.path, size)) << c.label << ": " << c.path;
        if (c.found) {
            EXPECT_EQ(c.size, size) << c.label;
        }
        int64_t seconds = 0;
        EXPECT_EQ(c.found, files::StatusTime(c.path, seconds)) << c.label << ": " << c.path;
    }
}

// Seconds since 1970 UTC, as _stat counts them.
TEST_F(FileStatus, TimeOfAFileJustWritten)
{
    int64_t seconds = 0;
    ASSERT_TRUE(files::StatusTime(At("data.bin"), seconds));
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    EXPECT_LE(now - 60, seconds);
    EXPECT_GE(now + 60, seconds);
}

#ifdef _WIN32
// A root has no directory entry of its own: _stat stamps it 1980-01-01
// 00:00 in local time.
TEST_F(FileStatus, RootsAreStampedAtTheStartOf1980)
{
    std::tm start = {};
    start.tm_year = 80;
    start.tm_mday = 1;
    start.tm_isdst = -1;
    const int64_t expected = static_cast<int64_t>(std::mktime(&start));
    for (const char* root : {"C:\\", "C:\\.", "\\"}) {
        int64_t seconds = 0;
        ASSERT_TRUE(files::StatusTime(root, seconds)) << root;
        EXPECT_EQ(expected, seconds) << root;
    }
}
#endif

}  // namespace
