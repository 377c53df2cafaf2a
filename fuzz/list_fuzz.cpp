// Fuzz target for the install list: every input is an "INST_100.NFO", put
// into two source directories of the same names, and goes through the size
// pass over both and the copy pass from the first into an install directory
// eight levels deep in a private directory:
//   lit/             small files (1 to 30 bytes each), the list
//   big/             the same names, each 2 GB larger (4 GB larger for
//                    one), sparse, so that they take no room
//   w/1/.../8/DemoMB the install directory
//
// Checks:
//   - Every name of a D, F or X line that a pass acts upon stays below its
//     directory by a reading of Windows paths of this target's own, which
//     takes the worst of Windows 95's and Windows NT's readings: "\" and "/"
//     separate, "..." may climb two levels, trailing dots and spaces go, a
//     drive, a share or the root leads away, and a device name is a device.
//     This is checked before the copy pass runs, so that a name that climbs
//     past the eight levels is never carried out.
//   - After the copy pass nothing but the install directory's contents has
//     changed in the private directory, and no name in the install directory
//     is a device name.
//   - Totals never wrap: a list size is at most MaxBytes; the size over big/
//     is MaxBytes whenever the size over lit/ is above 0 (a file sized at
//     all is 2 GB there) and 0 when it is 0; both passes report the same
//     messages; the component and archive sizes and the selected total stay
//     within 0 .. MaxBytes.
// No crash and no hang: the run is the libFuzzer target's, with its timeout.
#include "Copy.h"
#include "InstallList.h"
#include "Sizes.h"
#include "Tables.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
const char Separator = '\\';
#else
const char Separator = '/';
#endif

const uintmax_t TwoGb = uintmax_t(1) << 31;
const uintmax_t FourGb = uintmax_t(1) << 32;
const char* const ListName = "INST_100.NFO";

struct Planted {
    const char* name;
    int size;
};

// The source tree. Names with "\" and the device names exist only off
// Windows (there they would name a directory or a device).
const Planted Tree[] = {
    {"Brumaria.EXE", 30},
    {"Readme.txt", 5},
    {"Texto.txt", 7},
    {"x", 1},
    {"DATOS/CONFIG.INI", 9},
    {"DATOS/NIVELES/NIVEL1.DAT", 11},
    {"MUSICA/INTRO.MID", 4},
    {"MUSICA/.indice", 2},
    {"MUSICA/TEMAS/BRUMA.MID", 5},
#ifndef _WIN32
    {"ARBOL/LPT1", 3},
    {"ARBOL/con.txt", 3},
    {"ARBOL/AUX/HOJA.DAT", 3},
    {"ARBOL/HOJA.DAT", 3},
#endif
};

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool IsDevice(const std::string& component)
{
    std::string base = Upper(component.substr(0, component.find('.')));
    while (!base.empty() && (base.back() == ' ' || base.back() == '.'))
        base.pop_back();
    while (!base.empty() && base.front() == ' ')
        base.erase(0, 1);
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CLOCK$", "CONFIG$", "CONIN$", "CONOUT$"})
        if (base == device)
            return true;
    return base.size() == 4 && (base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0) &&
           (std::isdigit(static_cast<unsigned char>(base[3])) || base[3] == '\xB9' || base[3] == '\xB2' ||
            base[3] == '\xB3');
}

// True unless the relative name surely names something below the directory
// it is joined to, on Windows 95 and on Windows NT alike.
bool MayLeave(const std::string& name)
{
    if (name.empty() || name[0] == '\\' || name[0] == '/' || name.find(':') != std::string::npos)
        return true;
    long depth = 0;
    std::string component;
    for (std::size_t i = 0; i <= name.size(); i++) {
        if (i < name.size() && name[i] != '\\' && name[i] != '/') {
            if (static_cast<unsigned char>(name[i]) < 0x20)
                return true;
            component += name[i];
            continue;
        }
        std::size_t dots = 0, others = 0;
        for (char c : component) {
            dots += c == '.';
            others += c != '.' && c != ' ';
        }
        if (others == 0) {
            // "" and "." stay; ".." climbs one; "..." and more, or dots with
            // spaces, may climb as far as Windows 95 takes them.
            depth -= dots < 2 ? 0 : static_cast<long>(std::max<std::size_t>(1, dots - 1));
            if (depth < 0)
                return true;
        } else if (IsDevice(component)) {
            return true;
        } else {
            depth++;
        }
        component.clear();
    }
    return depth <= 0;
}

