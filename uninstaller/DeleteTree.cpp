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
    const bool searched = ops.ForEachEntry(pattern, [&](const std::string& name, bool isDir) {
        // ".", "..", and every other name that begins with a dot.
        if (!name.empty() && name[0] == '.')
            return true;
        const std::string path = dir + name;
        if (isDir)
            result = Fits(path + "\\") && DeleteTree(ops, path + "\\");
        else
            result = Fits(path) && ops.RemoveFile(path);
        return result;
    });
    return searched && result && ops.RemoveDir(dir);
}
