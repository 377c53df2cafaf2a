// The uninstaller's rules: which directories it may delete, how it walks a
// tree, and the order and outcome of its run.
#include "DeleteTree.h"
#include "PathNames.h"
#include "Removal.h"
#include "Uninstall.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

TEST(PathNames, FullPaths)
{
    const struct {
        const char* text;
        const char* full;  // null: not a full path
    } cases[] = {
        {"C:\\DemoMB\\", "C:\\DEMOMB"},
        {"c:\\Juegos\\\\DemoMB\\\\", "C:\\JUEGOS\\DEMOMB"},
        {"C:\\Juegos\\.\\DemoMB", "C:\\JUEGOS\\DEMOMB"},
        {"C:\\Juegos\\..\\..\\DemoMB", "C:\\DEMOMB"},
        {"C:\\WINDOWS. ", "C:\\WINDOWS"},
        {"C:/Windows/System", "C:\\WINDOWS\\SYSTEM"},
        {"C:\\", "C:"},
        {"C:\\..", "C:"},
        {"C:\\Juegos\\..", "C:"},
        {"C:", nullptr},
        {"C:DemoMB", nullptr},
        {"\\\\servidor\\juegos\\DemoMB", nullptr},
        {"\\DemoMB", nullptr},
        {"DemoMB", nullptr},
        {"", nullptr},
        {"1:\\DemoMB", nullptr},
        {"C:\\Juegos\\...\\DemoMB", nullptr},
        {"C:\\Juegos\\ \\DemoMB", nullptr},
        {"C:\\Juegos\\D:\\x", nullptr},
        {"C:\\*", nullptr},
    };
    for (const auto& c : cases) {
        std::string full;
        const bool ok = paths::FullPath(c.text, full);
        EXPECT_EQ(c.full != nullptr, ok) << c.text;
        if (c.full && ok) {
            EXPECT_EQ(c.full, full) << c.text;
        }
    }
    EXPECT_TRUE(paths::SameDirectory("E:\\Juegos\\DemoMB\\", "e:\\JUEGOS\\demomb"));
    EXPECT_FALSE(paths::SameDirectory("E:\\Juegos\\DemoMB\\", "E:\\Juegos\\DemoMB2"));
    EXPECT_FALSE(paths::SameDirectory("", ""));
}