class Sandbox {
public:
    Sandbox()
    {
        std::random_device seed;
        std::mt19937 pick(seed());
        for (int attempt = 0; attempt < 100 && base_.empty(); attempt++) {
            const fs::path candidate = fs::temp_directory_path() / ("list_fuzz-" + std::to_string(pick()));
            std::error_code ec;
            if (fs::create_directory(candidate, ec))
                base_ = candidate;
        }
        if (base_.empty())
            Fail("cannot create a private directory");
        install_ = base_ / "w" / "1" / "2" / "3" / "4" / "5" / "6" / "7" / "8" / "DemoMB";
        fs::create_directories(install_);
        for (const Planted& file : Tree) {
            Plant(base_ / "lit" / file.name, uintmax_t(file.size));
            const bool huge = std::string(file.name) == "x";
            Plant(base_ / "big" / file.name, uintmax_t(file.size) + (huge ? FourGb : TwoGb));
        }
        WriteList("");
        for (const fs::directory_entry& e : fs::recursive_directory_iterator(base_))
            before_[e.path().string()] = e.is_regular_file() ? e.file_size() : 0;
    }

    ~Sandbox()
    {
        std::error_code ec;
        fs::remove_all(base_, ec);
    }

    [[noreturn]] void Fail(const std::string& what) const
    {
        std::fprintf(stderr, "list_fuzz: %s\n", what.c_str());
        std::abort();
    }

    void WriteList(const std::string& list)
    {
        for (const char* dir : {"lit", "big"}) {
            std::ofstream out(base_ / dir / ListName, std::ios::binary | std::ios::trunc);
            out << list;
            if (!out)
                Fail("cannot write the list");
        }
        listSize_ = list.size();
    }

    std::string Dir(const char* name) const { return (base_ / name).string() + Separator; }
    std::string InstallDir() const { return install_.string() + Separator; }

    // Everything but the install directory's contents is as it was; the
    // install directory holds no device name. Then it is emptied.
    void CheckAndClean()
    {
        std::map<std::string, uintmax_t> now;
        const std::string inside = install_.string() + Separator;
        for (fs::recursive_directory_iterator it(base_), end; it != end; ++it) {
            const std::string path = it->path().string();
            if (path.compare(0, inside.size(), inside) == 0) {
                if (IsDevice(it->path().filename().string()))
                    Fail("a device name was written: " + path);
                continue;
            }
            now[path] = it->is_regular_file() ? it->file_size() : 0;
        }
        std::map<std::string, uintmax_t> expected = before_;
        for (const char* dir : {"lit", "big"})
            expected[(base_ / dir / ListName).string()] = listSize_;
        if (now != expected) {
            for (const auto& entry : now)
                if (expected.count(entry.first) == 0)
                    Fail("written outside the install directory: " + entry.first);
            Fail("a file outside the install directory changed");
        }
        for (const fs::directory_entry& e : fs::directory_iterator(install_)) {
            std::error_code ec;
            fs::remove_all(e.path(), ec);
            if (ec)
                Fail("cannot remove " + e.path().string());
        }
    }

private:
    static void Plant(const fs::path& path, uintmax_t size)
    {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << std::string(size < 64 ? size : 0, 'x');
        if (size >= 64)
            fs::resize_file(path, size);  // sparse
    }

    fs::path base_;
    fs::path install_;
    std::map<std::string, uintmax_t> before_;
    std::size_t listSize_ = 0;
};

Sandbox& TheSandbox()
{
    static Sandbox sandbox;
    return sandbox;
}

