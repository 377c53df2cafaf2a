// Dexal, the uninstaller: a program without a window of its own. It takes no
// arguments and always ends with exit code 0.
#include "DeleteTree.h"
#include "Files.h"
#include "ProgmanDde.h"
#include "Registration.h"
#include "Uninstall.h"
#include "WinInit.h"

#include <windows.h>

#include <memory>

namespace {

const char* const Caption = "Desinstalar Demo Morvadin Brumaria";
const char* const GroupName = "Demo Morvadin Brumaria";

std::string WithoutBackslash(std::string dir)
{
    while (dir.size() > 3 && dir.back() == '\\')
        dir.pop_back();
    return dir;
}

class Win32TreeOps : public TreeOps {
public:
    Listing ForEachEntry(const std::string& pattern, const std::function<bool(const TreeEntry&)>& visit) override
    {
        TreeEntry entry;
        switch (files::ForEachMatch(pattern, [&](const files::Entry& found) {
            entry.name = found.name;
            entry.isDir = found.isDir;
            entry.isLink = found.isLink;
            return visit(entry);
        })) {
        case files::Listing::Listed:
            return Listed;
        case files::Listing::Missing:
            return Missing;
        default:
            return Unreadable;
        }
    }
    bool RemoveFile(const std::string& path) override { return files::RemoveFile(path); }
    bool RemoveDir(const std::string& path) override { return files::RemoveEmptyDirectory(path); }
    bool IsLink(const std::string& dir) override { return files::IsLink(WithoutBackslash(dir)); }

    // Named after the uninstaller; the name after the last "\" of the path.
    bool MakeMark(const std::string& dir, std::string& name) override
    {
        const std::string path = files::NewEmptyFile(dir, "DXL");
        name = path.substr(path.find_last_of('\\') + 1);
        return !path.empty();
    }
    bool Exists(const std::string& path) override { return files::Exists(path); }
    bool HasFinalNames() override { return files::HasFinalNames(); }
    std::string FinalName(const std::string& path) override { return files::FinalName(WithoutBackslash(path)); }
};

class Win32UninstallHost : public UninstallHost {
public:
    InstalledMarker ReadMarker() override
    {
        const registration::Marker read = registration::ReadMarker();
        InstalledMarker marker;
        marker.dir = read.installed;
        marker.damaged = read.damaged;
        marker.ownedDir = read.ownedDir;
        return marker;
    }

    bool Confirm() override
    {
        return MessageBoxA(nullptr, "¿Está seguro de que desea desinstalar Demo Morvadin Brumaria?", Caption,
                           MB_YESNO | MB_ICONQUESTION) == IDYES;
    }

    TreeOps& Tree() override { return tree_; }

    std::vector<std::string> Forms(const std::string& dir) override
    {
        std::vector<std::string> forms = {dir};
        const std::string shortPath = files::ShortPath(dir);
        if (!shortPath.empty())
            forms.push_back(shortPath);
        return forms;
    }

    // On 64-bit Windows every kind of program's System directory is kept.
    std::vector<std::string> ProtectedDirs() override
    {
        std::vector<std::string> dirs = {files::WindowsDirectory(), files::SystemDirectory()};
        for (const std::string& other : files::OtherSystemDirectories())
            dirs.push_back(other);
        return dirs;
    }

    // The conversation stays open until the program ends.
    void RemoveProgramGroup() override
    {
        dde_.reset(new ProgmanDde);
        dde_->ShowProgramManager();
        dde_->ShowGroup(GroupName, 5);
        dde_->DeleteGroup(GroupName);
    }

    // Windows 95 carries out WININIT.INI before long file names exist and
    // passes over entries with long names: the entry names the short form.
    // Appended, so that another program's pending NUL entry stays.
    void ScheduleSelfDeletion() override
    {
        const std::string windows = WithoutBackslash(files::WindowsDirectory());
        const std::string self = windows + "\\Dexal.EXE";
        OSVERSIONINFOA version = {};
        version.dwOSVersionInfoSize = sizeof version;
        GetVersionExA(&version);
        if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
            const std::vector<std::string> forms = Forms(self);
            wininit::AppendEntryToFile(windows + "\\WININIT.INI", "Rename", "NUL", forms.back());
        } else if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
            MoveFileExA(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        }
    }

    void DeleteKeys() override { registration::DeleteKeys(); }

    void ShowOutcome(bool success) override
    {
        if (success)
            MessageBoxA(nullptr, "Demo Morvadin Brumaria se ha desinstalado correctamente.", Caption,
                        MB_OK | MB_ICONINFORMATION);
        else
            MessageBoxA(nullptr,
                        "Se produjo un error en la desinstalación.\nPuede que no se hayan borrado todos los ficheros.",
                        Caption, MB_OK | MB_ICONEXCLAMATION);
    }

private:
    Win32TreeOps tree_;
    std::unique_ptr<ProgmanDde> dde_;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    Win32UninstallHost host;
    RunUninstall(host);
    return 0;
}
