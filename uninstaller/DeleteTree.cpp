#include "DeleteTree.h"

namespace {

bool Fits(const std::string& path)
{
    return path.size() < TreePathBuffer;
}

}  // namespace

bool DeleteTree(TreeOps& ops, const std::string& dir)
{
    const std::string pattern = dir + "*.*";
    if (!Fits(pattern))
        return false;
    bool result = true;
    const bool searched = ops.ForEachEntry(pattern, [&](const TreeEntry& entry) {
        // ".", "..", and every other name that begins with a dot.
        if (!entry.name.empty() && entry.name[0] == '.')
            return true;
        const std::string path = dir + entry.name;
        if (entry.isLink)
            result = Fits(path) && (entry.isDir ? ops.RemoveDir(path) : ops.RemoveFile(path));
        else if (entry.isDir)
            result = Fits(path + "\\") && DeleteTree(ops, path + "\\");
        else
            result = Fits(path) && ops.RemoveFile(path);
        return result;
    });
    return searched && result && ops.RemoveDir(dir);
}
