// What the uninstaller may delete. The registry names the directory to
// delete with everything in it; a value that names a drive's root, the
// Windows or System directory or a directory holding one of them, or that is
// no full path at all, must never reach the deletion.
#pragma once

#include <string>
#include <vector>

namespace removal {

// True when the directory may not be deleted: it is no full path, it is a
// drive's root, or one of the given directories lies in it or is it. Every
// text is compared in each of the forms given (a directory can be named by
// its long and by its short form).
bool Refused(const std::vector<std::string>& dirForms, const std::vector<std::string>& protectedForms);

// True when the directory is the one the installation recorded as its own:
// some form of the one names, as Windows resolves it, the same directory as
// some form of the other. Nothing is owned when no directory was recorded.
bool Owned(const std::vector<std::string>& dirForms, const std::vector<std::string>& ownedForms);

}  // namespace removal
