#include "SharedFiles.h"

#include "Files.h"
#include "PathNames.h"
#include "WinInit.h"

#include <cstdint>
#include <cstdio>

const char* const WaitingCopySuffix = ".PROV";

namespace {

const char* const RenameSection = "Rename";
const char* const DeleteKey = "NUL";

// A complete copy of source in a new file beside target (in the System
// directory, so that putting it in place is a rename on one drive). The old
// System copy is never opened for writing: a copy that fails half-way, on a
// full disk say, leaves it as it was.
bool CopyBeside(SharedFileHost& host, const std::string& source, const std::string& target, std::string& copy)
{
    std::FILE* file = files::CreateTemporaryBeside(target, copy);
    if (!file)
        return false;
    std::fclose(file);
    uint32_t sourceSize = 0, copySize = 0;
    if (host.CopyOneFile(source, copy) && files::StatusSize(source, sourceSize) &&
        files::StatusSize(copy, copySize) && copySize == sourceSize)
        return true;
    files::RemoveFile(copy);
    return false;
}

// The form Windows 95 understands when it reads WININIT.INI: it does so
// before long file names exist, and skips entries that use them.
std::string ShortForm(SharedFileHost& host, const std::string& path)
{
    const std::string shortPath = host.ShortPath(path);
    return shortPath.empty() ? path : shortPath;
}

// Windows 95 carries out WININIT.INI without long names: a file moved in
// there keeps only its short name. A file whose name is a long one would come
// back under another name, where nothing that loads it would find it.
bool KeepsItsName(const std::string& shortPath, const std::string& name)
{
    const std::string::size_type slash = shortPath.find_last_of('\\');
    return paths::SameName(slash == std::string::npos ? shortPath : shortPath.substr(slash + 1), name);
}

// Schedules the new copy (in copy) to replace systemPath at the next start:
// "NUL=old" deletes the old copy, "old=new" then moves the new one in. Both
// entries are written together, or neither. False when nothing was scheduled.
bool ScheduleReplacement(SharedFileHost& host, const std::string& wininit, const std::string& name,
                         const std::string& systemPath, const std::string& copy)
{
    const std::string target = ShortForm(host, systemPath);
    if (!KeepsItsName(target, name))
        return false;
    const std::string waiting = systemPath + WaitingCopySuffix;
    files::SetNormalAttributes(waiting);
    if (!host.PutInPlace(copy, waiting))
        return false;
    // When WININIT.INI cannot be written the new copy stays where it is: an
    // earlier run may have scheduled it already.
    return wininit::AppendEntriesToFile(wininit, RenameSection,
                                        {{DeleteKey, target}, {target, ShortForm(host, waiting)}});
}

}  // namespace

int ReplaceSharedFiles(SharedFileHost& host, const std::string& sourceDir, const char* const* names, int count)
{
    int restartNeeded = 0;
    if (count <= 0)
        return 0;
    const bool onWindows95 = host.OnWindows95();
    const std::string windowsDir = host.WindowsDir();
    const std::string systemDir = host.SystemDir();
    const std::string wininit = windowsDir + "\\WININIT.INI";
    for (int i = 0; i < count; i++) {
        const std::string name = names[i] ? names[i] : "";
        // An empty name would make the System directory itself the file.
        if (name.empty())
            continue;
        const std::string systemPath = systemDir + "\\" + name;
        const std::string sourcePath = sourceDir + name;
        int64_t systemTime = 0, sourceTime = 0;
        const bool sourceFound = files::StatusTime(sourcePath, sourceTime);
        bool install = true;
        bool delayed = false;
        if (files::StatusTime(systemPath, systemTime)) {
            // Without a source copy its time counts as equal: the System copy stays.
            if (!sourceFound || sourceTime <= systemTime)
                install = false;
            else if (host.FindSharedFile(name, windowsDir, systemDir) & VffCurNeDest)
                delayed = true;
        }
        files::SetNormalAttributes(systemPath);
        // A file missing from the source directory is passed over.
        if (!install || !sourceFound)
            continue;
        std::string copy;
        if (!CopyBeside(host, sourcePath, systemPath, copy))
            continue;
        if (!delayed && host.PutInPlace(copy, systemPath)) {
            files::SetNormalAttributes(systemPath);
            continue;
        }
        // In use. Only Windows 95 replaces files through WININIT.INI (the
        // installer refuses Windows NT), and a restart is offered only for
        // a replacement that is really waiting.
        if (onWindows95 && ScheduleReplacement(host, wininit, name, systemPath, copy))
            restartNeeded = 1;
        else
            files::RemoveFile(copy);
    }
    return restartNeeded;
}