class Host : public CopyHost, public SizeHost {
public:
    void ShowMessage(const std::string& text, unsigned) override { messages.push_back(text); }
    void StepProgress() override {}
    void EndWaitCursor() override {}
    bool ComponentChecked(int) override { return true; }
    void RepaintProgress() override {}
    void SetProgressPosition(int) override {}
    uint32_t ScanArchive(const std::string&) override { return 0xFFFFFFF0u; }

    std::vector<std::string> messages;
};

// Each pass's names, checked before anything is carried out. The list is
// read as the passes read it, in text mode.
void CheckNames(Sandbox& sandbox)
{
    std::FILE* file = std::fopen((sandbox.Dir("lit") + ListName).c_str(), "r");
    if (!file)
        sandbox.Fail("cannot read the list back");
    std::string line;
    while (installlist::ReadLine(file, line)) {
        for (int pass = 0; pass < 2; pass++) {
            installlist::Names names;
            const installlist::Kind kind =
                pass == 0 ? installlist::ClassifyForSize(line, names) : installlist::ClassifyForCopy(line, names);
            if (kind != installlist::Kind::Directory && kind != installlist::Kind::File &&
                kind != installlist::Kind::Tree)
                continue;
            if (MayLeave(names.source) || MayLeave(names.target)) {
                std::fclose(file);
                sandbox.Fail(std::string(pass == 0 ? "the size" : "the copy") + " pass takes the line \"" + line +
                             "\", whose names may lead out");
            }
        }
    }
    std::fclose(file);
}

// The messages with the source directories taken out (a line may name one
// too), in order of their texts: a tree is listed in whatever order its
// directory gives.
std::vector<std::string> Relative(std::vector<std::string> messages, const Sandbox& sandbox)
{
    for (std::string& message : messages)
        for (const char* name : {"lit", "big"}) {
            const std::string dir = sandbox.Dir(name);
            for (std::string::size_type at; (at = message.find(dir)) != std::string::npos;)
                message.erase(at, dir.size());
        }
    std::sort(messages.begin(), messages.end());
    return messages;
}

void CheckSizes(Sandbox& sandbox)
{
    Host lit, big;
    const uint32_t small = SizePass(lit, sandbox.Dir("lit")).GetListSize(sandbox.Dir("lit") + ListName, true);
    const uint32_t large = SizePass(big, sandbox.Dir("big")).GetListSize(sandbox.Dir("big") + ListName, true);
    if (small > uint32_t(MaxBytes) || large > uint32_t(MaxBytes))
        sandbox.Fail("a list size past MaxBytes");
    if ((small == 0) != (large == 0) || (small > 0 && large != uint32_t(MaxBytes)))
        sandbox.Fail("the size over big/ is " + std::to_string(large) + " where over lit/ it is " +
                     std::to_string(small));
    if (Relative(lit.messages, sandbox) != Relative(big.messages, sandbox))
        sandbox.Fail("the two size passes reported differently");

    // The start-up's size pass, with an archive of nearly 4 GB; the size
    // file it writes is taken away again.
    SizePass(big, sandbox.Dir("big")).LoadSizeTable();
    std::remove((sandbox.Dir("big") + SizePass::SizeFileName).c_str());
    if (ComponentTable[0].size < 0 || sLZH[0].size != MaxBytes ||
        SelectedBytes([](int) { return true; }) != MaxBytes || SelectedBytes([](int) { return false; }) != MaxBytes)
        sandbox.Fail("a table size or total out of 0 .. MaxBytes");
}

void CheckCopy(Sandbox& sandbox)
{
    Host host;
    int32_t done = 0, current = 0;
    CopyRun(host, sandbox.Dir("lit"), sandbox.InstallDir(), done, current).InstallComponents();
    if (done < 0 || current != 0)
        sandbox.Fail("the copy run's counters went wrong");
    sandbox.CheckAndClean();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Sandbox& sandbox = TheSandbox();
    const std::string list(reinterpret_cast<const char*>(data), size);
    sandbox.WriteList(list);
    CheckNames(sandbox);
    CheckSizes(sandbox);
    CheckCopy(sandbox);
    return 0;
}
