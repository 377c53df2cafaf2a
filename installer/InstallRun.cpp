// The steps of the install run after the directory exists: copying the
// install lists, unpacking the resource archives, putting the uninstaller in
// place, registering the installation, the program group and finishing.
#include "Archives.h"
#include "Copy.h"
#include "Files.h"
#include "InstallDialog.h"
#include "PathNames.h"
#include "ProgmanDde.h"
#include "ProgramItems.h"
#include "Registration.h"
#include "WinInit.h"

#include <vector>

namespace {

const char* const UninstallerFile = "Dexal.EXE";

// A directory text as Windows gives it, "\" appended unless it ends in one.
std::string WithBackslash(const char* dir)
{
    std::string text = dir;
    if (text.empty() || text.back() != '\\')
        text += '\\';
    return text;
}

// The copy run and the unpacking report through the installer's window.
class RunHost : public CopyHost {
public:
    explicit RunHost(InstallDialog& owner) : owner_(owner) {}
    void ShowMessage(const std::string& text, unsigned style) override { owner_.Message(text, style); }
    void StepProgress() override { owner_.StepProgress(); }
    void EndWaitCursor() override { SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512))); }  // IDC_ARROW
    bool ComponentChecked(int component) override { return owner_.ComponentChecked(component); }

private:
    InstallDialog& owner_;
};

class ArchiveRunHost : public ArchiveHost {
public:
    explicit ArchiveRunHost(InstallDialog& owner) : owner_(owner) {}
    void ShowMessage(const std::string& text, unsigned style) override { owner_.Message(text, style); }
    int ComponentState(int component) override { return owner_.ComponentState(component); }
    std::string CurrentDir() override { return files::CurrentDirectory(); }
    bool EnterDir(const std::string& dir) override { return files::EnterDirectory(dir); }
    int ExtractAll(const std::string& archivePath) override { return owner_.ExtractAll(archivePath.c_str()); }

private:
    InstallDialog& owner_;
};

class ItemRunHost : public ProgramItemHost {
public:
    explicit ItemRunHost(InstallDialog& owner) : owner_(owner) {}
    void ShowMessage(const std::string& text, unsigned style) override { owner_.Message(text, style); }
    int ComponentState(int component) override { return owner_.ComponentState(component); }

private:
    InstallDialog& owner_;
};

// The directories that table rows name.
InstallDirs RunDirs(const std::string& source, const std::string& destination)
{
    return {source, destination, WithBackslash(files::WindowsDirectory().c_str()),
            WithBackslash(files::SystemDirectory().c_str())};
}

}  // namespace

std::string InstallDialog::DestinationRoot() const
{
    return std::string(1, static_cast<char>(64 + DriveNumber)) + ":\\" + InstallDir + "\\";
}

void InstallDialog::InstallComponents()
{
    RunHost host(*this);
    CopyRun(host, SourceDir, DestinationRoot(), DoneBytes, CurrentFileBytes).InstallComponents();
}

bool InstallDialog::ExtractResourceArchives()
{
    ArchiveRunHost host(*this);
    return ::ExtractResourceArchives(host, RunDirs(SourceDir, DestinationRoot()));
}

// Copies the uninstaller into the Windows directory, over a read-only copy
// of an earlier installation, and keeps a restart from deleting it: an
// earlier uninstallation may have scheduled its own file for deletion.
void InstallDialog::InstallUninstaller()
{
    const std::string windows = files::WindowsDirectory();
    const std::string target = windows + "\\" + UninstallerFile;
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    RunHost host(*this);
    CopyRun(host, SourceDir, DestinationRoot(), DoneBytes, CurrentFileBytes)
        .CopyOneFile(SourceDir + UninstallerFile, target, false);
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

void InstallDialog::RegisterInstallation()
{
    InstalledPath = DestinationRoot();
    // Recorded in its resolved form, so that the uninstaller can tell whether
    // "Instalado" still names this directory.
    std::string owned;
    if (OwnsInstallDir && !paths::FullPath(InstalledPath, owned))
        owned.clear();
    registration::RegisterInstallation(files::WindowsDirectory(), InstalledPath, OwnsInstallDir ? owned : "");
}

// The group and its items. A Program Manager that is missing or does not
// answer leaves them out and the run goes on.
void InstallDialog::CreateProgramItems()
{
    const InstallDirs dirs = RunDirs(SourceDir, DestinationRoot());
    ProgmanDde progman;
    progman.ShowProgramManager();
    ItemRunHost host(*this);
    ::CreateProgramItems(host, progman, dirs);
}

void InstallDialog::FinishInstall(bool restart)
{
    if (restart) {
        const int answer = Message("Demo Morvadin Brumaria instalado con éxito\n\nNecesitará reiniciar su ordenador "
                                   "para que funcione correctamente\n\nDespués elija 'Demo Morvadin Brumaria' en el "
                                   "menú Programas\n\n¿Desea reiniciar su ordenador ahora?",
                                   MB_YESNO | MB_ICONINFORMATION);
        if (answer == IDNO)
            restart = false;
    } else {
        Message("  Demo Morvadin Brumaria instalado con éxito\n\nElija 'Demo Morvadin Brumaria' en el menú Programas");
    }
    StepProgress();
    InstallDir = ReadInstallDir();
    End(IDOK);
    if (restart)
        ExitWindowsEx(EWX_REBOOT, 0);
}
