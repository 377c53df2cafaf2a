#include "TreeModel.h"

#include "PathNames.h"

#include <algorithm>
#include <cctype>

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

char Upper(char c)
{
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

// A search's mask as Windows matches it, letters in any case: "*" any run,
// "?" one character, and a mask ending in ".*" also matches without it, so
// that "*.*" matches every name.
bool Matches(const char* mask, const char* name)
{
    if (!*mask)
        return !*name;
    if (*mask == '*')
        return Matches(mask + 1, name) || (*name && Matches(mask, name + 1));
    if (!*name)
        return std::string(mask) == ".*";
    return (*mask == '?' || Upper(*mask) == Upper(*name)) && Matches(mask + 1, name + 1);
}

void DropTrailing(std::string& part, const char* chars)
{
    const std::string::size_type last = part.find_last_not_of(chars);
    part.erase(last == std::string::npos ? 0 : last + 1);
}

}  // namespace

TreeModel::TreeModel(System system) : system_(system)
{
    std::fill(std::begin(drives_), std::end(drives_), None);
}

// A directory holds one entry of a name, whatever its case (but on Wine,
// whose host tells case apart), and no short name that is another's name.
bool TreeModel::Taken(Node parent, const Entry& entry) const
{
    for (Node child : nodes_[parent].children) {
        const Entry& other = nodes_[child];
        if (system_ == System::Wine ? other.name == entry.name : paths::SameName(other.name, entry.name))
            return true;
        for (const std::string& name : {other.name, other.shortName})
            if (!entry.shortName.empty() && paths::SameName(name, entry.shortName))
                return true;
        if (!other.shortName.empty() && paths::SameName(other.shortName, entry.name))
            return true;
    }
    return false;
}

TreeModel::Node TreeModel::Add(Node parent, Entry entry)
{
    if (parent != None && Taken(parent, entry))
        return None;
    entry.parent = parent;
    nodes_.push_back(entry);
    const Node node = static_cast<Node>(nodes_.size() - 1);
    if (parent != None)
        nodes_[parent].children.push_back(node);
    return node;
}

TreeModel::Node TreeModel::Root(char letter)
{
    Entry root;
    root.dir = true;
    const Node node = Add(None, root);
    MapDrive(letter, node);
    return node;
}

TreeModel::Node TreeModel::AddDir(Node parent, const std::string& name, const std::string& shortName)
{
    Entry dir;
    dir.name = name;
    dir.shortName = shortName;
    dir.dir = true;
    return Add(parent, dir);
}

TreeModel::Node TreeModel::AddFile(Node parent, const std::string& name, const std::string& shortName)
{
    Entry file;
    file.name = name;
    file.shortName = shortName;
    return Add(parent, file);
}

TreeModel::Node TreeModel::AddLink(Node parent, const std::string& name, Node target)
{
    Entry link;
    link.name = name;
    link.target = target;
    return Add(parent, link);
}

void TreeModel::MapDrive(char letter, Node dir)
{
    drives_[Upper(letter) - 'A'] = dir;
}

void TreeModel::SetReadOnly(Node node)
{
    nodes_[node].readOnly = true;
}

void TreeModel::SetUnreadable(Node dir)
{
    nodes_[dir].unreadable = true;
}

// kind: 0 a directory, 1 a file, 2 a link to target.
TreeModel::Node TreeModel::MakePath(const std::string& path, int kind, Node target)
{
    char letter;
    std::vector<std::string> parts;
    if (!Components(path, letter, parts))
        return None;
    Node node = drives_[letter - 'A'] == None ? Root(letter) : drives_[letter - 'A'];
    for (std::size_t i = 0; i < parts.size(); i++) {
        const bool last = i + 1 == parts.size();
        const Node found = Lookup(node, parts[i]);
        if (found != None && (!last || kind == 0))
            node = Follow(found);
        else if (!last || kind == 0)
            node = AddDir(node, parts[i]);
        else
            node = kind == 1 ? AddFile(node, parts[i]) : AddLink(node, parts[i], target);
    }
    return node;
}

TreeModel::Node TreeModel::MakeDirs(const std::string& path)
{
    return MakePath(path, 0, None);
}

TreeModel::Node TreeModel::MakeFile(const std::string& path)
{
    return MakePath(path, 1, None);
}

TreeModel::Node TreeModel::MakeLink(const std::string& path, Node target)
{
    return MakePath(path, 2, target);
}

bool TreeModel::Alive(Node node) const
{
    return node != None && nodes_[node].alive;
}

bool TreeModel::IsDir(Node node) const
{
    return node != None && nodes_[node].dir;
}

