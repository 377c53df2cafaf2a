#include "Uninstall.h"

#include "Removal.h"

bool RemoveInstalledDir(UninstallHost& host, const std::string& dir)
{
    // Never a directory that holds Windows, whatever the registry says.
    std::vector<std::string> protectedForms;
    for (const std::string& kept : host.ProtectedDirs())
        for (const std::string& form : host.Forms(kept))
            protectedForms.push_back(form);
    if (removal::Refused(host.Forms(dir), protectedForms))
        return false;
    switch (host.LookInto(dir)) {
    case UninstallHost::Missing:
        return true;
    case UninstallHost::Unreadable:
        return false;
    case UninstallHost::HasEntries:
        break;
    }
    // Everything in it goes: only a directory this installation made or
    // found empty is ours to empty.
    return host.OwnsInstalledDir() && host.DeleteTree(dir);
}

bool RunUninstall(UninstallHost& host)
{
    const std::string dir = host.InstalledDir();
    if (!dir.empty() && !host.Confirm())
        return false;
    const bool deleted = !dir.empty() && RemoveInstalledDir(host, dir);
    host.RemoveProgramGroup();
    host.ScheduleSelfDeletion();
    host.DeleteKeys();
    host.ShowOutcome(deleted);
    return true;
}
