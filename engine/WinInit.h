// Edits of WININIT.INI, which Windows 95 carries out at its next start: its
// [Rename] section holds "NUL=path" (delete path) and "target=source" (move
// source over target) entries, and may hold several entries named NUL. The
// profile functions keep one value per key, so the installation set edits
// the file itself: it appends one entry, or removes the entries with a given
// key and value, and leaves every other line as it was.
#pragma once

#include <string>
#include <vector>

namespace wininit {

// The text with key=value added at the end of [section]; the section is added
// at the end of the text when missing. Lines end with CR LF.
std::string AppendEntry(const std::string& text, const std::string& section, const std::string& key,
                        const std::string& value);

// The text without the entries of [section] whose key matches and whose
// value is one of the values (names and values compared without regard to
// case, spaces around them ignored).
std::string RemoveEntry(const std::string& text, const std::string& section, const std::string& key,
                        const std::vector<std::string>& values);

struct Entry {
    std::string key;
    std::string value;
};

// The same on a file; a missing file reads as empty. Removing from a missing
// file, or removing nothing, leaves the file alone. False when it cannot be
// read or written.
bool AppendEntryToFile(const std::string& path, const std::string& section, const std::string& key,
                       const std::string& value);
bool RemoveEntryFromFile(const std::string& path, const std::string& section, const std::string& key,
                         const std::vector<std::string>& values);

// Entries that only work together (delete a file, then move its new copy in
// its place) go in with one rewrite of the file, so that it never holds some
// of them alone. An entry of [section] equal to one of them (key and value)
// is taken out first: written again, it moves to the end instead of standing
// twice, where a second delete would take away the file the first move put
// in place.
bool AppendEntriesToFile(const std::string& path, const std::string& section, const std::vector<Entry>& entries);

}  // namespace wininit