bool TreeModel::IsLinkNode(Node node) const
{
    return node != None && nodes_[node].target != None;
}

bool TreeModel::IsMark(Node node) const
{
    return node != None && nodes_[node].mark;
}

TreeModel::Node TreeModel::Parent(Node node) const
{
    return nodes_[node].parent;
}

const std::vector<TreeModel::Node>& TreeModel::Children(Node dir) const
{
    return nodes_[dir].children;
}

const std::string& TreeModel::Name(Node node) const
{
    return nodes_[node].name;
}

const std::string& TreeModel::ShortName(Node node) const
{
    return nodes_[node].shortName;
}

TreeModel::Node TreeModel::Drive(char letter) const
{
    return drives_[Upper(letter) - 'A'];
}

bool TreeModel::Within(Node node, Node dir) const
{
    for (; node != None; node = nodes_[node].parent)
        if (node == dir)
            return true;
    return false;
}

bool TreeModel::IsDriveRoot(Node node) const
{
    return std::find(std::begin(drives_), std::end(drives_), node) != std::end(drives_);
}

// Links lead on to their targets, a few at most (a loop leads nowhere).
TreeModel::Node TreeModel::Follow(Node node) const
{
    for (int hops = 0; Alive(node) && IsLinkNode(node); hops++)
        node = hops < 8 ? nodes_[node].target : None;
    return Alive(node) ? node : None;
}

// The exact name first, then one in another case, then a short name.
TreeModel::Node TreeModel::Lookup(Node dir, const std::string& name) const
{
    const std::vector<Node>& children = nodes_[dir].children;
    for (Node child : children)
        if (nodes_[child].name == name)
            return child;
    for (Node child : children)
        if (paths::SameName(nodes_[child].name, name))
            return child;
    for (Node child : children)
        if (!nodes_[child].shortName.empty() && paths::SameName(nodes_[child].shortName, name))
            return child;
    return None;
}

// "." and ".." go by the text, as GetFullPathNameA takes them; then the
// system's rule for trailing dots and spaces.
bool TreeModel::Components(const std::string& path, char& letter, std::vector<std::string>& parts) const
{
    if (path.size() < 3 || !std::isalpha(static_cast<unsigned char>(path[0])) || path[1] != ':' ||
        !IsSeparator(path[2]))
        return false;
    letter = Upper(path[0]);
    parts.clear();
    std::string part;
    for (std::size_t i = 3; i <= path.size(); i++) {
        if (i < path.size() && !IsSeparator(path[i])) {
            part += path[i];
            continue;
        }
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        part.clear();
    }
    const bool lastStands = !IsSeparator(path.back());
    for (std::size_t i = 0; i < parts.size(); i++) {
        std::string& p = parts[i];
        if (system_ == System::Windows95 || (lastStands && i + 1 == parts.size()))
            DropTrailing(p, ". ");
        else if (p.back() == '.')
            p.pop_back();
        if (p.empty() || p.find_first_of(":*?\"<>|") != std::string::npos)
            return false;
    }
    return true;
}

TreeModel::Node TreeModel::Resolve(const std::string& path, bool follow, std::vector<Node>* steps) const
{
    char letter;
    std::vector<std::string> parts;
    if (!Components(path, letter, parts))
        return None;
    Node node = Alive(drives_[letter - 'A']) ? drives_[letter - 'A'] : None;
    for (std::size_t i = 0; i < parts.size() && node != None; i++) {
        if (!IsDir(node))
            return None;
        Node child = Lookup(node, parts[i]);
        if (steps && child != None)
            steps->push_back(child);
        if (child != None && (follow || i + 1 < parts.size()))
            child = Follow(child);
        node = child;
    }
    // A "\" at the end names a directory.
    if (node != None && IsSeparator(path.back()) && !IsDir(Follow(node)))
        return None;
    return node;
}

TreeModel::Node TreeModel::Find(const std::string& path, bool follow) const
{
    return Resolve(path, follow);
}

std::string TreeModel::PathOf(Node node) const
{
    std::string path;
    for (; nodes_[node].parent != None; node = nodes_[node].parent)
        path = "\\" + nodes_[node].name + path;
    const Node* drive = std::find(std::begin(drives_), std::end(drives_), node);
    const char letter = drive == std::end(drives_) ? '?' : static_cast<char>('A' + (drive - drives_));
    return std::string(1, letter) + ":" + (path.empty() ? "\\" : path);
}

std::string TreeModel::ShortPath(const std::string& path) const
{
    std::vector<Node> steps;
    if (Resolve(path, true, &steps) == None)
        return std::string();
    std::string shortPath(1, Upper(path[0]));
    shortPath += ":";
    for (Node step : steps)
        shortPath += "\\" + (nodes_[step].shortName.empty() ? nodes_[step].name : nodes_[step].shortName);
    if (steps.empty() || IsSeparator(path.back()))
        shortPath += "\\";
    return shortPath;
}

