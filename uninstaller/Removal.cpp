#include "Removal.h"

#include "PathNames.h"

namespace removal {
namespace {

// True when path lies in dir or is dir (both full paths as FullPath gives them).
bool Within(const std::string& path, const std::string& dir)
{
    return path.compare(0, dir.size(), dir) == 0 && (path.size() == dir.size() || path[dir.size()] == '\\');
}

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

bool Owned(const std::vector<std::string>& dirForms, const std::vector<std::string>& ownedForms)
{
    for (const std::string& form : dirForms)
        for (const std::string& owned : ownedForms)
            if (paths::SameDirectory(form, owned))
                return true;
    return false;
}

}  // namespace removal
