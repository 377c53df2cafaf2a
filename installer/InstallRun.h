// The install run once the install directory exists and the sound is set up:
// the components, the resource archives, the shared files, the uninstaller,
// the registration and the program group. The installer's window takes the
// steps in their order and is reached only through InstallRunHost.
#pragma once

#include "Sizes.h"

#include <cstdint>
#include <string>

// What the install run needs from the installer's window.
class InstallRunHost : public MessageHost {
public:
    // Lets activation messages through and redraws the progress bar.
    virtual void StepProgress() = 0;
    // A component check box's state as BM_GETCHECK answers: 0 unchecked,
    // 1 checked, 2 indeterminate.
    virtual int ComponentState(int component) = 0;
    // Unpacks an archive below the current directory, moving the progress
    // counters: 1 every entry good, 0 an entry failed, -2 missing or empty.
    virtual int ExtractAll(const std::string& archivePath) = 0;
};

class InstallRun {
public:
    // The counters are the window's progress counters: bytes of finished
    // files, and of the file being copied. The directories end in "\".
    InstallRun(InstallRunHost& host, std::string sourceDir, std::string destinationRoot, int32_t& doneBytes,
               int32_t& currentFileBytes);

    // Copies every checked component, reporting each list that failed.
    void InstallComponents();
    // Unpacks the resource archives of the checked components.
    bool ExtractResourceArchives();
    // Replaces the listed shared files where ours are newer; nonzero when a
    // restart must finish the job (InstallShared.cpp).
    int ReplaceSharedFiles(const char* const* names, int count);
    // Copies the uninstaller into the Windows directory.
    void InstallUninstaller();
    // Records the installation, and the directory it owns when it owns one;
    // returns the installation's path as recorded.
    std::string RegisterInstallation(bool ownsDirectory);
    // The group and its items; a Program Manager that does not answer leaves
    // them out.
    void CreateProgramItems();

private:
    InstallRunHost& host_;
    const std::string sourceDir_;
    const std::string destinationRoot_;
    int32_t& doneBytes_;
    int32_t& currentFileBytes_;
};
