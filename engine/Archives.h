// Unpacking the resource archives of sLZH, each into the directory its row
// names, after the copy run.
#pragma once

#include "Sizes.h"
#include "Tables.h"

#include <string>

// What the unpacking needs from the installer.
class ArchiveHost : public MessageHost {
public:
    // A component check box's state as BM_GETCHECK answers: 0 unchecked,
    // 1 checked, 2 indeterminate.
    virtual int ComponentState(int component) = 0;
    virtual std::string CurrentDir() = 0;
    // False when the directory cannot be made the current one.
    virtual bool EnterDir(const std::string& dir) = 0;
    // Unpacks an archive below the current directory: 1 every entry good,
    // 0 an entry failed, -2 missing or empty.
    virtual int ExtractAll(const std::string& archivePath) = 0;
};

// Directory kinds of archive rows.
enum ArchiveDirKind {
    SourceDirKind = 1,
    DestinationDirKind = 2,
    ChosenDirKind = 3,  // the destination when a component box is checked, else the source
    WindowsDirKind = 4,
    SystemDirKind = 5,
    FixedDirKind = 6,
};

// The row's target directory; false when its kind (or its kind-3 box) is invalid.
bool ArchiveTarget(const ArchiveRow& row, const InstallDirs& dirs, ArchiveHost& host, std::string& target);

// Unpacks every row whose condition holds; false when an archive had a
// failed entry or its target could not be entered, each reported with
// "ERROR al instalar el fichero %s". The current directory is restored
// afterwards.
bool ExtractResourceArchives(ArchiveHost& host, const InstallDirs& dirs);
