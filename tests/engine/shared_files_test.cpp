// Shared files installed into a scratch System directory. The stand-in host
// makes chosen System files "in use" (they cannot be replaced), gives chosen
// short names and can cut copies short; under Windows one case holds a file
// open for real.
#include "Copy.h"
#include "Files.h"
#include "SharedFiles.h"
#include "Tables.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

class QuietCopyHost : public CopyHost {
public:
    void ShowMessage(const std::string&, unsigned) override {}
    void StepProgress() override {}
    void EndWaitCursor() override {}
    bool ComponentChecked(int) override { return true; }
};

class FakeSharedHost : public SharedFileHost {
public:
    bool OnWindows95() override { return windows95; }
    std::string WindowsDir() override { return windowsDir; }
    std::string SystemDir() override { return systemDir; }
    unsigned FindSharedFile(const std::string& name, const std::string& windows, const std::string& system) override
    {
        asked.push_back(name + " " + (windows == windowsDir ? "windows" : windows) + " " +
                        (system == systemDir ? "system" : system));
        return elsewhere.count(name) ? VffCurNeDest : 0;
    }
    std::string ShortPath(const std::string& path) override
    {
        auto found = shortNames.find(path);
        return found == shortNames.end() ? std::string() : found->second;
    }
    bool CopyOneFile(const std::string& source, const std::string& destination) override
    {
        ++copies;
        if (copyFails)
            return false;
        const bool ok = copy_.CopyOneFile(source, destination, false);
        if (ok && cutShort)
            fs::resize_file(fs::path(destination), fs::file_size(fs::path(source)) / 2);
        return ok;
    }
    bool PutInPlace(const std::string& source, const std::string& target) override
    {
        ++moves;
        for (const std::string& name : inUse)
            if (target == systemDir + "\\" + name)
                return false;
        return files::PutInPlace(source, target);
    }

    bool windows95 = true;
    std::string windowsDir, systemDir;
    std::set<std::string> inUse, elsewhere;
    std::map<std::string, std::string> shortNames;
    bool copyFails = false, cutShort = false;
    Strings asked;
    int copies = 0, moves = 0;

private:
    QuietCopyHost copyHost_;
    int32_t done_ = 0, current_ = 0;
    CopyRun copy_{copyHost_, "", "", done_, current_};
};

class SharedFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = fs::current_path() / (std::string("shared_") + info->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "cd");
        fs::create_directories(root_ / "windows" / "system");
        host_.windowsDir = (root_ / "windows").string();
        host_.systemDir = host_.windowsDir + Separator + "system";
        source_ = (root_ / "cd").string() + Separator;
    }
    void TearDown() override
    {
        std::error_code ec;
        for (const auto& entry : fs::recursive_directory_iterator(root_, ec))
            files::SetNormalAttributes(entry.path().string());
        fs::remove_all(root_, ec);
    }

#ifdef _WIN32
    static constexpr const char* Separator = "\\";
#else
    static constexpr const char* Separator = "/";
#endif

    // A file with a modification time `age` hours before a moment of a
    // month ago, in whole seconds.
    static void Put(const fs::path& path, const std::string& bytes, int age)
    {
        static const auto moment =
            std::chrono::floor<std::chrono::seconds>(fs::file_time_type::clock::now()) - std::chrono::hours(24 * 30);
        std::ofstream(path, std::ios::binary) << bytes;
        fs::last_write_time(path, moment - std::chrono::hours(age));
    }
    void OnCd(const std::string& name, const std::string& bytes, int age) { Put(root_ / "cd" / name, bytes, age); }
    void InSystem(const std::string& name, const std::string& bytes, int age)
    {
        Put(root_ / "windows" / "system" / name, bytes, age);
    }
    static std::string Slurp(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string System(const std::string& name) const { return Slurp(root_ / "windows" / "system" / name); }
    std::string WinInit() const { return Slurp(root_ / "windows" / "WININIT.INI"); }
    bool HasWinInit() const { return fs::exists(root_ / "windows" / "WININIT.INI"); }
    std::set<std::string> SystemNames() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(root_ / "windows" / "system"))
            names.insert(entry.path().filename().string());
        return names;
    }
    // A System path as the step writes it: the directory, "\", the name.
    std::string SystemPath(const std::string& name) const { return host_.systemDir + "\\" + name; }
    void MakeReadOnly(const std::string& name)
    {
        const fs::path path = root_ / "windows" / "system" / name;
        fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
#ifdef _WIN32
        SetFileAttributesA(path.string().c_str(), FILE_ATTRIBUTE_READONLY);
#endif
    }
    bool IsReadOnly(const std::string& name) const
    {
        return files::IsReadOnly((root_ / "windows" / "system" / name).string());
    }

    int Replace(const Strings& names)
    {
        std::vector<const char*> list;
        for (const std::string& name : names)
            list.push_back(name.c_str());
        return ReplaceSharedFiles(host_, source_, list.data(), static_cast<int>(list.size()));
    }

    fs::path root_;
    std::string source_;
    FakeSharedHost host_;
};