void TreeModel::Detach(Node node)
{
    Entry& entry = nodes_[node];
    entry.alive = false;
    std::vector<Node>& siblings = nodes_[entry.parent].children;
    siblings.erase(std::find(siblings.begin(), siblings.end(), node));
    removed_.push_back(node);
}

TreeOps::Listing TreeModel::ForEachEntry(const std::string& pattern,
                                         const std::function<bool(const TreeEntry&)>& visit)
{
    calls.push_back("list " + pattern);
    const std::string::size_type slash = pattern.find_last_of("\\/");
    const Node dir = slash == std::string::npos ? None : Resolve(pattern.substr(0, slash + 1), true);
    if (!IsDir(dir))
        return Missing;
    if (nodes_[dir].unreadable)
        return Unreadable;
    const std::string mask = pattern.substr(slash + 1);
    std::vector<TreeEntry> entries;
    std::vector<Node> found;
    // A drive's own root has no "." and "..".
    if (nodes_[dir].parent != None) {
        entries.resize(2);
        entries[0].name = ".";
        entries[1].name = "..";
        entries[0].isDir = entries[1].isDir = true;
        found = {None, None};
    }
    for (Node child : nodes_[dir].children) {
        if (!Matches(mask.c_str(), nodes_[child].name.c_str()))
            continue;
        TreeEntry entry;
        entry.name = nodes_[child].name;
        entry.isDir = IsDir(Follow(child));
        entry.isLink = IsLinkNode(child) && (entry.isDir || system_ != System::Wine);
        entries.push_back(entry);
        found.push_back(child);
    }
    if (entries.empty())
        return Missing;
    // An entry removed while the search runs is not found any more.
    for (std::size_t i = 0; i < entries.size(); i++)
        if ((found[i] == None || Alive(found[i])) && !visit(entries[i]))
            break;
    return Listed;
}

// Wine's DeleteFileA and RemoveDirectoryA open the name, which follows a link.
bool TreeModel::RemoveFile(const std::string& path)
{
    calls.push_back("del " + path);
    const Node node = Resolve(path, true);
    if (node == None || IsDir(node) || nodes_[node].readOnly)
        return false;
    Detach(node);
    return true;
}

bool TreeModel::RemoveDir(const std::string& path)
{
    calls.push_back("rmdir " + path);
    const Node node = Resolve(path, true);
    if (!IsDir(node) || nodes_[node].parent == None || !nodes_[node].children.empty())
        return false;
    Detach(node);
    return true;
}

bool TreeModel::IsLink(const std::string& dir)
{
    std::string path = dir;
    while (path.size() > 3 && IsSeparator(path.back()))
        path.pop_back();
    const Node node = Resolve(path, false);
    return IsLinkNode(node) && (IsDir(Follow(node)) || system_ != System::Wine);
}

bool TreeModel::MakeMark(const std::string& dir, std::string& name)
{
    calls.push_back("mark " + dir);
    const Node node = Resolve(dir, true);
    if (!IsDir(node) || nodes_[node].readOnly)
        return false;
    do
        name = "DXL" + std::to_string(++marks_) + ".TMP";
    while (Lookup(node, name) != None);
    nodes_[AddFile(node, name)].mark = true;
    return true;
}

bool TreeModel::Exists(const std::string& path)
{
    return Resolve(path, true) != None;
}

bool TreeModel::HasFinalNames()
{
    return system_ == System::Wine || system_ == System::WindowsNT;
}

// As Wine: the drive whose root is nearest above the node, by the tree.
std::string TreeModel::FinalName(const std::string& path)
{
    Node node = HasFinalNames() ? Resolve(path, true) : None;
    std::string below;
    for (; node != None; node = nodes_[node].parent) {
        const Node* drive = std::find(std::begin(drives_), std::end(drives_), node);
        if (drive != std::end(drives_))
            return "\\\\?\\" + std::string(1, static_cast<char>('A' + (drive - drives_))) + ":\\" + below;
        below = nodes_[node].name + (below.empty() ? "" : "\\" + below);
    }
    return std::string();
}

bool ModelHost::Confirm()
{
    calls.push_back("ask");
    return yes;
}

std::vector<std::string> ModelHost::Forms(const std::string& dir)
{
    std::vector<std::string> forms = {dir};
    const std::string shortPath = tree_.ShortPath(dir);
    if (!shortPath.empty())
        forms.push_back(shortPath);
    return forms;
}
