// WININIT.INI edits keep every line they do not mean to touch, whichever
// line ends Windows reads it with.
#include "WinInit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <sys/resource.h>
#endif

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
        // Windows ends a line at CR LF, at CR alone and at LF alone.
        {"CR alone", "[Rename]\rNUL=C:\\WINDOWS\\TEMP\\OTRO.TMP\rNUL=C:\\WINDOWS\\Dexal.EXE\rA=B\r",
         "[Rename]\rNUL=C:\\WINDOWS\\TEMP\\OTRO.TMP\rA=B\r"},
        {"CR alone, the entry last and without its end", "[Rename]\rA=B\rNUL=C:\\WINDOWS\\Dexal.EXE",
         "[Rename]\rA=B\r"},
        {"the three mixed", "; nota\r[Rename]\nNUL=C:\\WINDOWS\\Dexal.EXE\r\nA=B\rNUL=C:\\WINDOWS\\Dexal.EXE\n\r[Otra]\n",
         "; nota\r[Rename]\nA=B\r\r[Otra]\n"},
        {"LF then CR is two line ends", "[Otra]\n\r[Rename]\n\rNUL=C:\\WINDOWS\\Dexal.EXE\n\r",
         "[Otra]\n\r[Rename]\n\r\r"},
        {"a section of CR lines ends at the next header", "[Rename]\rA=B\r[Otra]\rNUL=C:\\WINDOWS\\Dexal.EXE\r",
         "[Rename]\rA=B\r[Otra]\rNUL=C:\\WINDOWS\\Dexal.EXE\r"},
        // Windows 95 stops at a Ctrl-Z; Wine reads on, and so does the withdrawal.
        {"after a Ctrl-Z", "[Rename]\r\nA=B\r\n\x1A\r\nNUL=C:\\WINDOWS\\Dexal.EXE\r\n", "[Rename]\r\nA=B\r\n\x1A\r\n"},
        {"right before a Ctrl-Z", "[Rename]\r\nNUL=C:\\WINDOWS\\Dexal.EXE\x1A", "[Rename]\r\n\x1A"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.after, wininit::RemoveEntry(c.before, "Rename", "NUL", {"C:\\WINDOWS\\Dexal.EXE"})) << c.what;
}

// The uninstaller's own entry in its long and its short form.
TEST(WinInit, RemoveAnyOfSeveralValues)
{
    const std::string text = "[Rename]\r\nNUL=C:\\MIS JUEGOS\\Dexal.EXE\r\nNUL=C:\\MISJUE~1\\DEXAL.EXE\r\n"
                             "NUL=C:\\OTRO.TMP\r\n";
    EXPECT_EQ("[Rename]\r\nNUL=C:\\OTRO.TMP\r\n",
              wininit::RemoveEntry(text, "Rename", "NUL", {"C:\\Mis Juegos\\Dexal.EXE", "C:\\MISJUE~1\\DEXAL.EXE"}));
    EXPECT_EQ(text, wininit::RemoveEntry(text, "Rename", "NUL", {}));
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
        // Lines ending in CR alone; and the first Ctrl-Z, which ends the file
        // for Windows 95: new entries go before it, a line it cuts gets its end.
        {"CR alone", "[Rename]\rNUL=C:\\X.TMP\r[Otra]\rA=B\r",
         "[Rename]\rNUL=C:\\X.TMP\rNUL=C:\\WINDOWS\\Dexal.EXE\r\n[Otra]\rA=B\r"},
        {"CR alone, no section", "[Otra]\rA=B", "[Otra]\rA=B\r\n[Rename]\r\nNUL=C:\\WINDOWS\\Dexal.EXE\r\n"},
        {"a trailing Ctrl-Z", "[Rename]\r\nNUL=C:\\X.TMP\r\n\x1A",
         "[Rename]\r\nNUL=C:\\X.TMP\r\nNUL=C:\\WINDOWS\\Dexal.EXE\r\n\x1A"},
        {"a trailing Ctrl-Z, no section", "[Otra]\r\nA=B\r\n\x1A",
         "[Otra]\r\nA=B\r\n[Rename]\r\nNUL=C:\\WINDOWS\\Dexal.EXE\r\n\x1A"},
        {"a Ctrl-Z ending a line", "[Rename]\r\nNUL=C:\\X.TMP\x1A\r\n",
         "[Rename]\r\nNUL=C:\\X.TMP\r\nNUL=C:\\WINDOWS\\Dexal.EXE\r\n\x1A\r\n"},
        {"the section only after the Ctrl-Z", "; nota\r\n\x1A[Rename]\r\nNUL=C:\\X.TMP\r\n",
         "; nota\r\n[Rename]\r\nNUL=C:\\WINDOWS\\Dexal.EXE\r\n\x1A[Rename]\r\nNUL=C:\\X.TMP\r\n"},
        {"nothing but a Ctrl-Z", "\x1A", "[Rename]\r\nNUL=C:\\WINDOWS\\Dexal.EXE\r\n\x1A"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.after, wininit::AppendEntry(c.before, "Rename", "NUL", "C:\\WINDOWS\\Dexal.EXE")) << c.what;
    // A replacement's pair, in a file of CR lines that holds it already.
    EXPECT_EQ("[Rename]\rA=B\rNUL=C:\\S\\A.DLL\r\nC:\\S\\A.DLL=C:\\S\\A~1.PRO\r\n\x1A",
              wininit::AppendEntries("[Rename]\rNUL=C:\\S\\A.DLL\rA=B\rC:\\S\\A.DLL=C:\\S\\A~1.PRO\r\x1A", "Rename",
                                     {{"NUL", "C:\\S\\A.DLL"}, {"C:\\S\\A.DLL", "C:\\S\\A~1.PRO"}}));
}