TEST_F(SharedFilesTest, EmptyListTouchesNothing)
{
    EXPECT_EQ(0, SharedFileCount) << "the shipped list names no file";
    OnCd("QRB.DLL", "nuevo", 0);
    InSystem("QRB.DLL", "viejo", 10);
    MakeReadOnly("QRB.DLL");
    const char* const names[] = {"QRB.DLL"};
    EXPECT_EQ(0, ReplaceSharedFiles(host_, source_, names, 0));
    EXPECT_EQ(0, ReplaceSharedFiles(host_, source_, SharedFileList, SharedFileCount));
    EXPECT_EQ("viejo", System("QRB.DLL"));
    EXPECT_TRUE(IsReadOnly("QRB.DLL"));
    EXPECT_FALSE(HasWinInit());
    EXPECT_EQ(0, host_.copies + host_.moves);
    EXPECT_TRUE(host_.asked.empty());
}

// Copied at once when there is no System copy or an older one that is not in
// use; no restart, nothing left beside it.
TEST_F(SharedFilesTest, InstalledAtOnceWhenNothingHoldsIt)
{
    OnCd("NUEVA.DLL", "nueva", 0);
    OnCd("QRB.DLL", "version 2", 0);
    InSystem("QRB.DLL", "version 1", 10);
    MakeReadOnly("QRB.DLL");
    EXPECT_EQ(0, Replace({"NUEVA.DLL", "QRB.DLL"}));
    EXPECT_EQ("nueva", System("NUEVA.DLL"));
    EXPECT_EQ("version 2", System("QRB.DLL"));
    EXPECT_FALSE(IsReadOnly("QRB.DLL"));
    EXPECT_EQ((std::set<std::string>{"NUEVA.DLL", "QRB.DLL"}), SystemNames());
    EXPECT_FALSE(HasWinInit());
    // Only the file present in the System directory is looked up.
    EXPECT_EQ(Strings{"QRB.DLL windows system"}, host_.asked);
}

// A System copy as new as the CD's, or newer, stays; only its read-only
// attribute goes.
TEST_F(SharedFilesTest, CopyAsNewOrNewerStays)
{
    OnCd("IGUAL.DLL", "del cd", 5);
    InSystem("IGUAL.DLL", "del sistema", 5);
    OnCd("NUEVA.DLL", "del cd", 5);
    InSystem("NUEVA.DLL", "mas nueva", 1);
    MakeReadOnly("IGUAL.DLL");
    MakeReadOnly("NUEVA.DLL");
    EXPECT_EQ(0, Replace({"IGUAL.DLL", "NUEVA.DLL"}));
    EXPECT_EQ("del sistema", System("IGUAL.DLL"));
    EXPECT_EQ("mas nueva", System("NUEVA.DLL"));
    EXPECT_FALSE(IsReadOnly("IGUAL.DLL"));
    EXPECT_FALSE(IsReadOnly("NUEVA.DLL"));
    EXPECT_EQ(0, host_.copies);
    EXPECT_TRUE(host_.asked.empty());
    EXPECT_FALSE(HasWinInit());
}

// A newer file whose System copy is in use waits beside it as NAME.PROV, and
// WININIT.INI deletes the old copy and moves the new one in at the next start.
TEST_F(SharedFilesTest, FileInUseIsReplacedAtTheNextStart)
{
    OnCd("QRB.DLL", "version 2", 0);
    InSystem("QRB.DLL", "version 1", 10);
    host_.inUse = {"QRB.DLL"};
    const std::string earlier = "[Rename]\r\nNUL=C:\\WINDOWS\\TEMP\\OTRO.TMP\r\n";
    std::ofstream(root_ / "windows" / "WININIT.INI", std::ios::binary) << earlier;
    EXPECT_EQ(1, Replace({"QRB.DLL"}));
    EXPECT_EQ(earlier + "NUL=" + SystemPath("QRB.DLL") + "\r\n" + SystemPath("QRB.DLL") + "=" +
                  SystemPath("QRB.DLL.PROV") + "\r\n",
              WinInit());
    EXPECT_EQ("version 1", System("QRB.DLL"));
    EXPECT_EQ("version 2", System("QRB.DLL.PROV"));
    EXPECT_EQ((std::set<std::string>{"QRB.DLL", "QRB.DLL.PROV"}), SystemNames());
}

