#include "Removal.h"

#include "PathNames.h"

#include <algorithm>
#include <utility>

namespace removal {
namespace {

// True when path lies in dir or is dir (both full paths as FullPath gives them).
bool Within(const std::string& path, const std::string& dir)
{
    return path.compare(0, dir.size(), dir) == 0 && (path.size() == dir.size() || path[dir.size()] == '\\');
}

// Marks made in the kept directories, removed again when the run is over.
class KeptMarks {
public:
    explicit KeptMarks(TreeOps& tree) : tree_(tree) {}
    KeptMarks(const KeptMarks&) = delete;
    KeptMarks& operator=(const KeptMarks&) = delete;
    ~KeptMarks()
    {
        for (const auto& mark : made_)
            tree_.RemoveFile(mark.first + mark.second);
    }

    bool Make(const std::string& dir)
    {
        std::string name;
        if (dir.empty() || !tree_.MakeMark(paths::WithBackslash(dir), name))
            return false;
        made_.emplace_back(paths::WithBackslash(dir), name);
        return true;
    }

    bool SeenIn(const std::string& dir) const
    {
        return std::any_of(made_.begin(), made_.end(), [&](const std::pair<std::string, std::string>& mark) {
            return tree_.Exists(dir + mark.second);
        });
    }

private:
    TreeOps& tree_;
    std::vector<std::pair<std::string, std::string>> made_;  // directory, name
};

}  // namespace

bool Refused(const std::vector<std::string>& dirForms, const std::vector<std::string>& protectedForms)
{
    if (dirForms.empty())
        return true;
    for (const std::string& form : dirForms) {
        std::string dir;
        if (!paths::FullPath(form, dir) || dir.size() <= 2)
            return true;
        for (const std::string& other : protectedForms) {
            std::string kept;
            if (paths::FullPath(other, kept) && Within(kept, dir))
                return true;
        }
    }
    return false;
}

bool SameDirectory(TreeOps& tree, const std::string& a, const std::string& b)
{
    std::string mark;
    if (!tree.MakeMark(a, mark))
        return false;
    const bool seen = tree.Exists(b + mark);
    return tree.RemoveFile(a + mark) && seen && !tree.Exists(b + mark);
}

bool BelowARoot(const std::string& finalName)
{
    std::string name = finalName;
    if (name.compare(0, 4, "\\\\?\\") == 0)
        name.erase(0, 4);
    std::string full;
    // "UNC\servidor\juegos" is a share's root, read here as if "UNC" were a drive.
    if (paths::SameName(name.substr(0, 4), "UNC\\"))
        return paths::FullPath("U:\\" + name.substr(4), full) && std::count(full.begin(), full.end(), '\\') > 2;
    return paths::FullPath(name, full) && full.size() > 2;
}

bool RemoveOwnedTree(TreeOps& tree, const std::string& dir, const std::string& ownedDir,
                     const std::vector<std::string>& keptDirs)
{
    std::string owned;
    if (!paths::FullPath(ownedDir, owned) || owned.size() <= 2 ||
        !SameDirectory(tree, paths::WithBackslash(ownedDir), dir))
        return false;
    KeptMarks marks(tree);
    for (const std::string& kept : keptDirs)
        if (!marks.Make(kept))
            return false;
    const DirGuard mayEmpty = [&](const std::string& entered) {
        return !marks.SeenIn(entered) && (!tree.HasFinalNames() || BelowARoot(tree.FinalName(entered)));
    };
    return GuardAllowsTree(tree, dir, mayEmpty) && DeleteTree(tree, dir, mayEmpty);
}

}  // namespace removal
