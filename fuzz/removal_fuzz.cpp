// Fuzz target for the uninstaller's removal decision: every input builds a
// small file system with aliases (tests/uninstaller/TreeModel.h) and the two
// registry values, "Instalado" and the directory the installation owns, and
// runs the uninstaller's deletion against it. Whatever the names, it must
// hold that:
//   - nothing is removed outside the directory the owned value leads to;
//   - no drive's root, no Windows or System directory, and no directory
//     holding one of them is removed (a root: every drive's own root and,
//     where the system names open paths, every directory a drive letter
//     shows);
//   - no mark of the uninstaller is left behind.
//
// The input, one byte at a time (bytes past the end read as 0):
//   system (Windows 95, Wine, Windows NT, Windows 2000), where Windows lies (C:\WINDOWS,
//   inside the installation, or in C:\Juegos), up to 15 changes to the tree
//   (a directory, a file, a link, a drive mapped onto a directory, a file
//   that cannot be removed, a directory that cannot be read), then the two
//   values, each drawn as a canonical path, a decorated one (case, a
//   trailing dot or space, no "\" at the end), a walk of names (long or
//   short, ".", "..", empty components) from some drive, or nothing.
#include "PathNames.h"
#include "TreeModel.h"
#include "Uninstall.h"

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Node = TreeModel::Node;

class Bytes {
public:
    Bytes(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    unsigned Next()
    {
        if (size_ == 0)
            return 0;
        size_--;
        return *data_++;
    }
    // One of count choices.
    unsigned Pick(std::size_t count) { return count == 0 ? 0 : Next() % count; }

private:
    const uint8_t* data_;
    std::size_t size_;
};

const char* const Names[] = {"DemoMB", "DEMOMB", "DemoMB ", "DemoMB.", "Datos", "datos",  "WINDOWS", "System",
                             "x",      "x.",     "x ",      "Otro",    "DXL1.TMP", "Mis Juegos", "a.txt", "zlink"};
const char* const ShortNames[] = {"", "", "DEMOMB~1", "WINDOW~1", "MISJUE~1", "X", "DATOS"};
const char Letters[] = "CDEFGH";

template <typename T, std::size_t N>
const T& PickOf(Bytes& in, const T (&table)[N])
{
    return table[in.Pick(N)];
}

struct World {
    explicit World(TreeModel::System system) : tree(system) {}
    TreeModel tree;
    std::vector<Node> dirs;
    std::vector<Node> all;
    Node windows = TreeModel::None;
    Node system = TreeModel::None;