// VerFindFileA's "not where it belongs" sends the file the same way, without
// trying to replace it at once.
TEST_F(SharedFilesTest, FileFoundElsewhereWaitsForTheRestart)
{
    OnCd("QRB.DLL", "version 2", 0);
    InSystem("QRB.DLL", "version 1", 10);
    host_.elsewhere = {"QRB.DLL"};
    EXPECT_EQ(1, Replace({"QRB.DLL"}));
    EXPECT_EQ("version 1", System("QRB.DLL"));
    EXPECT_EQ("version 2", System("QRB.DLL.PROV"));
    EXPECT_EQ("[Rename]\r\nNUL=" + SystemPath("QRB.DLL") + "\r\n" + SystemPath("QRB.DLL") + "=" +
                  SystemPath("QRB.DLL.PROV") + "\r\n",
              WinInit());
}

// Windows 95 reads WININIT.INI before long names exist: both entries use the
// short forms (here of a System directory with a long name). And each
// delayed file keeps both of its entries, in order.
TEST_F(SharedFilesTest, TwoDelayedFilesInShortForm)
{
    OnCd("QRB.DLL", "version 2", 0);
    InSystem("QRB.DLL", "version 1", 10);
    OnCd("qrbdos.dll", "dos 2", 0);
    InSystem("qrbdos.dll", "dos 1", 10);
    host_.inUse = {"QRB.DLL", "qrbdos.dll"};
    const std::string shortDir = "C:\\MISVEN~1\\SYSTEM\\";
    host_.shortNames = {{SystemPath("QRB.DLL"), shortDir + "QRB.DLL"},
                        {SystemPath("QRB.DLL.PROV"), shortDir + "QRBDLL~1.PRO"},
                        {SystemPath("qrbdos.dll"), shortDir + "QRBDOS.DLL"},
                        {SystemPath("qrbdos.dll.PROV"), shortDir + "QRBDOS~1.PRO"}};
    EXPECT_EQ(1, Replace({"QRB.DLL", "qrbdos.dll"}));
    const std::string pairs = "NUL=C:\\MISVEN~1\\SYSTEM\\QRB.DLL\r\n"
                              "C:\\MISVEN~1\\SYSTEM\\QRB.DLL=C:\\MISVEN~1\\SYSTEM\\QRBDLL~1.PRO\r\n"
                              "NUL=C:\\MISVEN~1\\SYSTEM\\QRBDOS.DLL\r\n"
                              "C:\\MISVEN~1\\SYSTEM\\QRBDOS.DLL=C:\\MISVEN~1\\SYSTEM\\QRBDOS~1.PRO\r\n";
    EXPECT_EQ("[Rename]\r\n" + pairs, WinInit());
    EXPECT_EQ("version 2", System("QRB.DLL.PROV"));
    EXPECT_EQ("dos 2", System("qrbdos.dll.PROV"));
    // A second run before the restart schedules each file once, not twice
    // (a second "NUL" would delete the copy the first move put in place).
    EXPECT_EQ(1, Replace({"QRB.DLL", "qrbdos.dll"}));
    EXPECT_EQ("[Rename]\r\n" + pairs, WinInit());
}

// A file whose name is long would come back from WININIT.INI under its short
// name alone: in use, it keeps its old copy, and nothing waits for a restart.
TEST_F(SharedFilesTest, LongNamedFileInUseIsNotScheduled)
{
    OnCd("Qrb Compartida.dll", "compartida 2", 0);
    InSystem("Qrb Compartida.dll", "compartida 1", 10);
    host_.inUse = {"Qrb Compartida.dll"};
    host_.shortNames = {{SystemPath("Qrb Compartida.dll"), "C:\\WINDOWS\\SYSTEM\\QRBCOM~1.DLL"}};
    EXPECT_EQ(0, Replace({"Qrb Compartida.dll"}));
    EXPECT_EQ("compartida 1", System("Qrb Compartida.dll"));
    EXPECT_EQ(std::set<std::string>{"Qrb Compartida.dll"}, SystemNames());
    EXPECT_FALSE(HasWinInit());
    // Not in use, it is replaced at once like any other.
    host_.inUse.clear();
    EXPECT_EQ(0, Replace({"Qrb Compartida.dll"}));
    EXPECT_EQ("compartida 2", System("Qrb Compartida.dll"));
}

