#include "Uninstall.h"

#include "Removal.h"

bool RemoveInstalledDir(UninstallHost& host, const InstalledMarker& marker)
{
    const std::string& dir = marker.dir;
    if (marker.damaged || dir.empty())
        return false;
    // Never a directory that holds Windows, whatever the registry says.
    std::vector<std::string> protectedForms;
    for (const std::string& kept : host.ProtectedDirs())
        for (const std::string& form : host.Forms(kept))
            protectedForms.push_back(form);
    const std::vector<std::string> dirForms = host.Forms(dir);
    if (removal::Refused(dirForms, protectedForms))
        return false;
    switch (host.LookInto(dir)) {
    case UninstallHost::Missing:
        return true;
    case UninstallHost::Unreadable:
    case UninstallHost::Link:
        return false;
    case UninstallHost::HasEntries:
        break;
    }
    // Everything in it goes: only the directory this installation made or
    // found empty is ours to empty, and "Instalado" must still name it.
    const bool owned = !marker.ownedDir.empty() && removal::Owned(dirForms, host.Forms(marker.ownedDir));
    return owned && host.DeleteTree(dir);
}

bool RunUninstall(UninstallHost& host)
{
    const InstalledMarker marker = host.ReadMarker();
    // A damaged value still says that there is an installation to ask about.
    if ((marker.damaged || !marker.dir.empty()) && !host.Confirm())
        return false;
    const bool deleted = RemoveInstalledDir(host, marker);
    host.RemoveProgramGroup();
    host.ScheduleSelfDeletion();
    host.DeleteKeys();
    host.ShowOutcome(deleted);
    return true;
}
