// lzhtool: lists, tests and extracts LZH archives with the installer's own
// reader, so that CD authors can check their archives before mastering.
//
//   lzhtool l ARCHIVE          list the entries
//   lzhtool t ARCHIVE          unpack every entry in memory and check its CRC
//   lzhtool x ARCHIVE [DIR]    extract below DIR (default: the current directory)
//   lzhtool c ARCHIVE [FILES or DIRS...]
//                              create a level-0 archive: directories are walked
//                              in name order, names keep the path as given with
//                              "\" between directories, stamps come from the files
//
// One line per entry; the exit status is 0 only when every entry was good.
#include "FileSystem.h"
#include "LzhArchive.h"
#include "LzhPacker.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <vector>

#ifdef _WIN32
#include <direct.h>
#define chdir _chdir
#else
#include <unistd.h>
#endif

namespace {

class ToolArchive : public LzhArchive {
public:
    ToolArchive() { SetDiagnosticSink(&ToolArchive::Remember, this); }

    void OnEntryListed(const EntryInfo& e, int result) override
    {
        unsigned year = (e.dosDate >> 9) + 1980, month = (e.dosDate >> 5) & 15, day = e.dosDate & 31;
        unsigned hour = e.dosTime >> 11, minute = (e.dosTime >> 5) & 63, second = (e.dosTime & 31) * 2;
        std::printf("%10lu %10lu %s L%d %04x %04u-%02u-%02u %02u:%02u:%02u %s", (unsigned long)e.compressedSize,
                    (unsigned long)e.uncompressedSize, e.method, e.level, e.crc, year, month, day, hour,
                    minute, second, e.name);
        if (result >= 0)
            std::printf("  %s", result ? "ok" : Failure().c_str());
        std::printf("\n");
        ++entries;
        total += e.uncompressedSize;
        lastError.clear();
    }

    // An entry that began has succeeded once the next one begins.
    void OnEntryBegin(const char* name, uint32_t, uint32_t size) override
    {
        FlushPending(true);
        pending = name;
        pendingSize = size;
    }

    void FlushPending(bool ok)
    {
        if (pending.empty())
            return;
        std::printf("%10lu %s  %s\n", (unsigned long)pendingSize, pending.c_str(), ok ? "ok" : Failure().c_str());
        ++entries;
        total += pendingSize;
        pending.clear();
    }

    std::string Failure() const
    {
        std::string text = "FAILED";
        if (!lastError.empty())
            text += ": " + lastError;
        return text;
    }

    static void Remember(void* context, const char* text)
    {
        // The decoder repeats its table message; one line is enough here.
        std::string line(text, std::strcspn(text, "\n"));
        static_cast<ToolArchive*>(context)->lastError = line;
    }

    std::string pending;
    uint32_t pendingSize = 0;
    std::string lastError;
    unsigned entries = 0;
    unsigned long long total = 0;
};

int Usage()
{
    std::fprintf(stderr,
                 "usage: lzhtool l ARCHIVE        list entries\n"
                 "       lzhtool t ARCHIVE        test every entry\n"
                 "       lzhtool x ARCHIVE [DIR]  extract into DIR\n"
                 "       lzhtool c ARCHIVE [FILES or DIRS...]  create a level-0 archive\n");
    return 2;
}

// A file to pack: where it is on this machine, and its entry name.
struct Source {
    std::string path;
    std::string name;
};

// The entry name of a path as given: "\" between parts, "." parts and
// repeated separators dropped.
std::string EntryNameOf(const std::string& path)
{
    std::string name, part;
    auto flush = [&] {
        if (!part.empty() && part != ".") {
            if (!name.empty())
                name += '\\';
            name += part;
        }
        part.clear();
    };
    bool rooted = !path.empty() && (path[0] == '/' || path[0] == '\\');
    for (char c : path) {
        if (c == '/' || c == '\\')
            flush();
        else
            part += c;
    }
    flush();
    // An absolute path keeps an empty first part, which the name check refuses.
    return rooted ? "\\" + name : name;
}

bool IsDirectory(const std::string& path, bool& exists)
{
    struct stat st;
    exists = ::stat(path.c_str(), &st) == 0;
    return exists && S_ISDIR(st.st_mode);
}

// Adds the files below `path` in byte order of their names; false on a failure already reported.
bool Walk(const std::string& path, std::vector<Source>& out)
{
    bool exists;
    if (!IsDirectory(path, exists)) {
        if (!exists) {
            std::fprintf(stderr, "lzhtool: %s: no such file or directory\n", path.c_str());
            return false;
        }
        out.push_back({path, EntryNameOf(path)});
        return true;
    }
    DIR* dir = ::opendir(path.c_str());
    if (!dir) {
        std::fprintf(stderr, "lzhtool: %s: cannot read the directory\n", path.c_str());
        return false;
    }
    std::vector<std::string> names;
    while (dirent* e = ::readdir(dir))
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
            names.push_back(e->d_name);
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    std::string prefix = path;
    if (!prefix.empty() && prefix.back() != '/' && prefix.back() != '\\')
        prefix += '/';
    for (const std::string& n : names)
        if (!Walk(prefix + n, out))
            return false;
    return true;
}

std::string Upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

int Create(const char* archivePath, int count, char** paths)
{
    std::vector<Source> sources;
    for (int i = 0; i < count; i++)
        if (!Walk(paths[i], sources))
            return 1;
    // Every name is checked before anything is written: Windows compares
    // names without case, so two that differ only in case would collide.
    std::vector<std::string> seen;
    bool refused = false;
    for (const Source& s : sources) {
        std::string problem = lzhenc::EntryNameProblem(s.name);
        if (!problem.empty()) {
            std::fprintf(stderr, "lzhtool: %s: refused as entry \"%s\": %s\n", s.path.c_str(), s.name.c_str(),
                         problem.c_str());
            refused = true;
        }
        seen.push_back(Upper(s.name));
    }
    std::vector<std::string> sorted = seen;
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t i = 1; i < sorted.size(); i++)
        if (sorted[i] == sorted[i - 1]) {
            std::fprintf(stderr, "lzhtool: entry \"%s\" given twice (names are compared without case)\n",
                         sorted[i].c_str());
            refused = true;
        }
    if (refused)
        return 1;