// The new copy is made whole before anything changes: a copy that fails or
// comes out shorter than the source replaces nothing, schedules nothing, asks
// for no restart and leaves nothing beside the old copy, in use or not.
TEST_F(SharedFilesTest, FailedCopyChangesNothing)
{
    OnCd("QRB.DLL", std::string(3000, 'n'), 0);
    InSystem("QRB.DLL", "version 1", 10);
    OnCd("NUEVA.DLL", std::string(3000, 'n'), 0);
    for (bool inUse : {true, false}) {
        for (bool cut : {false, true}) {
            host_.inUse = inUse ? std::set<std::string>{"QRB.DLL"} : std::set<std::string>{};
            host_.copyFails = !cut;
            host_.cutShort = cut;
            EXPECT_EQ(0, Replace({"QRB.DLL", "NUEVA.DLL"})) << inUse << cut;
            EXPECT_EQ("version 1", System("QRB.DLL")) << inUse << cut;
            EXPECT_EQ(std::set<std::string>{"QRB.DLL"}, SystemNames()) << inUse << cut;
            EXPECT_FALSE(HasWinInit());
        }
    }
}

// A shared file missing from the CD is passed over: nothing copied,
// scheduled or asked for.
TEST_F(SharedFilesTest, FileMissingFromTheCdIsPassedOver)
{
    InSystem("QRB.DLL", "version 1", 10);
    host_.inUse = {"QRB.DLL", "FALTA.DLL"};
    // An empty name is no file either.
    EXPECT_EQ(0, Replace({"QRB.DLL", "FALTA.DLL", ""}));
    EXPECT_EQ("version 1", System("QRB.DLL"));
    EXPECT_EQ(std::set<std::string>{"QRB.DLL"}, SystemNames());
    EXPECT_FALSE(HasWinInit());
    EXPECT_EQ(0, host_.copies);
}

// Where WININIT.INI does not work, or cannot be written, nothing waits for
// a restart that would not come.
TEST_F(SharedFilesTest, NoRestartWithoutAScheduledReplacement)
{
    OnCd("QRB.DLL", "version 2", 0);
    InSystem("QRB.DLL", "version 1", 10);
    host_.inUse = {"QRB.DLL"};
    host_.windows95 = false;
    EXPECT_EQ(0, Replace({"QRB.DLL"}));
    EXPECT_EQ(std::set<std::string>{"QRB.DLL"}, SystemNames());
    EXPECT_FALSE(HasWinInit());

    host_.windows95 = true;
    const fs::path wininit = root_ / "windows" / "WININIT.INI";
    std::ofstream(wininit, std::ios::binary) << "[Rename]\r\n";
    fs::permissions(wininit, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
#ifdef _WIN32
    SetFileAttributesA(wininit.string().c_str(), FILE_ATTRIBUTE_READONLY);
#endif
    EXPECT_EQ(0, Replace({"QRB.DLL"}));
    EXPECT_EQ("[Rename]\r\n", WinInit());
    EXPECT_EQ("version 1", System("QRB.DLL"));
#ifdef _WIN32
    SetFileAttributesA(wininit.string().c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
}

#ifdef _WIN32
// A System copy held open without sharing, as a running program holds its
// DLL: the real replacement fails and the file waits for the restart.
TEST_F(SharedFilesTest, FileHeldOpenWaitsForTheRestart)
{
    OnCd("QRB.DLL", "version 2", 0);
    InSystem("QRB.DLL", "version 1", 10);
    HANDLE held = CreateFileA(SystemPath("QRB.DLL").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    const int restart = Replace({"QRB.DLL"});
    CloseHandle(held);
    EXPECT_EQ(1, restart);
    EXPECT_EQ("version 1", System("QRB.DLL"));
    EXPECT_EQ("version 2", System("QRB.DLL.PROV"));
    EXPECT_EQ((std::set<std::string>{"QRB.DLL", "QRB.DLL.PROV"}), SystemNames());
}
#endif

}  // namespace
