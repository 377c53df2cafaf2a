// The steps of the install run after the directory exists: copying the
// install lists, unpacking the resource archives, putting the uninstaller in
// place, registering the installation and the program group, each through
// the engine with a host that reaches the installer's window.
#include "Archives.h"
#include "Copy.h"
#include "Files.h"
#include "InstallRun.h"
#include "PathNames.h"
#include "ProgmanDde.h"
#include "ProgramItems.h"
#include "Registration.h"
#include "WinInit.h"

#include <windows.h>

#include <utility>
#include <vector>

namespace {

const char* const UninstallerFile = "Dexal.EXE";

// The engine's steps report through the installer's window.
class RunHost : public CopyHost {
public:
    explicit RunHost(InstallRunHost& owner) : owner_(owner) {}
    void ShowMessage(const std::string& text, unsigned style) override { owner_.ShowMessage(text, style); }
    void StepProgress() override { owner_.StepProgress(); }
    void EndWaitCursor() override { SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512))); }  // IDC_ARROW
    bool ComponentChecked(int component) override { return owner_.ComponentState(component) == BST_CHECKED; }

private:
    InstallRunHost& owner_;
};

class ArchiveRunHost : public ArchiveHost {
public:
    explicit ArchiveRunHost(InstallRunHost& owner) : owner_(owner) {}
    void ShowMessage(const std::string& text, unsigned style) override { owner_.ShowMessage(text, style); }
    int ComponentState(int component) override { return owner_.ComponentState(component); }
    std::string CurrentDir() override { return files::CurrentDirectory(); }
    bool EnterDir(const std::string& dir) override { return files::EnterDirectory(dir); }
    int ExtractAll(const std::string& archivePath) override { return owner_.ExtractAll(archivePath); }

private:
    InstallRunHost& owner_;
};

class ItemRunHost : public ProgramItemHost {
public:
    explicit ItemRunHost(InstallRunHost& owner) : owner_(owner) {}
    void ShowMessage(const std::string& text, unsigned style) override { owner_.ShowMessage(text, style); }
    int ComponentState(int component) override { return owner_.ComponentState(component); }

private:
    InstallRunHost& owner_;
};

// The directories that table rows name.
InstallDirs RunDirs(const std::string& source, const std::string& destination)
{
    return {source, destination, paths::WithBackslash(files::WindowsDirectory()),
            paths::WithBackslash(files::SystemDirectory())};
}

}  // namespace

InstallRun::InstallRun(InstallRunHost& host, std::string sourceDir, std::string destinationRoot, int32_t& doneBytes,
                       int32_t& currentFileBytes)
    : host_(host),
      sourceDir_(std::move(sourceDir)),
      destinationRoot_(std::move(destinationRoot)),
      doneBytes_(doneBytes),
      currentFileBytes_(currentFileBytes)
{
}

void InstallRun::InstallComponents()
{
    RunHost host(host_);
    CopyRun(host, sourceDir_, destinationRoot_, doneBytes_, currentFileBytes_).InstallComponents();
}

bool InstallRun::ExtractResourceArchives()
{
    ArchiveRunHost host(host_);
    return ::ExtractResourceArchives(host, RunDirs(sourceDir_, destinationRoot_));
}

// Copies the uninstaller into the Windows directory, over a read-only copy
// of an earlier installation, and keeps a restart from deleting it: an
// earlier uninstallation may have scheduled its own file for deletion.
void InstallRun::InstallUninstaller()
{
    const std::string windows = files::WindowsDirectory();
    const std::string target = windows + "\\" + UninstallerFile;
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    RunHost host(host_);
    CopyRun(host, sourceDir_, destinationRoot_, doneBytes_, currentFileBytes_)
        .CopyOneFile(sourceDir_ + UninstallerFile, target, false);
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);

    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    // Only the uninstaller's own entry goes, in its long or its short form
    // (the uninstaller writes the short one): other entries, NUL ones
    // included, belong to other programs.
    if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
        std::vector<std::string> forms = {target};
        const std::string shortPath = files::ShortPath(target);
        if (!shortPath.empty())
            forms.push_back(shortPath);
        wininit::RemoveEntryFromFile(windows + "\\WININIT.INI", "Rename", "NUL", forms);
    }
}

std::string InstallRun::RegisterInstallation(bool ownsDirectory)
{
    // Recorded in its resolved form, so that the uninstaller can tell whether
    // "Instalado" still names this directory.
    std::string owned;
    if (ownsDirectory && !paths::FullPath(destinationRoot_, owned))
        owned.clear();
    registration::RegisterInstallation(files::WindowsDirectory(), destinationRoot_, ownsDirectory ? owned : "");
    return destinationRoot_;
}

// The group and its items. A Program Manager that is missing or does not
// answer leaves them out and the run goes on.
void InstallRun::CreateProgramItems()
{
    const InstallDirs dirs = RunDirs(sourceDir_, destinationRoot_);
    ProgmanDde progman;
    progman.ShowProgramManager();
    ItemRunHost host(host_);
    ::CreateProgramItems(host, progman, dirs);
}