TEST(Removal, RefusedDirectories)
{
    const Strings windows = {"C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM"};
    const struct {
        Strings forms;
        bool refused;
    } cases[] = {
        {{"C:\\DemoMB\\"}, false},
        {{"C:\\Juegos\\DemoMB\\\\"}, false},
        {{"C:\\WIN\\"}, false},                    // a name that only begins like Windows
        {{"C:\\WINDOWS\\TEMP\\DemoMB\\"}, false},   // inside, not holding it
        {{"C:\\"}, true},
        {{"D:\\"}, true},
        {{"C:\\DemoMB\\..\\"}, true},
        {{"C:\\windows\\"}, true},
        {{"C:\\Windows.\\"}, true},
        {{"C:\\WINDOWS\\\\SYSTEM\\"}, true},
        {{"C:\\Juegos\\..\\Windows\\System\\."}, true},
        {{""}, true},
        {{"C:"}, true},
        {{"\\\\servidor\\juegos\\"}, true},
        {{}, true},
        // The long form looks harmless; its short form is the Windows directory's parent.
        {{"C:\\Juegos\\DemoMB\\", "C:\\"}, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.refused, removal::Refused(c.forms, windows)) << (c.forms.empty() ? "(none)" : c.forms[0]);
    // A Windows directory named by its short form is still found.
    EXPECT_TRUE(removal::Refused({"C:\\Program Files\\", "C:\\PROGRA~1\\"}, {"C:\\PROGRA~1\\WIN95"}));
}

// The directory "Instalado" names must be the one the installation recorded
// as its own, as Windows resolves both, by any of their forms.
TEST(Removal, OwnedDirectory)
{
    const struct {
        Strings dir;
        Strings owned;
        bool expected;
    } cases[] = {
        {{"C:\\DemoMB\\"}, {"C:\\DEMOMB"}, true},
        {{"c:\\demomb"}, {"C:\\DEMOMB"}, true},
        {{"C:\\Juegos\\..\\DemoMB\\"}, {"C:\\DEMOMB"}, true},
        {{"C:\\Juegos\\.\\DemoMB\\"}, {"C:\\JUEGOS\\DEMOMB"}, true},
        {{"C:\\Juegos\\\\DemoMB\\\\"}, {"C:\\JUEGOS\\DEMOMB"}, true},
        {{"C:\\Juegos\\DemoMB\\..\\"}, {"C:\\JUEGOS\\DEMOMB"}, false},
        {{"C:\\Juegos\\DemoMB\\.\\..\\"}, {"C:\\JUEGOS\\DEMOMB"}, false},
        {{"C:\\Juegos\\DemoMB\\Datos\\"}, {"C:\\JUEGOS\\DEMOMB"}, false},
        {{"D:\\Juegos\\DemoMB\\"}, {"C:\\JUEGOS\\DEMOMB"}, false},
        {{"C:\\Juegos\\DemoMB2\\"}, {"C:\\JUEGOS\\DEMOMB"}, false},
        // Long and short forms, on either side.
        {{"C:\\Mis Juegos\\DemoMB\\", "C:\\MISJUE~1\\DEMOMB\\"}, {"C:\\MISJUE~1\\DEMOMB"}, true},
        {{"C:\\MISJUE~1\\DEMOMB\\"}, {"C:\\MIS JUEGOS\\DEMOMB", "C:\\MISJUE~1\\DEMOMB"}, true},
        {{"C:\\MISJUE~1\\DEMOMB\\"}, {"C:\\MIS JUEGOS\\DEMOMB"}, false},
        // Nothing recorded, or nothing that is a path.
        {{"C:\\DemoMB\\"}, {}, false},
        {{"C:\\DemoMB\\"}, {""}, false},
        {{""}, {""}, false},
        {{"C:DemoMB\\"}, {"C:DEMOMB"}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, removal::Owned(c.dir, c.owned)) << c.dir[0] << " against " << c.owned.size();
}

// An in-memory tree: paths with "\" after directories, entries listed in the
// order they were made; some can be made undeletable.
class FakeTree : public TreeOps {
public:
    void Add(const std::string& path) { order_.push_back(path); }
    bool Has(const std::string& path) const
    {
        return std::find(order_.begin(), order_.end(), path) != order_.end();
    }
    // A link: a file (no "\\" at the end) or a directory whose entries, as
    // added, are what it leads to elsewhere.
    void AddLink(const std::string& path)
    {
        Add(path);
        links_.insert(path);
    }
    bool ForEachEntry(const std::string& pattern, const std::function<bool(const TreeEntry&)>& visit) override
    {
        calls.push_back("list " + pattern);
        const std::string dir = pattern.substr(0, pattern.size() - 3);
        if (!Has(dir))
            return false;
        Strings children = {dir + ".\\", dir + "..\\"};
        for (const std::string& path : order_)
            if (path.size() > dir.size() && path.compare(0, dir.size(), dir) == 0 &&
                path.find('\\', dir.size()) >= path.size() - 1)
                children.push_back(path);
        for (const std::string& child : children) {
            TreeEntry entry;
            entry.isDir = child.back() == '\\';
            entry.isLink = links_.count(child) != 0;
            entry.name = child.substr(dir.size(), child.size() - dir.size() - (entry.isDir ? 1 : 0));
            if ((Has(child) || entry.name == "." || entry.name == "..") && !visit(entry))
                break;
        }
        return true;
    }
    bool RemoveFile(const std::string& path) override
    {
        calls.push_back("del " + path);
        return Remove(path);
    }
    bool RemoveDir(const std::string& path) override
    {
        calls.push_back("rmdir " + path);
        if (links_.count(path + "\\")) {
            // The link goes; what it led to stays where it is.
            links_.erase(path + "\\");
            order_.erase(std::find(order_.begin(), order_.end(), path + "\\"));
            for (auto p = order_.begin(); p != order_.end();)
                if (p->compare(0, path.size() + 1, path + "\\") == 0) {
                    elsewhere.insert(*p);
                    p = order_.erase(p);
                } else {
                    ++p;
                }
            return true;
        }
        for (const std::string& p : order_)
            if (p != path && p.compare(0, path.size(), path) == 0)
                return false;
        return Remove(path);
    }
    std::set<std::string> locked;
    // What links led to, once the links are gone.
    std::set<std::string> elsewhere;
    Strings calls;

private:
    bool Remove(const std::string& path)
    {
        if (locked.count(path) || !Has(path))
            return false;
        order_.erase(std::find(order_.begin(), order_.end(), path));
        return true;
    }
    Strings order_;
    std::set<std::string> links_;
};

TEST(DeleteTree, DeletesEverythingInOrder)
{
    FakeTree tree;
    for (const char* p : {"C:\\D\\", "C:\\D\\A.TXT", "C:\\D\\SUB\\", "C:\\D\\SUB\\B.DAT", "C:\\D\\Z.TXT"})
        tree.Add(p);
    EXPECT_TRUE(DeleteTree(tree, "C:\\D\\"));
    EXPECT_EQ(Strings({"list C:\\D\\*.*", "del C:\\D\\A.TXT", "list C:\\D\\SUB\\*.*", "del C:\\D\\SUB\\B.DAT",
                       "rmdir C:\\D\\SUB\\", "del C:\\D\\Z.TXT", "rmdir C:\\D\\"}),
              tree.calls);
    EXPECT_FALSE(tree.Has("C:\\D\\"));
}

TEST(DeleteTree, StopsAtTheFirstFailure)
{
    FakeTree tree;
    for (const char* p : {"C:\\D\\", "C:\\D\\SUB\\", "C:\\D\\SUB\\A.TXT", "C:\\D\\SUB\\B.TXT", "C:\\D\\Z.TXT"})
        tree.Add(p);
    tree.locked = {"C:\\D\\SUB\\A.TXT"};
    EXPECT_FALSE(DeleteTree(tree, "C:\\D\\"));
    // Nothing after the failed file, in its directory or the enclosing one.
    EXPECT_TRUE(tree.Has("C:\\D\\SUB\\B.TXT"));
    EXPECT_TRUE(tree.Has("C:\\D\\Z.TXT"));
    EXPECT_EQ("del C:\\D\\SUB\\A.TXT", tree.calls.back());
}

TEST(DeleteTree, DotNamesStayAndKeepTheirDirectory)
{
    FakeTree tree;
    for (const char* p : {"C:\\D\\", "C:\\D\\.indice", "C:\\D\\A.TXT"})
        tree.Add(p);
    EXPECT_FALSE(DeleteTree(tree, "C:\\D\\"));
    EXPECT_TRUE(tree.Has("C:\\D\\.indice"));
    EXPECT_FALSE(tree.Has("C:\\D\\A.TXT"));
    EXPECT_TRUE(tree.Has("C:\\D\\"));
}

// A link is removed itself, with the call for its kind, and never entered.
TEST(DeleteTree, LinksAreRemovedNotEntered)
{
    FakeTree tree;
    tree.Add("C:\\D\\");
    tree.Add("C:\\D\\Brumaria.EXE");
    tree.AddLink("C:\\D\\enlace\\");
    tree.Add("C:\\D\\enlace\\AJENO.TXT");
    tree.Add("C:\\D\\enlace\\SUB\\");
    tree.AddLink("C:\\D\\atajo.txt");
    EXPECT_TRUE(DeleteTree(tree, "C:\\D\\"));
    EXPECT_EQ(Strings({"list C:\\D\\*.*", "del C:\\D\\Brumaria.EXE", "rmdir C:\\D\\enlace", "del C:\\D\\atajo.txt",
                       "rmdir C:\\D\\"}),
              tree.calls);
    EXPECT_EQ(std::set<std::string>({"C:\\D\\enlace\\AJENO.TXT", "C:\\D\\enlace\\SUB\\"}), tree.elsewhere);
}

// Paths live in 256-byte buffers: 255 characters fit, 256 fail their entry.
TEST(DeleteTree, PathsThatOutgrowTheirBuffer)
{
    const std::string dir = "C:\\" + std::string(240, 'd') + "\\";  // 244 characters
    const std::string fits = dir + std::string(255 - dir.size(), 'f');
    {
        FakeTree tree;
        tree.Add(dir);
        tree.Add(fits);
        EXPECT_TRUE(DeleteTree(tree, dir));
    }
    {
        FakeTree tree;
        tree.Add(dir);
        tree.Add(fits + "g");
        EXPECT_FALSE(DeleteTree(tree, dir));
        EXPECT_TRUE(tree.Has(fits + "g"));
        EXPECT_EQ(0, std::count_if(tree.calls.begin(), tree.calls.end(),
                                   [](const std::string& c) { return c.rfind("del ", 0) == 0; }));
    }
    {
        // A subdirectory whose path with its "\" would need 257 bytes.
        FakeTree tree;
        const std::string sub = dir + std::string(255 - dir.size(), 's') + "\\";
        tree.Add(dir);
        tree.Add(sub);
        EXPECT_FALSE(DeleteTree(tree, dir));
        EXPECT_TRUE(tree.Has(sub));
    }
    {
        // The search pattern itself must fit.
        FakeTree tree;
        const std::string deep = "C:\\" + std::string(250, 'x') + "\\";
        tree.Add(deep);
        EXPECT_FALSE(DeleteTree(tree, deep));
        EXPECT_TRUE(tree.calls.empty());
    }
    FakeTree none;
    EXPECT_FALSE(DeleteTree(none, "C:\\NADA\\"));
}

class FakeHost : public UninstallHost {
public:
    InstalledMarker ReadMarker() override
    {
        InstalledMarker marker;
        marker.dir = installed;
        marker.damaged = damaged;
        marker.ownedDir = ownedDir;
        return marker;
    }
    bool Confirm() override
    {
        calls.push_back("ask");
        return yes;
    }
    Look LookInto(const std::string&) override { return look; }
    bool DeleteTree(const std::string& dir) override
    {
        calls.push_back("delete " + dir);
        return deleted;
    }
    std::vector<std::string> Forms(const std::string& dir) override
    {
        auto alias = aliases.find(dir);
        return alias == aliases.end() ? Strings{dir} : Strings{dir, alias->second};
    }
    std::vector<std::string> ProtectedDirs() override { return {"C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM"}; }
    void RemoveProgramGroup() override { calls.push_back("group"); }
    void ScheduleSelfDeletion() override { calls.push_back("self"); }
    void DeleteKeys() override { calls.push_back("keys"); }
    void ShowOutcome(bool success) override { calls.push_back(success ? "success" : "failure"); }

    std::string installed = "C:\\DemoMB\\";
    bool damaged = false;
    std::string ownedDir = "C:\\DEMOMB";
    bool yes = true;
    Look look = HasEntries;
    bool deleted = true;
    std::map<std::string, std::string> aliases;
    Strings calls;
};

TEST(Uninstall, RunsItsStepsInOrder)
{
    FakeHost host;
    EXPECT_TRUE(RunUninstall(host));
    EXPECT_EQ(Strings({"ask", "delete C:\\DemoMB\\", "group", "self", "keys", "success"}), host.calls);
}

TEST(Uninstall, NoChangesAfterNo)
{
    FakeHost host;
    host.yes = false;
    EXPECT_FALSE(RunUninstall(host));
    EXPECT_EQ(Strings({"ask"}), host.calls);
}

// Whatever stops the deletion, the group, the self-deletion and the keys are
// still handled and the failure is reported.
TEST(Uninstall, OutcomeOfTheDirectory)
{
    const Strings tail = {"group", "self", "keys"};
    struct Case {
        const char* what;
        void (*set)(FakeHost&);
        bool deletes;
        bool success;
    };
    const Case cases[] = {
        {"missing directory counts as deleted", [](FakeHost& h) { h.look = UninstallHost::Missing; }, false, true},
        {"a drive not ready is no success", [](FakeHost& h) { h.look = UninstallHost::Unreadable; }, false, false},
        {"a file that stays", [](FakeHost& h) { h.deleted = false; }, true, false},
        {"a directory the installation found full", [](FakeHost& h) { h.ownedDir = ""; }, false, false},
        {"a parent of the owned directory",
         [](FakeHost& h) {
             h.installed = "C:\\Juegos\\DemoMB\\..\\";
             h.ownedDir = "C:\\JUEGOS\\DEMOMB";
         },
         false, false},
        {"owned, typed through a parent", [](FakeHost& h) { h.installed = "C:\\Juegos\\..\\DemoMB\\"; }, true, true},
        {"owned, recorded by its short form",
         [](FakeHost& h) {
             h.installed = "C:\\Mis Juegos\\DemoMB\\";
             h.aliases["C:\\Mis Juegos\\DemoMB\\"] = "C:\\MISJUE~1\\DEMOMB\\";
             h.ownedDir = "C:\\MISJUE~1\\DEMOMB";
         },
         true, true},
        {"the directory is a link", [](FakeHost& h) { h.look = UninstallHost::Link; }, false, false},
        {"the Windows directory", [](FakeHost& h) { h.installed = "C:\\Windows\\"; }, false, false},
        {"the System directory", [](FakeHost& h) { h.installed = "c:\\windows\\system\\"; }, false, false},
        {"a drive's root", [](FakeHost& h) { h.installed = "C:\\"; }, false, false},
        {"a root in disguise", [](FakeHost& h) { h.installed = "C:\\DemoMB\\..\\"; }, false, false},
        {"a network path", [](FakeHost& h) { h.installed = "\\\\servidor\\DemoMB\\"; }, false, false},
        {"drive-relative", [](FakeHost& h) { h.installed = "C:DemoMB\\"; }, false, false},
        {"a short name of the root",
         [](FakeHost& h) { h.aliases["C:\\DemoMB\\"] = "C:\\."; }, false, false},
        {"missing but refused", [](FakeHost& h) { h.installed = "C:\\"; h.look = UninstallHost::Missing; }, false,
         false},
    };
    for (const Case& c : cases) {
        FakeHost host;
        c.set(host);
        EXPECT_TRUE(RunUninstall(host)) << c.what;
        Strings expected = {"ask"};
        if (c.deletes)
            expected.push_back("delete " + host.installed);
        expected.insert(expected.end(), tail.begin(), tail.end());
        expected.push_back(c.success ? "success" : "failure");
        EXPECT_EQ(expected, host.calls) << c.what;
    }
}

// A value too long for its buffer still means an installation: the question
// is asked, nothing is deleted, and the rest is done.
TEST(Uninstall, DamagedMarker)
{
    FakeHost host;
    host.installed = "";
    host.damaged = true;
    EXPECT_TRUE(RunUninstall(host));
    EXPECT_EQ(Strings({"ask", "group", "self", "keys", "failure"}), host.calls);
    FakeHost no;
    no.installed = "";
    no.damaged = true;
    no.yes = false;
    EXPECT_FALSE(RunUninstall(no));
    EXPECT_EQ(Strings({"ask"}), no.calls);
}

TEST(Uninstall, NothingRegistered)
{
    FakeHost host;
    host.installed = "";
    EXPECT_TRUE(RunUninstall(host));
    EXPECT_EQ(Strings({"group", "self", "keys", "failure"}), host.calls);
}

}  // namespace
