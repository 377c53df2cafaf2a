// WININIT.INI edits keep every line they do not mean to touch.
#include "WinInit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

TEST(WinInit, RemoveOnlyTheMatchingEntry)
{
    const struct {
        const char* what;
        const char* before;
        const char* after;
    } cases[] = {
        {"the uninstaller's entry goes, the rest stays",
         "[Rename]\r\nNUL=C:\\WINDOWS\\TEMP\\OLD.TMP\r\nNUL=C:\\WINDOWS\\Dexal.EXE\r\nC:\\WINDOWS\\SYSTEM\\A.DLL=C:\\WINDOWS\\SYSTEM\\A.NEW\r\n",
         "[Rename]\r\nNUL=C:\\WINDOWS\\TEMP\\OLD.TMP\r\nC:\\WINDOWS\\SYSTEM\\A.DLL=C:\\WINDOWS\\SYSTEM\\A.NEW\r\n"},
        {"case and spaces do not matter",
         "[rename]\r\n nul = c:\\windows\\DEXAL.exe \r\n",
         "[rename]\r\n"},
        {"every copy of the same entry goes",
         "[Rename]\r\nNUL=C:\\WINDOWS\\Dexal.EXE\r\nNUL=C:\\WINDOWS\\Dexal.EXE\r\n", "[Rename]\r\n"},
        {"other sections are not touched",
         "[Otra]\r\nNUL=C:\\WINDOWS\\Dexal.EXE\r\n[Rename]\r\nX=Y\r\n",
         "[Otra]\r\nNUL=C:\\WINDOWS\\Dexal.EXE\r\n[Rename]\r\nX=Y\r\n"},
        {"a value naming another file stays",
         "[Rename]\r\nNUL=C:\\WINDOWS\\Dexal.EXE.BAK\r\n", "[Rename]\r\nNUL=C:\\WINDOWS\\Dexal.EXE.BAK\r\n"},
        {"LF line ends and a last line without one", "; nota\n[Rename]\nNUL=C:\\WINDOWS\\Dexal.EXE\nA=B",
         "; nota\n[Rename]\nA=B"},
        {"empty file", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.after, wininit::RemoveEntry(c.before, "Rename", "NUL", "C:\\WINDOWS\\Dexal.EXE")) << c.what;
}

TEST(WinInit, AppendAtTheEndOfTheSection)
{
    const struct {
        const char* what;
        const char* before;
        const char* after;
    } cases[] = {
        {"no file yet", "", "[Rename]\r\nNUL=C:\\WINDOWS\\Dexal.EXE\r\n"},
        {"another section only", "[Otra]\r\nA=B\r\n", "[Otra]\r\nA=B\r\n[Rename]\r\nNUL=C:\\WINDOWS\\Dexal.EXE\r\n"},
        {"after the section's last entry, before blank lines and the next section",
         "[Rename]\r\nNUL=C:\\X.TMP\r\n\r\n[Otra]\r\nA=B\r\n",
         "[Rename]\r\nNUL=C:\\X.TMP\r\nNUL=C:\\WINDOWS\\Dexal.EXE\r\n\r\n[Otra]\r\nA=B\r\n"},
        {"a last line without its end", "[Rename]\r\nNUL=C:\\X.TMP",
         "[Rename]\r\nNUL=C:\\X.TMP\r\nNUL=C:\\WINDOWS\\Dexal.EXE\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.after, wininit::AppendEntry(c.before, "Rename", "NUL", "C:\\WINDOWS\\Dexal.EXE")) << c.what;
}

TEST(WinInit, FileEdits)
{
    const fs::path path = fs::current_path() / "wininit_test.ini";
    fs::remove(path);
    const std::string file = path.string();
    // Removing from a missing file creates nothing.
    EXPECT_TRUE(wininit::RemoveEntryFromFile(file, "Rename", "NUL", "C:\\WINDOWS\\Dexal.EXE"));
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(wininit::AppendEntryToFile(file, "Rename", "NUL", "C:\\WINDOWS\\TEMP\\A.TMP"));
    EXPECT_TRUE(wininit::AppendEntryToFile(file, "Rename", "NUL", "C:\\WINDOWS\\Dexal.EXE"));
    EXPECT_TRUE(wininit::RemoveEntryFromFile(file, "Rename", "NUL", "C:\\WINDOWS\\DEXAL.EXE"));
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ("[Rename]\r\nNUL=C:\\WINDOWS\\TEMP\\A.TMP\r\n", std::string(std::istreambuf_iterator<char>(in), {}));
    in.close();
    fs::remove(path);
}

}  // namespace
