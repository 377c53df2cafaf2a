// Fuzz target for the archive reader: every input is written out as an
// archive, sized, extracted and tested, and whatever it unpacked is removed
// again before the next input.
//
// Layout, made once per process under the temporary directory:
//   lzhfuzz-<n>/in.lzh   the input
//   lzhfuzz-<n>/x/       the current directory while extracting
// After each input the private directory must hold exactly those two names,
// and the current directory must still be x: an entry that landed anywhere
// else, or a change of directory, aborts the run.
#include "LzhArchive.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <random>
#include <set>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// A valid "-lh5-" stream may repeat one symbol for ever without reading a bit
// (a block count of 0 and one-symbol codes), so the declared sizes, not the
// input length, bound a run. Inputs whose possible headers declare more than
// this in total are passed over.
const uint64_t MaxDeclaredBytes = 1u << 20;

// Offsets from the first byte of an entry: method, then the uncompressed size.
const std::size_t MethodAt = 2;
const std::size_t UncompressedSizeAt = 11;

uint32_t Get32(const uint8_t* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// The size scan retries a bad header at the very next byte, so any offset can
// start a header: add up what every offset carrying a decodable method declares.
uint64_t DeclaredDecodedBytes(const uint8_t* data, std::size_t size)
{
    uint64_t total = 0;
    for (std::size_t i = 0; i + UncompressedSizeAt + 4 <= size; i++) {
        const uint8_t* m = data + i + MethodAt;
        if (m[0] == '-' && m[1] == 'l' && m[2] == 'h' && (m[3] == '4' || m[3] == '5') && m[4] == '-')
            total += Get32(data + i + UncompressedSizeAt);
    }
    return total;
}

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "lzh_fuzz: %s\n", what.c_str());
    std::abort();
}

class Sandbox {
public:
    Sandbox()
    {
        std::random_device seed;
        std::mt19937 pick(seed());
        const fs::path tmp = fs::temp_directory_path();
        for (int attempt = 0; attempt < 100 && base_.empty(); attempt++) {
            fs::path candidate = tmp / ("lzhfuzz-" + std::to_string(pick()));
            std::error_code ec;
            if (fs::create_directory(candidate, ec))
                base_ = candidate;
        }
        if (base_.empty())
            Fail("cannot create a private directory under " + tmp.string());
        archive_ = base_ / "in.lzh";
        work_ = base_ / "x";
        fs::create_directory(work_);
        fs::current_path(work_);
        work_ = fs::current_path();  // as the system spells it, for the check
    }

    ~Sandbox()
    {
        std::error_code ec;
        fs::current_path(base_.parent_path(), ec);
        fs::remove_all(base_, ec);
    }

    void WriteArchive(const uint8_t* data, std::size_t size)
    {
        std::ofstream out(archive_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out)
            Fail("cannot write " + archive_.string());
    }

    // remove_all removes symbolic links themselves, never what they point to.
    void CheckAndClean()
    {
        std::error_code ec;
        if (fs::current_path(ec) != work_)
            Fail("the current directory moved away from " + work_.string());
        std::set<std::string> names;
        for (const fs::directory_entry& e : fs::directory_iterator(base_))
            names.insert(e.path().filename().string());
        if (names != std::set<std::string>{ "in.lzh", "x" })
            Fail("something was created beside the extraction directory in " + base_.string());
        for (const fs::directory_entry& e : fs::directory_iterator(work_)) {
            fs::remove_all(e.path(), ec);
            if (ec)
                Fail("cannot remove " + e.path().string() + ": " + ec.message());
        }
    }

    std::string ArchivePath() const { return archive_.string(); }

private:
    fs::path base_;
    fs::path archive_;
    fs::path work_;
};

// Diagnostics are formatted (that path takes entry names) and dropped.
void Discard(void*, const char*) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (DeclaredDecodedBytes(data, size) > MaxDeclaredBytes)
        return 0;
    static Sandbox sandbox;
    sandbox.WriteArchive(data, size);
    const std::string path = sandbox.ArchivePath();

    LzhArchive archive;
    archive.SetDiagnosticSink(&Discard, nullptr);
    archive.ScanTotalSize(path.c_str());
    const int extracted = archive.ExtractAll(path.c_str());
    const int listed = archive.ListAll(path.c_str(), false);
    const int tested = archive.ListAll(path.c_str(), true);
    for (int result : { extracted, listed, tested }) {
        if (result != -2 && result != 0 && result != 1)
            Fail("unexpected result " + std::to_string(result));
        if ((result == -2) != (size == 0))
            Fail("only an empty archive may count as missing");
    }
    sandbox.CheckAndClean();
    return 0;
}
