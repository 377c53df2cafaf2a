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

// The file-system calls the uninstaller makes, so that its rules run on any
// host. Every path is handed to the system as it is: the system resolves it
// as it resolves every other call's, and so the directory that a check finds
// is the one that the deletion reaches.
class TreeOps {
public:
    virtual ~TreeOps() = default;

    enum Listing { Listed, Missing, Unreadable };
    // Calls visit for each entry that a search of pattern finds, in the order
    // the search returns them, until visit answers false. Missing only for
    // "file not found" and "path not found"; nothing is visited then.
    virtual Listing ForEachEntry(const std::string& pattern, const std::function<bool(const TreeEntry&)>& visit) = 0;
    virtual bool RemoveFile(const std::string& path) = 0;
    virtual bool RemoveDir(const std::string& path) = 0;
    // The directory (its "\" at the end ignored) is itself a link.
    virtual bool IsLink(const std::string& dir) = 0;

    // A new empty file of a name of its own in dir (a path ending with "\");
    // false when none can be made. The uninstaller's marks: a directory is
    // told from another by the marks seen in it, whatever name reaches it.
    virtual bool MakeMark(const std::string& dir, std::string& name) = 0;
    virtual bool Exists(const std::string& path) = 0;

    // Whether the system names what a path leads to once it is opened
    // (Windows Vista and later, and Wine, do; Windows 95, NT 4, 2000 and XP
    // do not, and have no links to files).
    virtual bool HasFinalNames() = 0;
    // That name, links followed, "\\?\" in front ("\\?\C:\DemoMB\A.TXT");
    // empty when the path cannot be opened.
    virtual std::string FinalName(const std::string& path) = 0;
};

// Paths are built in buffers of this many bytes, the terminating zero
// included: a path that would not fit fails its entry.
const std::size_t TreePathBuffer = 256;

// Answers whether a directory (a path ending with "\") may be emptied.
using DirGuard = std::function<bool(const std::string& dir)>;

// Deletes the directory (a path ending with "\") and everything below it.
// Names beginning with "." are left alone, so their directory stays. Stops
// at the first entry that cannot be deleted or may not be: a directory the
// guard refuses, a link, a name the system would read as another (one that
// ends with a dot or a space, or holds a character that paths give a meaning
// to), or an entry that the system names, once opened, as anything but its
// directory's name followed by its own (a link that is shown as a plain file
// or directory). A link is never removed, since under Wine every call that
// removes one reaches what it leads to. True when the directory is gone.
bool DeleteTree(TreeOps& ops, const std::string& dir, const DirGuard& mayEmpty);

// True when the guard allows the directory and every directory below it that
// DeleteTree could enter; asked before anything is deleted.
bool GuardAllowsTree(TreeOps& ops, const std::string& dir, const DirGuard& mayEmpty);
