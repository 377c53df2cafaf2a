#include "DeleteTree.h"

#include "PathNames.h"

namespace {

bool Fits(const std::string& path)
{
    return path.size() < TreePathBuffer;
}

// A name that reaches the entry itself: Windows drops a trailing dot or
// space, reads ":" as a stream and "*" or "?" as a search.
bool PlainName(const std::string& name)
{
    return !name.empty() && name.back() != '.' && name.back() != ' ' &&
           name.find_first_of("\\/:*?\"<>|") == std::string::npos;
}

std::string FinalNameOf(TreeOps& ops, const std::string& path)
{
    return ops.HasFinalNames() ? ops.FinalName(path) : std::string();
}

// Opened, the entry is named as its directory followed by its own name.
// Where the system names nothing there are no links but those the search
// shows as links.
bool OwnEntry(TreeOps& ops, const std::string& dirName, const std::string& path, const std::string& name)
{
    if (!ops.HasFinalNames())
        return true;
    const std::string entryName = ops.FinalName(path);
    return !dirName.empty() && !entryName.empty() && paths::SameName(entryName, paths::WithBackslash(dirName) + name);
}

enum class Step { Pass, Refuse, File, Dir };

// What the walk does with an entry of dir, whose final name is dirName;
// path becomes the entry's path ("\" at the end of a directory's).
Step Classify(TreeOps& ops, const std::string& dir, const std::string& dirName, const TreeEntry& entry,
              std::string& path)
{
    // ".", "..", and every other name that begins with a dot.
    if (!entry.name.empty() && entry.name[0] == '.')
        return Step::Pass;
    path = dir + entry.name + (entry.isDir ? "\\" : "");
    if (entry.isLink || !Fits(path) || !PlainName(entry.name) || !OwnEntry(ops, dirName, dir + entry.name, entry.name))
        return Step::Refuse;
    return entry.isDir ? Step::Dir : Step::File;
}

}  // namespace

bool DeleteTree(TreeOps& ops, const std::string& dir, const DirGuard& mayEmpty)
{
    const std::string pattern = dir + "*.*";
    if (!Fits(pattern) || !mayEmpty(dir))
        return false;
    const std::string dirName = FinalNameOf(ops, dir);
    bool result = true;
    const bool listed = ops.ForEachEntry(pattern, [&](const TreeEntry& entry) {
        std::string path;
        switch (Classify(ops, dir, dirName, entry, path)) {
        case Step::Pass:
            return true;
        case Step::Refuse:
            result = false;
            break;
        case Step::Dir:
            result = DeleteTree(ops, path, mayEmpty);
            break;
        case Step::File:
            result = ops.RemoveFile(path);
            break;
        }
        return result;
    }) == TreeOps::Listed;
    return listed && result && ops.RemoveDir(dir);
}

// Every directory that DeleteTree could enter, whatever fails before it.
bool GuardAllowsTree(TreeOps& ops, const std::string& dir, const DirGuard& mayEmpty)
{
    const std::string pattern = dir + "*.*";
    if (!Fits(pattern))
        return true;
    if (!mayEmpty(dir))
        return false;
    const std::string dirName = FinalNameOf(ops, dir);
    bool allowed = true;
    ops.ForEachEntry(pattern, [&](const TreeEntry& entry) {
        std::string path;
        if (entry.isDir && Classify(ops, dir, dirName, entry, path) == Step::Dir)
            allowed = GuardAllowsTree(ops, path, mayEmpty);
        return allowed;
    });
    return allowed;
}