TEST(WinInit, FileEdits)
{
    const fs::path path = fs::current_path() / "wininit_test.ini";
    fs::remove(path);
    const std::string file = path.string();
    // Removing from a missing file creates nothing.
    EXPECT_TRUE(wininit::RemoveEntryFromFile(file, "Rename", "NUL", {"C:\\WINDOWS\\Dexal.EXE"}));
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(wininit::AppendEntryToFile(file, "Rename", "NUL", "C:\\WINDOWS\\TEMP\\A.TMP"));
    EXPECT_TRUE(wininit::AppendEntryToFile(file, "Rename", "NUL", "C:\\WINDOWS\\Dexal.EXE"));
    EXPECT_TRUE(wininit::RemoveEntryFromFile(file, "Rename", "NUL", {"C:\\WINDOWS\\DEXAL.EXE"}));
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ("[Rename]\r\nNUL=C:\\WINDOWS\\TEMP\\A.TMP\r\n", std::string(std::istreambuf_iterator<char>(in), {}));
    in.close();
    fs::remove(path);
}

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Put(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::set<std::string> Names(const fs::path& dir)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    return names;
}

// Other programs' pending entries, many of them, in a directory of its own.
// (Each test case has a directory of its own: they may run side by side.)
struct PendingEntries {
    PendingEntries() : dir(fs::current_path() / ("wininit_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name())))
    {
        fs::remove_all(dir);
        fs::create_directory(dir);
        for (int i = 0; i < 600; i++)
            text += "NUL=C:\\WINDOWS\\TEMP\\PENDIENTE" + std::to_string(i) + ".TMP\r\n";
        text = "[Rename]\r\n" + text + "NUL=C:\\WINDOWS\\Dexal.EXE\r\n";
        Put(file, text);
    }
    ~PendingEntries()
    {
        std::error_code ec;
        fs::permissions(file, fs::perms::owner_all, ec);
        fs::remove_all(dir, ec);
    }
    const fs::path dir;
    const fs::path file = dir / "WININIT.INI";
    std::string text;
};

// The file is never truncated and rewritten in place: a new text that
// cannot be written whole leaves the old one byte for byte, and nothing else
// behind.
TEST(WinInit, FailedEditsKeepTheFile)
{
    {
        PendingEntries pending;
        fs::permissions(pending.file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
#ifdef _WIN32
        SetFileAttributesA(pending.file.string().c_str(), FILE_ATTRIBUTE_READONLY);
#endif
        EXPECT_FALSE(wininit::AppendEntryToFile(pending.file.string(), "Rename", "NUL", "C:\\OTRO.TMP"));
        EXPECT_FALSE(wininit::RemoveEntryFromFile(pending.file.string(), "Rename", "NUL", {"C:\\WINDOWS\\Dexal.EXE"}));
#ifdef _WIN32
        SetFileAttributesA(pending.file.string().c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
        EXPECT_TRUE(pending.text == Slurp(pending.file)) << "read-only";
        EXPECT_EQ(std::set<std::string>{"WININIT.INI"}, Names(pending.dir));
    }
#ifndef _WIN32
    // A write that fails part-way, as on a full disk: files may not grow
    // past 4 KiB while the 20 KiB text is written.
    {
        PendingEntries pending;
        ASSERT_GT(pending.text.size(), 16384u);
        struct rlimit before;
        ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &before));
        struct rlimit small = before;
        small.rlim_cur = 4096;
        void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN);
        ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &small));
        const bool appended = wininit::AppendEntryToFile(pending.file.string(), "Rename", "NUL", "C:\\OTRO.TMP");
        const bool removed =
            wininit::RemoveEntryFromFile(pending.file.string(), "Rename", "NUL", {"C:\\WINDOWS\\Dexal.EXE"});
        setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, previous);
        EXPECT_FALSE(appended);
        EXPECT_FALSE(removed);
        EXPECT_TRUE(pending.text == Slurp(pending.file)) << "write failed part-way";
        EXPECT_EQ(std::set<std::string>{"WININIT.INI"}, Names(pending.dir));
    }
#endif
    // A file held open without sharing by another program.
