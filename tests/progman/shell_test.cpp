// The DDE client and the installer's items against Wine's own Program
// Manager (shell32's DDE server, run by progman_host): the group becomes a
// Start Menu folder, each item a shortcut to its program, and the
// uninstaller's commands take the folder away again.
#include "PeerProcess.h"
#include "ProgmanDde.h"
#include "ProgramItems.h"

#include <gtest/gtest.h>

#include <shlobj.h>
#include <string>
#include <tlhelp32.h>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

// Keeps every answer apart from the commands it answered.
class AnsweredDde : public ProgmanDde {
public:
    int Execute(const char* command) override
    {
        const int result = ProgmanDde::Execute(command);
        answers.push_back(std::to_string(result) + " " + command);
        return result;
    }
    Strings answers;
};

class QuietHost : public ProgramItemHost {
public:
    void ShowMessage(const std::string& text, unsigned) override { ADD_FAILURE() << "message " << text; }
    int ComponentState(int) override { return 1; }
};

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Touch(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    CloseHandle(file);
}

void RemoveTree(const std::string& dir)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(dir + "\\" + name);
            else
                DeleteFileA((dir + "\\" + name).c_str());
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(dir.c_str());
}

// The target of a shortcut, "" when it cannot be read.
std::string LinkTarget(const std::string& link)
{
    std::string target;
    IShellLinkA* shellLink = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shellLink))))
        return target;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
        char path[MAX_PATH] = "";
        if (SUCCEEDED(file->Load(wide, STGM_READ)) && SUCCEEDED(shellLink->GetPath(path, MAX_PATH, nullptr, 0)))
            target = path;
        file->Release();
    }
    shellLink->Release();
    return target;
}

// Explorer processes: the desktop, and a window for every folder it was told
// to open.
int ExplorerCount()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (lstrcmpiA(entry.szExeFile, "explorer.exe") == 0)
            count++;
    CloseHandle(snapshot);
    return count;
}

std::string ProgramsFolder()
{
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

class WineProgramManager : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        RemoveTree(root_);
        CreateDirectoryA(root_.c_str(), nullptr);
        // The destination holds what the quoting is for: blanks and parentheses.
        for (const std::string& dir : {windows_, root_ + "\\Mis Juegos (demo)", destination_})
            CreateDirectoryA(dir.c_str(), nullptr);
        for (const char* name : {"Brumaria.EXE", "BRUMARIA.ICO", "Readme.txt", "AUDSETUP.EXE", "ESCRANO.EXE"})
            Touch(destination_ + "\\" + name);
        Touch(windows_ + "\\Dexal.EXE");
        group_ = ProgramsFolder() + "\\" + ProgramGroup;
    }
    void TearDown() override
    {
        RemoveTree(root_);
        CoUninitialize();
    }

    const std::string root_ = "C:\\progman_shell";
    const std::string windows_ = root_ + "\\WINDOWS";
    const std::string destination_ = root_ + "\\Mis Juegos (demo)\\DemoMB";
    std::string group_;
};

TEST_F(WineProgramManager, GroupItemsAndRemoval)
{
    ASSERT_FALSE(Exists(group_)) << group_;
    PeerProcess host(HostProgram, "");
    ASSERT_TRUE(host.Ready());
    const int explorers = ExplorerCount();

    const InstallDirs dirs = {"D:\\", destination_ + "\\", windows_ + "\\", "C:\\windows\\system32\\"};
    QuietHost quiet;
    const struct {
        const char* link;
        std::string target;
    } items[] = {
        {"Demo Morvadin Brumaria.lnk", destination_ + "\\Brumaria.EXE"},
        {"Desinstalar Demo Morvadin Brumaria.lnk", windows_ + "\\Dexal.EXE"},
        {"Readme.lnk", destination_ + "\\Readme.txt"},
        {"Setup Audio.lnk", destination_ + "\\AUDSETUP.EXE"},
        {"Setup Video.lnk", destination_ + "\\ESCRANO.EXE"},
    };

    // Twice, as after a reinstallation: each item replaces its namesake.
    for (int run = 1; run <= 2; run++) {
        AnsweredDde dde;
        dde.ShowProgramManager();
        CreateProgramItems(quiet, dde, dirs);
        ASSERT_EQ(11u, dde.answers.size());
        EXPECT_EQ("1 [CreateGroup(Demo Morvadin Brumaria)]", dde.answers[0]);
        for (size_t i = 1; i < dde.answers.size(); i++) {
            const bool add = dde.answers[i].find("[AddItem(") != std::string::npos;
            // A delete finds its item only when an earlier run made it.
            EXPECT_EQ(add || run == 2 ? '1' : '0', dde.answers[i][0]) << "run " << run << ": " << dde.answers[i];
        }
        ASSERT_TRUE(Exists(group_)) << group_;
        for (const auto& item : items)
            EXPECT_STRCASEEQ(item.target.c_str(), LinkTarget(group_ + "\\" + item.link).c_str())
                << "run " << run << ": " << item.link;
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA((group_ + "\\*.lnk").c_str(), &entry);
        int links = 0;
        if (find != INVALID_HANDLE_VALUE) {
            do
                links++;
            while (FindNextFileA(find, &entry));
            FindClose(find);
        }
        EXPECT_EQ(5, links) << "run " << run;
    }

    // The uninstaller's two commands.
    ProgmanDde dde;
    EXPECT_EQ(1, dde.ShowGroup(ProgramGroup, 5));
    EXPECT_EQ(1, dde.DeleteGroup(ProgramGroup));
    EXPECT_FALSE(Exists(group_)) << group_;
    // The host keeps the shell from opening a window on each group.
    EXPECT_EQ(explorers, ExplorerCount());
}

}  // namespace
