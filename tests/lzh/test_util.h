// Shared pieces of the LZH reader tests: a scratch directory to extract into
// and an archive object that records what it was told.
#pragma once

#include "LzhArchive.h"
#include "LzhWriter.h"

#include <ostream>
#include <string>
#include <vector>

namespace lzhtest {

// A fresh directory under the system's temporary directory, holding the
// archive and an empty "out" directory that is the current directory while
// the object lives. Everything is removed afterwards.
class Sandbox {
public:
    Sandbox();
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    // Writes the archive beside "out"; returns its absolute path.
    std::string PutArchive(const Bytes& archive, const std::string& name = "test.lzh");
    // A path in the sandbox root, beside "out".
    std::string RootPath(const std::string& name) const;
    // A path below "out" ("A\B" style names are turned into host paths).
    std::string OutPath(const std::string& entryName) const;
    // Names found in the sandbox root (the archives and "out").
    std::vector<std::string> RootNames() const;
    // Relative paths of every regular file below "out", "/" separated, sorted.
    std::vector<std::string> OutFiles() const;

private:
    std::string root_;
    std::string previous_;
};

// Records diagnostics, notifications and file errors.
class RecordingArchive : public LzhArchive {
public:
    RecordingArchive();

    bool OnFileError(StreamFile* file, int kind, int arg) override;

    struct Event {
        char kind;  // 'b' begin, 'e' end, 'p' progress
        std::string name;
        uint32_t a, b;
    };
    void OnEntryBegin(const char* name, uint32_t entryBytes, uint32_t size) override;
    void OnEntryEnd(const char* name, uint32_t entryBytes, uint32_t size) override;
    void OnProgress(const char* name, uint32_t done, uint32_t total) override;

    std::vector<uint32_t> ProgressDone() const;
    int Count(char kind) const;

    std::vector<std::string> diagnostics;
    std::vector<Event> events;
    // A runaway entry: OnProgress throws RunawayEntry after this many calls.
    int progressLimit = -1;
    // The kinds of the file errors, in order; the first `retries` of them are
    // answered with "try again".
    std::vector<int> fileErrors;
    int retries = 0;
};

struct RunawayEntry {};

// Valid streams made of blocks with the shortest headers the format allows
// (43 bits): one-symbol code-length and position codes, and a character code
// of 2^L lengths that all use the one code-length symbol, so that no bit is
// sent per length. Shared by the reader's tests and the peer test.
struct ShortBlockStream {
    std::string label;
    Entry entry;
    Bytes expected;
};
std::vector<ShortBlockStream> ShortestBlockStreams();
inline void PrintTo(const ShortBlockStream& s, std::ostream* os)
{
    *os << s.label;
}
// A shortest block header whose character code gives the 2^L byte values
// below 2^L an L-bit code each (the code of byte b is b itself).
void PutShortestBlockHeader(BitWriter& out, uint32_t count, int L);

// Fixed by the decoder for every damaged code table.
extern const char* const BadTableText;

}  // namespace lzhtest
