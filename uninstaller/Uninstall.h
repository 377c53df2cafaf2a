// The uninstaller's run, in its order: ask, delete the installation
// directory, remove the program group, schedule the deletion of its own
// file, delete the registry keys, tell the outcome.
#pragma once

#include "DeleteTree.h"

#include <string>
#include <vector>

// What the installer left in the registry about the installation.
struct InstalledMarker {
    // "Instalado": the installation directory, empty when there is none.
    std::string dir;
    // "Instalado" is there but does not fit its buffer: an installation whose
    // directory is unknown.
    bool damaged = false;
    // The directory the installation owns, as the installer recorded it
    // beside "Instalado"; empty when it owns none.
    std::string ownedDir;
};

class UninstallHost {
public:
    virtual ~UninstallHost() = default;

    virtual InstalledMarker ReadMarker() = 0;
    // The question; true when the answer is yes.
    virtual bool Confirm() = 0;

    // The file system the installation directory lies on.
    virtual TreeOps& Tree() = 0;
    // The forms by which a directory may be named (as given, and its short
    // form when it exists).
    virtual std::vector<std::string> Forms(const std::string& dir) = 0;
    // The Windows and System directories, never to be deleted.
    virtual std::vector<std::string> ProtectedDirs() = 0;

    virtual void RemoveProgramGroup() = 0;
    virtual void ScheduleSelfDeletion() = 0;
    virtual void DeleteKeys() = 0;
    virtual void ShowOutcome(bool success) = 0;
};

// Runs the uninstallation; false when the user said no (nothing changed).
bool RunUninstall(UninstallHost& host);

// The directory deletion alone: true when the directory is gone.
bool RemoveInstalledDir(UninstallHost& host, const InstalledMarker& marker);
