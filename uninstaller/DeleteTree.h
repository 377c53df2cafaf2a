// Deleting the installation directory with everything in it.
#pragma once

#include <functional>
#include <string>

// The file-system calls DeleteTree makes, so that its rules run on any host.
class TreeOps {
public:
    virtual ~TreeOps() = default;
    // Calls visit for each entry that a search of pattern finds, in the order
    // the search returns them, until visit answers false. False when the
    // search cannot start.
    virtual bool ForEachEntry(const std::string& pattern,
                              const std::function<bool(const std::string& name, bool isDir)>& visit) = 0;
    virtual bool RemoveFile(const std::string& path) = 0;
    virtual bool RemoveDir(const std::string& path) = 0;
};

// Paths are built in buffers of this many bytes, the terminating zero
// included: a path that would not fit fails its entry.
const std::size_t TreePathBuffer = 256;

// Deletes the directory (a path ending with "\") and everything below it.
// Names beginning with "." are left alone, so their directory stays. Stops
// at the first entry that cannot be deleted. True when the directory is gone.
bool DeleteTree(TreeOps& ops, const std::string& dir);
