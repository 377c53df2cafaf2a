// The uninstaller's rules: which directories it may delete, how it walks a
// tree, and the order and outcome of its run.
#include "DeleteTree.h"
#include "PathNames.h"
#include "Removal.h"
#include "TreeModel.h"
#include "Uninstall.h"

#include <gtest/gtest.h>

#include <algorithm>
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

using System = TreeModel::System;
using Node = TreeModel::Node;

// Removed nodes other than the uninstaller's own marks.
std::vector<Node> RemovedFiles(const TreeModel& tree)
{
    std::vector<Node> removed;
    for (Node node : tree.Removed())
        if (!tree.IsMark(node))
            removed.push_back(node);
    return removed;
}

int MarksLeft(const TreeModel& tree)
{
    int left = 0;
    for (Node node = 0; node < tree.Count(); node++)
        left += tree.IsMark(node) && tree.Alive(node);
    return left;
}

// Two names reach one directory when a mark made through one is seen
// through the other and goes with it.
TEST(Removal, SameDirectoryByMarks)
{
    const struct {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"C:\\DEMOMB\\", "C:\\DemoMB\\", true},
        {"C:\\DEMOMB\\", "C:\\DemoMB\\\\", true},
        {"C:\\DEMOMB\\", "E:\\demomb\\", true},  // E: shows C:'s root
        {"C:\\MIS JUEGOS\\DEMOMB\\", "C:\\MISJUE~1\\DEMOMB\\", true},
        {"C:\\JUEGOS\\DEMOMB\\", "C:\\Juegos\\..\\Juegos\\DemoMB\\", true},
        {"C:\\JUEGOS\\DEMOMB\\", "C:\\DemoMB\\", false},
        {"C:\\JUEGOS\\DEMOMB\\", "C:\\Juegos\\DemoMB\\..\\", false},
        {"C:\\JUEGOS\\DEMOMB\\", "C:\\Juegos\\DemoMB\\Datos\\", false},
        {"C:\\DEMOMB\\", "C:\\DemoMB \\", false},  // another directory on Wine
        {"C:\\DEMOMB\\", "C:\\DemoMB", false},     // "C:\DemoMBDXL1.TMP"
        {"C:\\NADA\\", "C:\\NADA\\", false},
        {"C:\\DEMOMB\\", "C:\\NADA\\", false},
        // A file of the mark's name already there: seen, but it stays.
        {"C:\\DEMOMB\\", "C:\\OTRO\\", false},
    };
    for (const auto& c : cases) {
        TreeModel tree;
        tree.MakeFile("C:\\DemoMB\\Brumaria.EXE");
        tree.MakeFile("C:\\DemoMB \\OTRO.TXT");
        tree.MakeDirs("C:\\Juegos\\DemoMB\\Datos");
        tree.AddDir(tree.AddDir(tree.Find("C:\\"), "Mis Juegos", "MISJUE~1"), "DemoMB");
        tree.MakeFile("C:\\OTRO\\DXL1.TMP");
        tree.MapDrive('E', tree.Find("C:\\"));
        EXPECT_EQ(c.same, removal::SameDirectory(tree, c.a, c.b)) << c.a << " and " << c.b;
        EXPECT_EQ(0, MarksLeft(tree)) << c.a << " and " << c.b;
        EXPECT_TRUE(RemovedFiles(tree).empty());
    }
}

