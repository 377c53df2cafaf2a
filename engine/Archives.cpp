#include "Archives.h"

#include <cstdio>

namespace {

// A damaged or unreadable archive leaves files missing: the user hears of it
// as of a list that failed, by the file's name.
void ReportFailedArchive(ArchiveHost& host, const ArchiveRow& row)
{
    host.ShowMessage(std::string("ERROR al instalar el fichero ") + row.fileName, MessageHost::InformationBox);
}

}  // namespace

bool ArchiveTarget(const ArchiveRow& row, const InstallDirs& dirs, ArchiveHost& host, std::string& target)
{
    switch (row.dirKind) {
    case SourceDirKind:
        target = dirs.source;
        return true;
    case DestinationDirKind:
        target = dirs.destination;
        return true;
    case ChosenDirKind:
        if (row.kind3Box < 0 || row.kind3Box >= ComponentCount)
            return false;
        target = host.ComponentState(row.kind3Box) != 0 ? dirs.destination : dirs.source;
        return true;
    case WindowsDirKind:
        target = dirs.windows;
        return true;
    case SystemDirKind:
        target = dirs.system;
        return true;
    case FixedDirKind:
        target = row.fixedDir ? row.fixedDir : "";
        return true;
    default:
        return false;
    }
}

bool ExtractResourceArchives(ArchiveHost& host, const InstallDirs& dirs)
{
    if (sLZHCount < 1)
        return true;
    const std::string previous = host.CurrentDir();
    bool result = true;
    for (int i = 0; i < sLZHCount; i++) {
        const ArchiveRow& row = sLZH[i];
        // Rows from 100 on depend on a component; one that names none is skipped.
        if (row.condition >= 100 &&
            (row.conditionBox < 0 || row.conditionBox >= ComponentCount || host.ComponentState(row.conditionBox) != 1))
            continue;
        std::string target;
        if (!ArchiveTarget(row, dirs, host, target)) {
            char text[64];
            std::snprintf(text, sizeof text, "Error en el sLZH[%d]", i);
            host.ShowMessage(text, MessageHost::InformationBox);
            continue;
        }
        // Entry names are relative: unpacked anywhere but the target, an
        // archive would write where nothing of this installation belongs.
        if (!host.EnterDir(target)) {
            ReportFailedArchive(host, row);
            result = false;
            continue;
        }
        if (host.ExtractAll(dirs.source + row.fileName) == 0) {
            ReportFailedArchive(host, row);
            result = false;
        }
    }
    host.EnterDir(previous);
    return result;
}
