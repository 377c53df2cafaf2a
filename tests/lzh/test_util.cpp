#include "test_util.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace lzhtest {

const char* const BadTableText = "Bad table\nBad table\nBad table\nBad table\n";

Sandbox::Sandbox()
{
    previous_ = fs::current_path().string();
    const fs::path base = fs::temp_directory_path();
    auto seed = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (unsigned attempt = 0;; attempt++) {
        fs::path candidate = base / ("lzh-test-" + std::to_string(seed % 1000000007ULL + attempt));
        if (fs::create_directory(candidate)) {
            root_ = candidate.string();
            break;
        }
        if (attempt > 1000)
            throw std::runtime_error("no scratch directory");
    }
    fs::create_directory(fs::path(root_) / "out");
    fs::current_path(fs::path(root_) / "out");
}

Sandbox::~Sandbox()
{
    std::error_code ignored;
    fs::current_path(previous_, ignored);
    fs::remove_all(root_, ignored);
}

std::string Sandbox::PutArchive(const Bytes& archive, const std::string& name)
{
    std::string path = RootPath(name);
    if (!WriteFile(path, archive))
        throw std::runtime_error("cannot write " + path);
    return path;
}

std::string Sandbox::RootPath(const std::string& name) const
{
    return (fs::path(root_) / name).string();
}

std::string Sandbox::OutPath(const std::string& entryName) const
{
    std::string relative = entryName;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    return (fs::path(root_) / "out" / fs::path(relative)).string();
}

std::vector<std::string> Sandbox::RootNames() const
{
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(root_))
        names.push_back(item.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> Sandbox::OutFiles() const
{
    std::vector<std::string> names;
    const fs::path out = fs::path(root_) / "out";
    for (const auto& item : fs::recursive_directory_iterator(out))
        if (item.is_regular_file())
            names.push_back(item.path().lexically_relative(out).generic_string());
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

void Remember(void* context, const char* text)
{
    static_cast<RecordingArchive*>(context)->diagnostics.push_back(text);
}

}  // namespace

RecordingArchive::RecordingArchive()
{
    SetDiagnosticSink(&Remember, this);
}

bool RecordingArchive::OnFileError(StreamFile*, int kind, int)
{
    fileErrors.push_back(kind);
    return retries-- > 0;
}

void RecordingArchive::OnEntryBegin(const char* name, uint32_t entryBytes, uint32_t size)
{
    events.push_back({'b', name, entryBytes, size});
}

void RecordingArchive::OnEntryEnd(const char* name, uint32_t entryBytes, uint32_t size)
{
    events.push_back({'e', name, entryBytes, size});
}

void RecordingArchive::OnProgress(const char* name, uint32_t done, uint32_t total)
{
    events.push_back({'p', name, done, total});
    if (progressLimit >= 0 && Count('p') > progressLimit)
        throw RunawayEntry();
}

std::vector<uint32_t> RecordingArchive::ProgressDone() const
{
    std::vector<uint32_t> done;
    for (const Event& e : events)
        if (e.kind == 'p')
            done.push_back(e.a);
    return done;
}

int RecordingArchive::Count(char kind) const
{
    return static_cast<int>(std::count_if(events.begin(), events.end(),
                                          [kind](const Event& e) { return e.kind == kind; }));
}

void PutShortestBlockHeader(BitWriter& out, uint32_t count, int L)
{
    out.Put(count, 16);
    out.Put(0, TBIT);      // code-length code: one symbol,
    out.Put(L + 2, TBIT);  // which stands for length L
    out.Put(1u << L, CBIT);
    out.Put(0, PBIT);      // position code: one symbol, 0
    out.Put(0, PBIT);
}

namespace {

// Blocks of literals with shortest headers: each inner vector is one block.
ShortBlockStream ShortLiterals(const std::string& label, const std::string& method, int L,
                               const std::vector<Bytes>& blocks, BitWriter out = BitWriter(),
                               Bytes expected = Bytes())
{
    for (const Bytes& block : blocks) {
        PutShortestBlockHeader(out, static_cast<uint32_t>(block.size()), L);
        for (uint8_t b : block)
            out.Put(b, L);
        expected.insert(expected.end(), block.begin(), block.end());
    }
    return {label, PackedEntry(label + ".bin", method, out.Finish(), expected), expected};
}

}  // namespace

std::vector<ShortBlockStream> ShortestBlockStreams()
{
    std::vector<ShortBlockStream> streams;
    // 46 bits in 6 bytes; and the smallest valid stream, 44 bits.
    streams.push_back(ShortLiterals("ThreeBytes", "-lh5-", 1, {{0, 1, 0}}));
    streams.push_back(ShortLiterals("ThreeBytesLh4", "-lh4-", 1, {{0, 1, 0}}));
    streams.push_back(ShortLiterals("OneByte", "-lh5-", 1, {{1}}));
    const std::string title = "Demo Morvadin Brumaria";
    streams.push_back(ShortLiterals("EightBitCode", "-lh5-", 8, {Bytes(title.begin(), title.end())}));
    streams.push_back(ShortLiterals("OnlyShortBlocks", "-lh5-", 2, {{3, 2, 1, 0}, {0, 0}, {1, 3, 3}}));

    // An ordinary block, then a last one with a shortest header and two
    // literals: the last header starts with fewer than 52 bits left.
    const Bytes text = TextBytes(3000, 31);
    std::vector<Token> tokens = GreedyTokens(text);
    BlockCodes codes = CodesFor(tokens);
    BitWriter out;
    PutBlockHeader(out, codes);
    for (const Token& t : tokens)
        PutToken(out, codes, t);
    streams.push_back(ShortLiterals("ShortestLastBlock", "-lh5-", 1, {{1, 0}}, out, ExpandTokens(tokens)));
    return streams;
}

}  // namespace lzhtest
