// Deleting the installation directory with everything in it.
#pragma once

#include <functional>
#include <string>

// One entry of a directory search. A link (a reparse point: a symbolic link
// or, on NT, a junction) stands for something elsewhere, which may be no part
// of the installation.
struct TreeEntry {
    std::string name;
    bool isDir = false;
    bool isLink = false;
};

// The file-system calls DeleteTree makes, so that its rules run on any host.
class TreeOps {
public:
    virtual ~TreeOps() = default;
    // Calls visit for each entry that a search of pattern finds, in the order
    // the search returns them, until visit answers false. False when the
    // search cannot start.
    virtual bool ForEachEntry(const std::string& pattern, const std::function<bool(const TreeEntry&)>& visit) = 0;
    virtual bool RemoveFile(const std::string& path) = 0;
    virtual bool RemoveDir(const std::string& path) = 0;
};

// Paths are built in buffers of this many bytes, the terminating zero
// included: a path that would not fit fails its entry.
const std::size_t TreePathBuffer = 256;

// Deletes the directory (a path ending with "\") and everything below it.
// Names beginning with "." are left alone, so their directory stays. A link
// is removed itself and never entered: what it leads to stays. Stops
// at the first entry that cannot be deleted. True when the directory is gone.
bool DeleteTree(TreeOps& ops, const std::string& dir);
