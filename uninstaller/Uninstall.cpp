#include "Uninstall.h"

#include "Removal.h"

bool RemoveInstalledDir(UninstallHost& host, const InstalledMarker& marker)
{
    const std::string& dir = marker.dir;
    if (marker.damaged || dir.empty())
        return false;
    // Never a directory that holds Windows, whatever the registry says.
    const std::vector<std::string> keptDirs = host.ProtectedDirs();
    std::vector<std::string> protectedForms;
    for (const std::string& kept : keptDirs)
        for (const std::string& form : host.Forms(kept))
            protectedForms.push_back(form);
    const std::vector<std::string> dirForms = host.Forms(dir);
    if (removal::Refused(dirForms, protectedForms))
        return false;
    TreeOps& tree = host.Tree();
    // A directory that is itself a link is never searched.
    if (tree.IsLink(dir))
        return false;
    switch (tree.ForEachEntry(dir + "*.*", [](const TreeEntry&) { return false; })) {
    case TreeOps::Missing:
        return true;
    case TreeOps::Unreadable:
        return false;
    case TreeOps::Listed:
        break;
    }
    // Everything in it goes: only the directory this installation made or
    // found empty is ours to empty, and "Instalado" must still name it.
    return removal::RemoveOwnedTree(tree, dir, marker.ownedDir, keptDirs);
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
