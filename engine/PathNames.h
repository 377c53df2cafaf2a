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

// True when both name the same directory by FullPath.
bool SameDirectory(const std::string& a, const std::string& b);

// A directory text ready to be joined with a file name: "\" appended unless
// it already ends in one.
std::string WithBackslash(std::string dir);

}  // namespace paths
