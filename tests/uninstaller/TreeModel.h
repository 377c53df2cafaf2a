// A small file system in memory with the ways Windows and Wine give one
// directory several names: drive letters mapped onto directories (SUBST, a
// network drive onto the local disk, a Wine drive mapping), links to
// directories and to files, short names, trailing dots and spaces that a
// path loses, the case of letters. It stands behind TreeOps in the
// uninstaller's tests and its fuzz target, and keeps what was removed.
//
// Paths are read as the chosen system reads them, and every removal reaches
// what Wine's would: a link's target.
#pragma once

#include "DeleteTree.h"
#include "Uninstall.h"

#include <string>
#include <vector>

class TreeModel : public TreeOps {
public:
    enum class System {
        // Every component of a path loses its trailing dots and spaces; no
        // links; no final names.
        Windows95,
        // A component loses one trailing dot, the last one (unless a "\"
        // follows it) all its trailing dots and spaces; a link to a directory
        // is shown as a link, one to a file as a plain file; final names.
        Wine,
        // As Wine, but every link is shown as a link (Windows Vista and later).
        WindowsNT,
        // Links to directories only (junctions), shown as links; paths read
        // as on Wine; no final names (Windows 2000 and XP).
        Windows2000,
    };
    using Node = int;
    static constexpr Node None = -1;

    explicit TreeModel(System system = System::Wine);

    // The root of a drive of its own.
    Node Root(char letter);
    // An entry whose name the directory holds already: None.
    Node AddDir(Node parent, const std::string& name, const std::string& shortName = "");
    Node AddFile(Node parent, const std::string& name, const std::string& shortName = "");
    Node AddLink(Node parent, const std::string& name, Node target);
    // The drive shows the directory (a root of its own or any other).
    void MapDrive(char letter, Node dir);
    // A file that cannot be removed, a directory where no file can be made.
    void SetReadOnly(Node node);
    void SetUnreadable(Node dir);

    // Shorthands for tests: "C:\A\B" with every directory on the way made
    // (C: made too) and the last one a directory, a file or a link.
    Node MakeDirs(const std::string& path);
    Node MakeFile(const std::string& path);
    Node MakeLink(const std::string& path, Node target);

    System Kind() const { return system_; }
    // What path reaches (links followed, the last one too when follow is
    // set), None when nothing.
    Node Find(const std::string& path, bool follow = true) const;
    bool Alive(Node node) const;
    bool IsDir(Node node) const;
    bool IsLinkNode(Node node) const;
    bool IsMark(Node node) const;
    Node Parent(Node node) const;
    const std::vector<Node>& Children(Node dir) const;
    const std::string& Name(Node node) const;
    const std::string& ShortName(Node node) const;
    // What the drive shows, None when it shows nothing.
    Node Drive(char letter) const;
    // The node lies in dir, or is dir, by the tree itself (not by links).
    bool Within(Node node, Node dir) const;
    // The drive shows node as its root.
    bool IsDriveRoot(Node node) const;
    // Every node made so far, removed ones included.
    int Count() const { return static_cast<int>(nodes_.size()); }
    // The drive letter and long names that lead to node by the tree.
    std::string PathOf(Node node) const;
    // As GetShortPathNameA: the path's own drive, each component's short
    // name; empty when the path reaches nothing.
    std::string ShortPath(const std::string& path) const;
    // Removed nodes, in order.
    const std::vector<Node>& Removed() const { return removed_; }

    // Every call, in order: "list PATTERN", "del PATH", "rmdir PATH", "mark DIR".
    std::vector<std::string> calls;

    Listing ForEachEntry(const std::string& pattern, const std::function<bool(const TreeEntry&)>& visit) override;
    bool RemoveFile(const std::string& path) override;
    bool RemoveDir(const std::string& path) override;
    bool IsLink(const std::string& dir) override;
    bool MakeMark(const std::string& dir, std::string& name) override;
    bool Exists(const std::string& path) override;
    bool HasFinalNames() override;
    std::string FinalName(const std::string& path) override;

private:
    struct Entry {
        std::string name;
        std::string shortName;
        Node parent = None;
        bool dir = false;
        Node target = None;  // a link's
        bool alive = true;
        bool mark = false;
        bool readOnly = false;
        bool unreadable = false;
        std::vector<Node> children;
    };
    bool Taken(Node parent, const Entry& entry) const;
    Node Add(Node parent, Entry entry);
    Node Follow(Node node) const;
    Node Lookup(Node dir, const std::string& name) const;
    bool Components(const std::string& path, char& letter, std::vector<std::string>& parts) const;
    Node Resolve(const std::string& path, bool follow, std::vector<Node>* steps = nullptr) const;
    Node MakePath(const std::string& path, int kind, Node target);
    void Detach(Node node);

    System system_;
    std::vector<Entry> nodes_;
    Node drives_[26];
    std::vector<Node> removed_;
    int marks_ = 0;
};

// The uninstaller's host over a TreeModel: the marker given, "Sí" as the
// answer, the Windows and System directories at the given paths; every step
// is recorded in calls ("ask", "group", "self", "keys", "success" or
// "failure").
class ModelHost : public UninstallHost {
public:
    explicit ModelHost(TreeModel& tree) : tree_(tree) {}

    InstalledMarker ReadMarker() override { return marker; }
    bool Confirm() override;
    TreeOps& Tree() override { return tree_; }
    std::vector<std::string> Forms(const std::string& dir) override;
    std::vector<std::string> ProtectedDirs() override { return {windowsDir, systemDir}; }
    void RemoveProgramGroup() override { calls.push_back("group"); }
    void ScheduleSelfDeletion() override { calls.push_back("self"); }
    void DeleteKeys() override { calls.push_back("keys"); }
    void ShowOutcome(bool success) override { calls.push_back(success ? "success" : "failure"); }

    InstalledMarker marker;
    std::string windowsDir = "C:\\WINDOWS";
    std::string systemDir = "C:\\WINDOWS\\SYSTEM";
    bool yes = true;
    std::vector<std::string> calls;

private:
    TreeModel& tree_;
};