    std::FILE* out = std::fopen(archivePath, "wb");
    if (!out) {
        std::fprintf(stderr, "lzhtool: cannot create %s\n", archivePath);
        return 1;
    }
    unsigned long long total = 0, packedTotal = 0;
    for (const Source& s : sources) {
        std::FILE* in = std::fopen(s.path.c_str(), "rb");
        lzhenc::Bytes data;
        uint16_t dosTime = 0, dosDate = 0;
        bool ok = in != nullptr;
        if (ok) {
            uint8_t buffer[65536];
            std::size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
                data.insert(data.end(), buffer, buffer + n);
            ok = !std::ferror(in);
            if (ok && !lzhfs::GetDosStamp(in, dosTime, dosDate)) {
                // Before 1980 or after 2107: the nearest stamp a header holds.
                dosTime = 0;
                dosDate = 1 << 5 | 1;
            }
            std::fclose(in);
        }
        if (!ok) {
            std::fprintf(stderr, "lzhtool: cannot read %s\n", s.path.c_str());
            std::fclose(out);
            std::remove(archivePath);
            return 1;
        }
        lzhenc::EntryBytes entry;
        try {
            entry = lzhenc::PackEntry(s.name, data, dosTime, dosDate);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "lzhtool: %s\n", e.what());
            std::fclose(out);
            std::remove(archivePath);
            return 1;
        }
        if (std::fwrite(entry.bytes.data(), 1, entry.bytes.size(), out) != entry.bytes.size()) {
            std::fprintf(stderr, "lzhtool: cannot write %s\n", archivePath);
            std::fclose(out);
            std::remove(archivePath);
            return 1;
        }
        std::printf("%10lu %10lu %s %s\n", (unsigned long)(entry.bytes.size() - 24 - s.name.size()),
                    (unsigned long)data.size(), entry.stored ? "-lh0-" : "-lh5-", s.name.c_str());
        total += data.size();
        packedTotal += entry.bytes.size();
    }
    bool ok = std::fputc(0, out) != EOF;  // the end marker
    ok = std::fclose(out) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "lzhtool: cannot write %s\n", archivePath);
        std::remove(archivePath);
        return 1;
    }
    std::printf("%u entries, %llu bytes in %llu: ok\n", (unsigned)sources.size(), total, packedTotal + 1);
    return 0;
}

std::string Absolute(const char* path)
{
    if (path[0] == '/' || path[0] == '\\' || (path[0] && path[1] == ':'))
        return path;
    char here[4096];
#ifdef _WIN32
    if (!_getcwd(here, sizeof here))
#else
    if (!getcwd(here, sizeof here))
#endif
        return path;
    return std::string(here) + "/" + path;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "c") == 0)
        return Create(argv[2], argc - 3, argv + 3);
    if (argc < 3 || std::strlen(argv[1]) != 1 || (argv[1][0] != 'x' && argc != 3) || argc > 4)
        return Usage();
    const char command = argv[1][0];
    ToolArchive archive;
    int result;
    switch (command) {
    case 'l':
    case 't':
        result = archive.ListAll(argv[2], command == 't');
        break;
    case 'x': {
        std::string path = Absolute(argv[2]);
        if (argc == 4 && chdir(argv[3]) != 0) {
            std::fprintf(stderr, "lzhtool: cannot enter %s\n", argv[3]);
            return 1;
        }
        result = archive.ExtractAll(path.c_str());
        archive.FlushPending(result == 1);
        if (result == 0 && archive.pending.empty() && !archive.lastError.empty())
            std::printf("           %s\n", archive.Failure().c_str());
        break;
    }
    default:
        return Usage();
    }
    if (result == -2) {
        std::fprintf(stderr, "lzhtool: %s: missing or empty archive\n", argv[2]);
        return 1;
    }
    std::printf("%u entries, %llu bytes: %s\n", archive.entries, archive.total, result == 1 ? "ok" : "FAILED");
    return result == 1 ? 0 : 1;
}
