// Names and directory paths compared as Windows compares them.
#pragma once

#include <string>

namespace paths {

// True when both texts are the same but for the case of their letters, as
// Windows compares file names, profile sections and keys.
bool SameName(const std::string& a, const std::string& b);

// The path in a form fit for comparing: "X:\A\B" with the drive letter and
// every component upper-cased, "." and ".." resolved, doubled separators
// collapsed, trailing dots and spaces of a component dropped (Windows drops
// them too). False unless the text is a drive letter, ":\" and a path; a
// component made only of dots and spaces other than "." and "..", or holding
// a drive, stream or wildcard character, is refused. The root gives "X:".
bool FullPath(const std::string& text, std::string& full);

// True when the relative path, joined to a directory, names a file or
// directory below it as Windows resolves the joined path: "\" and "/" both
// separate components, "." stays and ".." goes up but never above the
// directory, and nothing else may take the path elsewhere. Refused: an empty
// path, a leading separator (the drive's root), a drive, stream, wildcard or
// control character, a component made only of dots and spaces other than
// "." and ".." (Windows drops trailing dots and spaces, so ".. " is "..",
// and Windows 95 reads "..." as two levels up), a device name in any
// component, and a path that ends in the directory itself.
bool StaysBelow(const std::string& relative);

// A name Windows opens as a device wherever it stands: CON, PRN, AUX, NUL,
// COM0-COM9, LPT0-LPT9 (and with the superscript digits), CLOCK$, CONFIG$,
// CONIN$, CONOUT$, in any case, with any extension, spaces around it.
bool IsDeviceName(const std::string& component);

// True when both name the same directory by FullPath.
bool SameDirectory(const std::string& a, const std::string& b);

// A directory text ready to be joined with a file name: "\" appended unless
// it already ends in one.
std::string WithBackslash(std::string dir);

}  // namespace paths
