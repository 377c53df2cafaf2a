// lzhtool: lists, tests and extracts LZH archives with the installer's own
// reader, so that CD authors can check their archives before mastering.
//
//   lzhtool l ARCHIVE          list the entries
//   lzhtool t ARCHIVE          unpack every entry in memory and check its CRC
//   lzhtool x ARCHIVE [DIR]    extract below DIR (default: the current directory)
//
// One line per entry; the exit status is 0 only when every entry was good.
#include "LzhArchive.h"

#include <cstdio>
#include <cstring>
#include <string>

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
                 "       lzhtool x ARCHIVE [DIR]  extract into DIR\n");
    return 2;
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