TEST(Removal, NamesBelowARoot)
{
    const struct {
        const char* name;
        bool below;
    } cases[] = {
        {"\\\\?\\C:\\DemoMB", true},
        {"\\\\?\\c:\\Juegos\\DemoMB\\", true},
        {"C:\\DemoMB", true},
        {"\\\\?\\UNC\\servidor\\juegos\\DemoMB", true},
        {"\\\\?\\C:\\", false},
        {"\\\\?\\C:", false},
        {"\\\\?\\UNC\\servidor\\juegos", false},
        {"\\\\?\\UNC\\servidor\\juegos\\", false},
        {"\\\\?\\Volume{1234}\\DemoMB", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.below, removal::BelowARoot(c.name)) << c.name;
}

const DirGuard AnyDir = [](const std::string&) { return true; };

TEST(DeleteTree, DeletesEverythingInOrder)
{
    TreeModel tree;
    for (const char* p : {"C:\\D\\A.TXT", "C:\\D\\SUB\\B.DAT", "C:\\D\\Z.TXT"})
        tree.MakeFile(p);
    EXPECT_TRUE(DeleteTree(tree, "C:\\D\\", AnyDir));
    EXPECT_EQ(Strings({"list C:\\D\\*.*", "del C:\\D\\A.TXT", "list C:\\D\\SUB\\*.*", "del C:\\D\\SUB\\B.DAT",
                       "rmdir C:\\D\\SUB\\", "del C:\\D\\Z.TXT", "rmdir C:\\D\\"}),
              tree.calls);
    EXPECT_EQ(TreeModel::None, tree.Find("C:\\D"));
}

TEST(DeleteTree, StopsAtTheFirstFailure)
{
    TreeModel tree;
    for (const char* p : {"C:\\D\\SUB\\A.TXT", "C:\\D\\SUB\\B.TXT", "C:\\D\\Z.TXT"})
        tree.MakeFile(p);
    tree.SetReadOnly(tree.Find("C:\\D\\SUB\\A.TXT"));
    EXPECT_FALSE(DeleteTree(tree, "C:\\D\\", AnyDir));
    // Nothing after the failed file, in its directory or the enclosing one.
    EXPECT_NE(TreeModel::None, tree.Find("C:\\D\\SUB\\B.TXT"));
    EXPECT_NE(TreeModel::None, tree.Find("C:\\D\\Z.TXT"));
    EXPECT_EQ("del C:\\D\\SUB\\A.TXT", tree.calls.back());
}

TEST(DeleteTree, DotNamesStayAndKeepTheirDirectory)
{
    TreeModel tree;
    tree.MakeFile("C:\\D\\.indice");
    tree.MakeFile("C:\\D\\A.TXT");
    EXPECT_FALSE(DeleteTree(tree, "C:\\D\\", AnyDir));
    EXPECT_NE(TreeModel::None, tree.Find("C:\\D\\.indice"));
    EXPECT_EQ(TreeModel::None, tree.Find("C:\\D\\A.TXT"));
}

// A link is never entered nor removed: under Wine removing it reaches what
// it leads to. Wine shows a link to a file as a plain file; only the name
// the system gives it once opened tells it apart.
TEST(DeleteTree, LinksStayAndStopTheDeletion)
{
    for (System system : {System::Wine, System::WindowsNT, System::Windows2000}) {
        for (const char* link : {"enlace", "atajo.txt", "vacio"}) {
            // Windows 2000 and XP link directories only, and name no open paths.
            if (system == System::Windows2000 && std::string(link) == "atajo.txt")
                continue;
            TreeModel tree(system);
            tree.MakeFile("C:\\OTRO\\AJENO.TXT");
            const Node empty = tree.MakeDirs("C:\\VACIO");
            tree.MakeFile("C:\\D\\Brumaria.EXE");
            const std::string name = link;
            tree.MakeLink("C:\\D\\" + name, name == "enlace"      ? tree.Find("C:\\OTRO")
                                             : name == "atajo.txt" ? tree.Find("C:\\OTRO\\AJENO.TXT")
                                                                   : empty);
            tree.MakeFile("C:\\D\\Z.TXT");
            EXPECT_FALSE(DeleteTree(tree, "C:\\D\\", AnyDir)) << link;
            EXPECT_TRUE(tree.Alive(tree.Find("C:\\D\\" + name, false))) << link;
            for (Node node : tree.Removed())
                EXPECT_TRUE(tree.Within(node, tree.Find("C:\\D"))) << link << ": " << tree.PathOf(node);
            EXPECT_NE(TreeModel::None, tree.Find("C:\\D\\Z.TXT")) << link;
            EXPECT_EQ(TreeModel::None, tree.Find("C:\\D\\Brumaria.EXE")) << link;
        }
    }
}

// A listed name that the system reads as another entry's ("DATO " as
// "DATO" on Windows 95) is not used.
TEST(DeleteTree, NamesReadAsAnotherEntryStop)
{
    TreeModel tree(System::Windows95);
    const Node dir = tree.MakeDirs("C:\\D");
    tree.AddFile(dir, "DATO ");
    tree.AddFile(dir, "DATO");
    tree.AddFile(dir, "X.");
    EXPECT_FALSE(DeleteTree(tree, "C:\\D\\", AnyDir));
    EXPECT_NE(TreeModel::None, tree.Find("C:\\D\\DATO"));
    EXPECT_TRUE(tree.Removed().empty());
}

// Paths live in 256-byte buffers: 255 characters fit, 256 fail their entry.
TEST(DeleteTree, PathsThatOutgrowTheirBuffer)
{
    const std::string dir = "C:\\" + std::string(240, 'd') + "\\";  // 244 characters
    const std::string fits = dir + std::string(255 - dir.size(), 'f');
    {
        TreeModel tree;
        tree.MakeFile(fits);
        EXPECT_TRUE(DeleteTree(tree, dir, AnyDir));
    }
    {
        TreeModel tree;
        tree.MakeFile(fits + "g");
        EXPECT_FALSE(DeleteTree(tree, dir, AnyDir));
        EXPECT_NE(TreeModel::None, tree.Find(fits + "g"));
        EXPECT_TRUE(tree.Removed().empty());
    }
    {
        // A subdirectory whose path with its "\" would need 257 bytes.
        TreeModel tree;
        const std::string sub = dir + std::string(255 - dir.size(), 's');
        tree.MakeDirs(sub);
        EXPECT_FALSE(DeleteTree(tree, dir, AnyDir));
        EXPECT_NE(TreeModel::None, tree.Find(sub));
    }
    {
        // The search pattern itself must fit.
        TreeModel tree;
        const std::string deep = "C:\\" + std::string(250, 'x') + "\\";
        tree.MakeDirs(deep);
        EXPECT_FALSE(DeleteTree(tree, deep, AnyDir));
        EXPECT_TRUE(tree.calls.empty());
    }
    TreeModel none;
    EXPECT_FALSE(DeleteTree(none, "C:\\NADA\\", AnyDir));
}

// The guard is asked for every directory before it is emptied; the check
// ahead of the deletion asks it for each directory the deletion could enter,
// past a failure too, and never for one behind a link.
TEST(DeleteTree, GuardedDirectories)
{
    TreeModel tree;
    tree.MakeFile("C:\\D\\A.TXT");
    tree.MakeFile("C:\\D\\SUB\\B.TXT");
    tree.MakeFile("C:\\D\\SUB\\OTRA\\C.TXT");
    tree.MakeFile("C:\\OTRO\\AJENO.TXT");
    tree.MakeLink("C:\\D\\enlace", tree.Find("C:\\OTRO"));
    Strings asked;
    const DirGuard record = [&](const std::string& dir) {
        asked.push_back(dir);
        return dir != "C:\\D\\SUB\\OTRA\\";
    };
    EXPECT_FALSE(GuardAllowsTree(tree, "C:\\D\\", record));
    EXPECT_EQ(Strings({"C:\\D\\", "C:\\D\\SUB\\", "C:\\D\\SUB\\OTRA\\"}), asked);
    EXPECT_TRUE(tree.Removed().empty());

    // The deletion would stop at the read-only file; the check goes on.
    asked.clear();
    tree.SetReadOnly(tree.Find("C:\\D\\A.TXT"));
    EXPECT_TRUE(GuardAllowsTree(tree, "C:\\D\\", [&](const std::string& dir) {
        asked.push_back(dir);
        return true;
    }));
    EXPECT_EQ(3u, asked.size());

    TreeModel other;
    other.MakeFile("C:\\D\\SUB\\OTRA\\C.TXT");
    other.MakeFile("C:\\D\\SUB\\Z.TXT");
    EXPECT_FALSE(DeleteTree(other, "C:\\D\\", record));
    EXPECT_NE(TreeModel::None, other.Find("C:\\D\\SUB\\OTRA\\C.TXT"));
    EXPECT_NE(TreeModel::None, other.Find("C:\\D\\SUB\\Z.TXT"));
}

// A machine with Windows in C:\WINDOWS and an installation in C:\DemoMB
// that owns its directory.
struct Machine {
    explicit Machine(System system = System::Wine) : tree(system), host(tree)
    {
        tree.MakeFile("C:\\WINDOWS\\SYSTEM\\KERNEL32.DLL");
        tree.MakeFile("C:\\WINDOWS\\WIN.INI");
        tree.MakeFile("C:\\DemoMB\\Brumaria.EXE");
        tree.MakeFile("C:\\DemoMB\\DATOS\\CONFIG.INI");
        host.marker.dir = "C:\\DemoMB\\";
        host.marker.ownedDir = "C:\\DEMOMB";
    }
    Machine(const Machine&) = delete;

    Strings Run()
    {
        RunUninstall(host);
        return host.calls;
    }

    TreeModel tree;
    ModelHost host;
};

TEST(Uninstall, RunsItsStepsInOrder)
{
    Machine machine;
    EXPECT_EQ(Strings({"ask", "group", "self", "keys", "success"}), machine.Run());
    EXPECT_EQ(TreeModel::None, machine.tree.Find("C:\\DemoMB"));
    EXPECT_EQ(4u, RemovedFiles(machine.tree).size());
    EXPECT_EQ(0, MarksLeft(machine.tree));
}

TEST(Uninstall, NoChangesAfterNo)
{
    Machine machine;
    machine.host.yes = false;
    EXPECT_FALSE(RunUninstall(machine.host));
    EXPECT_EQ(Strings({"ask"}), machine.host.calls);
    EXPECT_TRUE(machine.tree.calls.empty());
}

// Whatever stops the deletion, the group, the self-deletion and the keys are
// still handled and the failure is reported. Cases that delete remove only
// what lies in the installation directory; the others remove nothing.
TEST(Uninstall, OutcomeOfTheDirectory)
{
    struct Case {
        const char* what;
        void (*set)(Machine&);
        bool deletes;
        bool success;
    };
    const Case cases[] = {
        {"as installed", [](Machine&) {}, true, true},
        {"missing directory counts as deleted", [](Machine& m) { m.host.marker.dir = "C:\\Nada\\"; }, false, true},
        {"a drive not ready is no success", [](Machine& m) { m.tree.SetUnreadable(m.tree.Find("C:\\DemoMB")); },
         false, false},
        {"a file that stays",
         [](Machine& m) { m.tree.SetReadOnly(m.tree.Find("C:\\DemoMB\\DATOS\\CONFIG.INI")); }, true, false},
        {"a directory the installation found full", [](Machine& m) { m.host.marker.ownedDir = ""; }, false, false},
        {"an owned directory that is no full path", [](Machine& m) { m.host.marker.ownedDir = "DEMOMB"; }, false,
         false},
        {"a parent of the owned directory",
         [](Machine& m) {
             m.tree.MakeFile("C:\\Juegos\\DemoMB\\Brumaria.EXE");
             m.host.marker.dir = "C:\\Juegos\\DemoMB\\..\\";
             m.host.marker.ownedDir = "C:\\JUEGOS\\DEMOMB";
         },
         false, false},
        {"owned, typed through a parent", [](Machine& m) { m.host.marker.dir = "C:\\Juegos\\..\\DemoMB\\"; }, true,
         true},
        {"owned, recorded by its short form",
         [](Machine& m) {
             const Node dir = m.tree.AddDir(m.tree.AddDir(m.tree.Find("C:\\"), "Mis Juegos", "MISJUE~1"), "DemoMB");
             m.tree.AddFile(dir, "Brumaria.EXE");
             m.tree.AddDir(dir, "SONIDO");
             m.host.marker.dir = "C:\\Mis Juegos\\DemoMB\\";
             m.host.marker.ownedDir = "C:\\MISJUE~1\\DEMOMB";
         },
         true, true},
        {"the directory is a link",
         [](Machine& m) {
             m.tree.MakeFile("C:\\Otro\\OTRO.EXE");
             m.host.marker.dir = "C:\\Enlace\\";
             m.host.marker.ownedDir = "C:\\ENLACE";
             m.tree.MakeLink("C:\\Enlace", m.tree.Find("C:\\Otro"));
         },
         false, false},
        {"the Windows directory", [](Machine& m) { m.host.marker.dir = "C:\\Windows\\"; }, false, false},
        {"the System directory", [](Machine& m) { m.host.marker.dir = "c:\\windows\\system\\"; }, false, false},
        {"a drive's root", [](Machine& m) { m.host.marker.dir = "C:\\"; }, false, false},
        {"a root in disguise", [](Machine& m) { m.host.marker.dir = "C:\\DemoMB\\..\\"; }, false, false},
        {"a network path", [](Machine& m) { m.host.marker.dir = "\\\\servidor\\DemoMB\\"; }, false, false},
        {"drive-relative", [](Machine& m) { m.host.marker.dir = "C:DemoMB\\"; }, false, false},
        {"missing but refused",
         [](Machine& m) {
             m.host.marker.dir = "Q:\\";
             m.host.marker.ownedDir = "Q:\\";
         },
         false, false},
    };
    for (const Case& c : cases) {
        Machine machine;
        c.set(machine);
        const std::string dir = machine.host.marker.dir;
        const Node installed = machine.tree.Find(dir);
        EXPECT_EQ(Strings({"ask", "group", "self", "keys", c.success ? "success" : "failure"}), machine.Run())
            << c.what;
        for (Node node : RemovedFiles(machine.tree))
            EXPECT_TRUE(c.deletes && machine.tree.Within(node, installed)) << c.what << ": " << machine.tree.PathOf(node);
        if (c.deletes && c.success) {
            EXPECT_FALSE(machine.tree.Alive(installed)) << c.what;
        }
        EXPECT_EQ(0, MarksLeft(machine.tree)) << c.what;
    }
}

// Drive E: shows the Windows directory; both values name System through it.
void SystemThroughE(Machine& m)
{
    m.tree.MapDrive('E', m.tree.Find("C:\\WINDOWS"));
    m.host.marker.dir = "E:\\system\\";
    m.host.marker.ownedDir = "E:\\SYSTEM";
}

// The registry's two values name one directory in every way a directory can
// be named twice. Whatever the names, nothing outside the directory the
// installation owns goes, and never a root, the Windows or System directory
// or a directory holding one.
TEST(Uninstall, DirectoriesByOtherNames)
{
    enum Outcome { Removed, Nothing, StopsThere };
    struct Case {
        const char* what;
        System system;
        void (*set)(Machine&);
        Outcome outcome;
    };
    const Case cases[] = {
        {"System by a drive mapped onto Windows", System::Wine, SystemThroughE, Nothing},
        {"System by SUBST", System::Windows95, SystemThroughE, Nothing},
        {"a directory holding Windows, by a mapped drive", System::Windows95,
         [](Machine& m) {
             m.tree.MakeFile("C:\\Juegos\\A.TXT");
             m.tree.MakeFile("C:\\Juegos\\WINDOWS\\SYSTEM\\KERNEL32.DLL");
             m.host.windowsDir = "C:\\JUEGOS\\WINDOWS";
             m.host.systemDir = "C:\\JUEGOS\\WINDOWS\\SYSTEM";
             m.tree.MapDrive('E', m.tree.Find("C:\\"));
             m.host.marker.dir = "E:\\Juegos\\";
             m.host.marker.ownedDir = "E:\\JUEGOS";
         },
         Nothing},
        {"another directory by a trailing space", System::Wine,
         [](Machine& m) {
             m.tree.MakeFile("C:\\DemoMB \\OTRO.TXT");
             m.host.marker.dir = "C:\\DemoMB \\";
         },
         Nothing},
        {"the same directory by a trailing space", System::Windows95,
         [](Machine& m) { m.host.marker.dir = "C:\\DemoMB \\"; }, Removed},
        {"a drive's root by another name", System::Wine,
         [](Machine& m) { m.tree.MapDrive('F', m.tree.Find("C:\\DemoMB")); }, Nothing},
        // Named by the system as F:\, the directory is no entry of its own
        // directory's: like a link, it stops the deletion where it is found.
        {"a directory holding a drive's root", System::Wine,
         [](Machine& m) { m.tree.MapDrive('F', m.tree.Find("C:\\DemoMB\\DATOS")); }, StopsThere},
        {"no mark can be made in the System directory", System::Wine,
         [](Machine& m) { m.tree.SetReadOnly(m.tree.Find("C:\\WINDOWS\\SYSTEM")); }, Nothing},
        {"a link to an empty directory", System::Wine,
         [](Machine& m) { m.tree.MakeLink("C:\\DemoMB\\zlink", m.tree.MakeDirs("C:\\MisDatos")); }, StopsThere},
        {"a link to a file", System::Wine,
         [](Machine& m) { m.tree.MakeLink("C:\\DemoMB\\zfile", m.tree.MakeFile("C:\\MisDatos\\DATO.TXT")); },
         StopsThere},
    };
    for (const Case& c : cases) {
        Machine machine(c.system);
        c.set(machine);
        const Node owned = machine.tree.Find(machine.host.marker.ownedDir);
        std::vector<Node> kept = {machine.tree.Find(machine.host.windowsDir),
                                  machine.tree.Find(machine.host.systemDir)};
        for (Node node = 0; node < machine.tree.Count(); node++)
            if (machine.tree.IsDriveRoot(node))
                kept.push_back(node);
        EXPECT_EQ(c.outcome == Removed ? "success" : "failure", machine.Run().back()) << c.what;
        for (Node node : RemovedFiles(machine.tree)) {
            EXPECT_TRUE(machine.tree.Within(node, owned)) << c.what << ": " << machine.tree.PathOf(node);
            for (Node k : kept)
                EXPECT_FALSE(machine.tree.Within(k, node)) << c.what << ": " << machine.tree.PathOf(node);
        }
        if (c.outcome == Nothing) {
            EXPECT_TRUE(RemovedFiles(machine.tree).empty()) << c.what;
        }
        EXPECT_EQ(0, MarksLeft(machine.tree)) << c.what;
    }
}

// A value too long for its buffer still means an installation: the question
// is asked, nothing is deleted, and the rest is done.
TEST(Uninstall, DamagedMarker)
{
    Machine machine;
    machine.host.marker.dir = "";
    machine.host.marker.damaged = true;
    EXPECT_EQ(Strings({"ask", "group", "self", "keys", "failure"}), machine.Run());
    EXPECT_TRUE(machine.tree.calls.empty());
    Machine no;
    no.host.marker.dir = "";
    no.host.marker.damaged = true;
    no.host.yes = false;
    EXPECT_FALSE(RunUninstall(no.host));
    EXPECT_EQ(Strings({"ask"}), no.host.calls);
}

TEST(Uninstall, NothingRegistered)
{
    Machine machine;
    machine.host.marker = InstalledMarker();
    EXPECT_EQ(Strings({"group", "self", "keys", "failure"}), machine.Run());
    EXPECT_TRUE(machine.tree.calls.empty());
}
}  // namespace
