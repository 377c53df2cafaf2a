// Edits of WININIT.INI, which Windows 95 carries out at its next start: its
// [Rename] section holds "NUL=path" (delete path) and "target=source" (move
// source over target) entries, and may hold several entries named NUL. The
// profile functions keep one value per key, so the installation set edits
// the file itself: it appends one entry, or removes the entries with a given
// key and value, and leaves every other byte as it was.
//
// The file is read as Windows reads it: CR LF, CR alone and LF alone each end
// a line, and Windows 95 stops at a Ctrl-Z (the DOS end of file), so new
// entries go before one; what follows it is kept as it is.
#pragma once

#include <string>
#include <vector>

namespace wininit {

// The text with key=value added at the end of [section]; when the section is
// missing it is added after the last line that Windows 95 reads. The new lines end with CR LF, and so
// does the line before them when it had no end.
std::string AppendEntry(const std::string& text, const std::string& section, const std::string& key,
                        const std::string& value);

// The text without the entries of [section] whose key matches and whose
// value is one of the values (names and values compared without regard to
// case, spaces around them ignored), after a Ctrl-Z too: Wine reads on.
std::string RemoveEntry(const std::string& text, const std::string& section, const std::string& key,
                        const std::vector<std::string>& values);

struct Entry {
    std::string key;
    std::string value;
};

// Entries that only work together (delete a file, then move its new copy in
// its place), appended one after the other. An entry of [section] equal to
// one of them (key and value) is taken out first: written again, it moves to
// the end instead of standing twice, where a second delete would take away
// the file the first move put in place.
std::string AppendEntries(std::string text, const std::string& section, const std::vector<Entry>& entries);

// The same on a file; a missing file reads as empty. Removing from a missing
// file, or removing nothing, leaves the file alone. False when it cannot be
// read or written.
bool AppendEntryToFile(const std::string& path, const std::string& section, const std::string& key,
                       const std::string& value);
bool RemoveEntryFromFile(const std::string& path, const std::string& section, const std::string& key,
                         const std::vector<std::string>& values);

// AppendEntries on a file, with one rewrite, so that the file never holds
// some of the entries alone.
bool AppendEntriesToFile(const std::string& path, const std::string& section, const std::vector<Entry>& entries);

}  // namespace wininit
