// Install lists ("INST_100.NFO"): text files of lines
//   D name              create the directory name in the install directory
//   F name              copy the file name
//   F source > target   copy the file source to target
//   X name              create name and copy the source tree name into it
// Blank lines and lines starting with "*" are ignored; the letter may be lower
// case; names are relative paths with "\" between directories, and a line
// whose name would lead out of its directory is refused.
#pragma once

#include <cstdio>
#include <string>

namespace installlist {

// Reads one line ending at LF or CR LF (the line end is dropped). False at
// the end of the file or on a read error (tell them apart with ferror).
bool ReadLine(std::FILE* file, std::string& line);

// Other: a line of the copy pass that is neither blank nor a comment nor a
// D, F or X line with a name; it only steps the progress. Error: a line the
// pass refuses, reported as "ERROR->" and the line.
enum class Kind { Skip, Directory, File, Tree, Error, Other };

// The names of a D, F or X line, each relative to its directory: the one
// read in the source directory and the one written in the install
// directory. They differ only for an F line that renames.
struct Names {
    std::string source;
    std::string target;
};

// The size pass takes lines as read: a D, F or X line needs a space as its
// second character and something other than a space as its third.
Kind ClassifyForSize(const std::string& line, Names& names);

// The copy pass trims white space first; the name is the line from its third
// character. Lines too short to hold a name, and unknown kinds, are Other.
Kind ClassifyForCopy(const std::string& line, Names& names);

// In both passes a D, F or X line is an Error unless each of its names stays
// below its directory (paths::StaysBelow): a list never makes the installer
// write, or read, anywhere else.

// The separator of the renaming form of an F line.
const char* const RenameSeparator = " > ";

}  // namespace installlist
