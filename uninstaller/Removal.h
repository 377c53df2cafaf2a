// What the uninstaller may delete. The registry names the directory to
// delete with everything in it; a value that names a drive's root, the
// Windows or System directory or a directory holding one of them, or that is
// no full path at all, must never reach the deletion. A directory can have
// many names (a drive mapped onto another's directory, a short name, a
// trailing dot or space that Windows drops, a link), so texts only turn
// away what is plainly wrong; what a directory is, is told by the marks seen
// in it and by the name the system gives it once opened.
#pragma once

#include "DeleteTree.h"

#include <string>
#include <vector>

namespace removal {

// True when the directory may not be deleted by its text alone: it is no
// full path, it is a drive's root, or one of the given directories lies in
// it or is it. Every text is compared in each of the forms given (a
// directory can be named by its long and by its short form).
bool Refused(const std::vector<std::string>& dirForms, const std::vector<std::string>& protectedForms);

// True when both paths (each ending with "\") reach one directory: a mark
// made through the one is seen through the other, and gone from it once
// removed again.
bool SameDirectory(TreeOps& tree, const std::string& a, const std::string& b);

// True when the name the system gives an open directory ("\\?\C:\DemoMB",
// "\\?\UNC\servidor\juegos\DemoMB") is that of a directory below a drive's
// or a share's root.
bool BelowARoot(const std::string& finalName);

// Deletes dir (a path ending with "\") with everything in it when it is the
// directory the installation owns (ownedDir, as the installer recorded it)
// and neither it nor any directory below it that the deletion could enter is
// a drive's root or one of the kept directories (the Windows and System
// directories): marks are made in the kept directories and looked for in
// each of them before anything is deleted, and again as the deletion enters
// it. The marks go again at the end. True when the directory is gone.
bool RemoveOwnedTree(TreeOps& tree, const std::string& dir, const std::string& ownedDir,
                     const std::vector<std::string>& keptDirs);

}  // namespace removal