    void Keep(Node node)
    {
        if (node == TreeModel::None)
            return;
        all.push_back(node);
        if (tree.IsDir(node))
            dirs.push_back(node);
    }
};

void Build(Bytes& in, World& w)
{
    TreeModel& t = w.tree;
    w.Keep(t.Root('C'));
    w.Keep(t.Root('D'));
    w.Keep(t.MakeFile("C:\\DemoMB\\Brumaria.EXE"));
    w.Keep(t.MakeFile("C:\\DemoMB\\DATOS\\CONFIG.INI"));
    w.Keep(t.MakeFile("D:\\JUEGOS\\A.TXT"));
    static const char* const WindowsAt[] = {"C:\\WINDOWS", "C:\\DemoMB\\WINDOWS", "C:\\Juegos\\WINDOWS"};
    const std::string windows = PickOf(in, WindowsAt);
    w.Keep(t.MakeFile(windows + "\\SYSTEM\\KERNEL32.DLL"));
    w.Keep(t.MakeFile(windows + "\\WIN.INI"));
    w.windows = t.Find(windows);
    w.system = t.Find(windows + "\\SYSTEM");
    for (Node node : {t.Find("C:\\DemoMB"), t.Find("C:\\DemoMB\\DATOS"), t.Find("D:\\JUEGOS"), w.windows, w.system})
        w.Keep(node);

    const bool links = t.Kind() != TreeModel::System::Windows95;
    for (unsigned changes = in.Pick(16); changes > 0; changes--) {
        const Node dir = w.dirs[in.Pick(w.dirs.size())];
        const unsigned kind = in.Pick(6);
        if (kind <= 2) {
            // A directory, a file, or a link to any node made so far.
            const Node target = kind == 2 ? w.all[in.Pick(w.all.size())] : TreeModel::None;
            const std::string name = PickOf(in, Names);
            const std::string shortName = PickOf(in, ShortNames);
            if (kind == 0)
                w.Keep(t.AddDir(dir, name, shortName));
            else if (kind == 1)
                w.Keep(t.AddFile(dir, name, shortName));
            else if (links && (t.IsDir(target) || t.Kind() != TreeModel::System::Windows2000))
                w.Keep(t.AddLink(dir, name, target));
            continue;
        }
        switch (kind) {
        case 3:
            t.MapDrive(Letters[2 + in.Pick(4)], dir);
            break;
        case 4:
            t.SetReadOnly(w.all[in.Pick(w.all.size())]);
            break;
        default:
            t.SetUnreadable(dir);
            break;
        }
    }
}

std::string Decorated(Bytes& in, std::string name)
{
    const unsigned how = in.Next();
    for (char& c : name)
        c = static_cast<char>((how & 1) ? std::toupper(static_cast<unsigned char>(c))
                                        : (how & 2) ? std::tolower(static_cast<unsigned char>(c)) : c);
    if (how & 4)
        name += ' ';
    if (how & 8)
        name += '.';
    return name;
}

// A walk of names down from a drive: children by their long or short
// names, "." and "..", empty components.
std::string Walk(Bytes& in, const TreeModel& t)
{
    const char letter = Letters[in.Pick(sizeof Letters - 1)];
    std::string path = std::string(1, letter) + ":";
    Node at = t.Drive(letter);
    for (unsigned steps = in.Pick(5); steps > 0; steps--) {
        const unsigned kind = in.Pick(8);
        if (kind < 3) {
            path += kind == 0 ? "\\." : kind == 1 ? "\\.." : "\\";
            continue;
        }
        if (at == TreeModel::None || !t.IsDir(at) || t.Children(at).empty()) {
            path += "\\" + Decorated(in, PickOf(in, Names));
            continue;
        }
        at = t.Children(at)[in.Pick(t.Children(at).size())];
        const bool useShort = (in.Next() & 1) && !t.ShortName(at).empty();
        path += "\\" + Decorated(in, useShort ? t.ShortName(at) : t.Name(at));
        if (t.IsLinkNode(at))
            at = TreeModel::None;
    }
    static const char* const Endings[] = {"\\", "\\", "", "\\\\", "\\.\\"};
    return path + PickOf(in, Endings);
}

std::string Value(Bytes& in, const World& w)
{
    const Node dir = w.dirs[in.Pick(w.dirs.size())];
    switch (in.Pick(5)) {
    case 0:
        return paths::WithBackslash(w.tree.PathOf(dir));
    case 1:
        return Decorated(in, w.tree.PathOf(dir));
    case 2:
    case 3:
        return Walk(in, w.tree);
    default:
        return std::string();
    }
}

[[noreturn]] void Fail(const World& w, const InstalledMarker& marker, const std::string& what)
{
    std::fprintf(stderr, "removal_fuzz: %s\n  Instalado [%s], owned [%s], system %d\n", what.c_str(),
                 marker.dir.c_str(), marker.ownedDir.c_str(), static_cast<int>(w.tree.Kind()));
    std::abort();
}

bool NamesOpenPaths(TreeModel::System system)
{
    return system == TreeModel::System::Wine || system == TreeModel::System::WindowsNT;
}

// What may never go: roots, the Windows and System directories.
std::vector<Node> Kept(const World& w)
{
    std::vector<Node> kept = {w.windows, w.system};
    for (Node node = 0; node < w.tree.Count(); node++)
        if (w.tree.Parent(node) == TreeModel::None ||
            (NamesOpenPaths(w.tree.Kind()) && w.tree.IsDriveRoot(node)))
            kept.push_back(node);
    return kept;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Bytes in(data, size);
    static const TreeModel::System Systems[] = {TreeModel::System::Windows95, TreeModel::System::Wine,
                                                TreeModel::System::WindowsNT, TreeModel::System::Windows2000};
    World w(PickOf(in, Systems));
    Build(in, w);
    ModelHost host(w.tree);
    host.windowsDir = w.tree.PathOf(w.windows);
    host.systemDir = w.tree.PathOf(w.system);
    host.marker.dir = Value(in, w);
    // The installer records the directory it owns in the form FullPath gives.
    std::string full;
    const bool asInstalled = in.Next() & 1;
    host.marker.ownedDir = asInstalled && paths::FullPath(host.marker.dir, full) ? full : Value(in, w);
    if (!host.marker.ownedDir.empty() && host.marker.ownedDir.back() == '\\')
        host.marker.ownedDir.pop_back();

    const Node owned =
        host.marker.ownedDir.empty() ? TreeModel::None : w.tree.Find(paths::WithBackslash(host.marker.ownedDir));
    const std::vector<Node> kept = Kept(w);
    RemoveInstalledDir(host, host.marker);

    for (Node node : w.tree.Removed()) {
        if (w.tree.IsMark(node))
            continue;
        if (owned == TreeModel::None || !w.tree.Within(node, owned))
            Fail(w, host.marker, "removed outside the owned directory: " + w.tree.PathOf(node));
        for (Node k : kept)
            if (w.tree.Within(k, node))
                Fail(w, host.marker, "removed " + w.tree.PathOf(node) + ", which is or holds " + w.tree.PathOf(k));
    }
    for (Node node = 0; node < w.tree.Count(); node++)
        if (w.tree.IsMark(node) && w.tree.Alive(node))
            Fail(w, host.marker, "a mark stays: " + w.tree.PathOf(node));
    return 0;
}