#ifdef _WIN32
    {
        PendingEntries pending;
        HANDLE held = CreateFileA(pending.file.string().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
        EXPECT_FALSE(wininit::AppendEntryToFile(pending.file.string(), "Rename", "NUL", "C:\\OTRO.TMP"));
        CloseHandle(held);
        EXPECT_TRUE(pending.text == Slurp(pending.file)) << "locked";
        EXPECT_EQ(std::set<std::string>{"WININIT.INI"}, Names(pending.dir));
    }
#endif
}

#ifdef _WIN32
// The new text takes the old file's place under the name the disk has.
TEST(WinInit, ReplacedFileKeepsItsName)
{
    PendingEntries pending;
    fs::remove(pending.file);
    Put(pending.dir / "wininit.ini", pending.text);
    EXPECT_TRUE(wininit::AppendEntryToFile(pending.file.string(), "Rename", "NUL", "C:\\OTRO.TMP"));
    EXPECT_EQ(std::set<std::string>{"wininit.ini"}, Names(pending.dir));
}
#endif

TEST(WinInit, EditsKeepEveryOtherEntry)
{
    PendingEntries pending;
    const std::string file = pending.file.string();
#ifdef _WIN32
    // An entry written through the profile functions just before, which
    // Windows 95 may still hold in its cache, is part of what is edited.
    ASSERT_TRUE(WritePrivateProfileStringA("Otra", "CLAVE", "valor", file.c_str()));
#else
    Put(pending.file, pending.text + "[Otra]\r\nCLAVE=valor\r\n");
#endif
    EXPECT_TRUE(wininit::RemoveEntryFromFile(file, "Rename", "NUL", {"C:\\WINDOWS\\DEXAL.EXE"}));
    EXPECT_TRUE(wininit::AppendEntryToFile(file, "Rename", "NUL", "C:\\WINDOWS\\TEMP\\NUEVO.TMP"));
    std::string expected = pending.text;
    const std::string removed = "NUL=C:\\WINDOWS\\Dexal.EXE";
    expected.replace(expected.find(removed), removed.size(), "NUL=C:\\WINDOWS\\TEMP\\NUEVO.TMP");
    expected += "[Otra]\r\nCLAVE=valor\r\n";
    EXPECT_TRUE(expected == Slurp(pending.file));
    EXPECT_EQ(std::set<std::string>{"WININIT.INI"}, Names(pending.dir));
}

// A replacement's two entries go in together, after every other entry; the
// same replacement written again stands once, at the end; a file that cannot
// be written gets neither.
TEST(WinInit, EntriesAppendedTogether)
{
    PendingEntries pending;
    const std::string file = pending.file.string();
    const std::vector<wininit::Entry> first = {{"NUL", "C:\\WINDOWS\\SYSTEM\\A.DLL"},
                                               {"C:\\WINDOWS\\SYSTEM\\A.DLL", "C:\\WINDOWS\\SYSTEM\\A~1.PRO"}};
    const std::vector<wininit::Entry> second = {{"NUL", "C:\\WINDOWS\\SYSTEM\\B.DLL"},
                                                {"C:\\WINDOWS\\SYSTEM\\B.DLL", "C:\\WINDOWS\\SYSTEM\\B~1.PRO"}};
    const std::string a = "NUL=C:\\WINDOWS\\SYSTEM\\A.DLL\r\nC:\\WINDOWS\\SYSTEM\\A.DLL=C:\\WINDOWS\\SYSTEM\\A~1.PRO\r\n";
    const std::string b = "NUL=C:\\WINDOWS\\SYSTEM\\B.DLL\r\nC:\\WINDOWS\\SYSTEM\\B.DLL=C:\\WINDOWS\\SYSTEM\\B~1.PRO\r\n";
    EXPECT_TRUE(wininit::AppendEntriesToFile(file, "Rename", first));
    EXPECT_TRUE(wininit::AppendEntriesToFile(file, "Rename", second));
    EXPECT_TRUE(pending.text + a + b == Slurp(pending.file));
    EXPECT_TRUE(wininit::AppendEntriesToFile(file, "Rename", first));
    EXPECT_TRUE(pending.text + b + a == Slurp(pending.file));
    EXPECT_EQ(std::set<std::string>{"WININIT.INI"}, Names(pending.dir));

    const std::string before = Slurp(pending.file);
    fs::permissions(pending.file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
#ifdef _WIN32
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
#endif
    EXPECT_FALSE(wininit::AppendEntriesToFile(file, "Rename", second));
#ifdef _WIN32
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
    EXPECT_TRUE(before == Slurp(pending.file));
    // A missing file is made with the section.
    fs::permissions(pending.file, fs::perms::owner_all);
    fs::remove(pending.file);
    EXPECT_TRUE(wininit::AppendEntriesToFile(file, "Rename", first));
    EXPECT_EQ("[Rename]\r\n" + a, Slurp(pending.file));
}

}  // namespace
