// Fuzz target for the archive reader: every input is written out as an
// archive, sized, extracted and tested, and whatever it unpacked is removed
// again before the next input.
//
// After every chunk of every entry the target checks the bounds the reader
// keeps to: no byte of the file past the entry's compressed data is taken,
// and no more than MaxOverrun zero bytes are made up past it, whatever sizes
// the header declares. A valid stream may repeat one symbol for ever without
// reading a bit (a block count of 0 and one-symbol codes), so a run over one
// archive is cut short after ChunkLimit chunks.
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

// 2 MiB of unpacked data per archive operation, in 8 KiB chunks.
const int ChunkLimit = 256;
struct EnoughChunks {};

class GuardedArchive : public LzhArchive {
public:
    GuardedArchive() { SetDiagnosticSink(&Discard, nullptr); }

    void OnProgress(const char*, uint32_t, uint32_t) override
    {
        if (InputPosition() > EntryDataEnd())
            Fail("an entry read the archive at " + std::to_string(InputPosition()) + ", past its data's end at " +
                 std::to_string(EntryDataEnd()));
        if (MadeUpBytes() > MaxOverrun)
            Fail("an entry ran " + std::to_string(MadeUpBytes()) + " bytes past its data");
        if (++chunks_ > ChunkLimit)
            throw EnoughChunks();
    }

    // Runs one operation; -3 when it was cut short.
    template <typename Operation>
    int64_t Run(Operation operation)
    {
        chunks_ = 0;
        try {
            return operation();
        } catch (const EnoughChunks&) {
            return -3;
        }
    }

private:
    int chunks_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Sandbox sandbox;
    sandbox.WriteArchive(data, size);
    const std::string archivePath = sandbox.ArchivePath();
    const char* path = archivePath.c_str();

    GuardedArchive archive;
    archive.Run([&] { return int64_t(archive.ScanTotalSize(path)); });
    const int64_t extracted = archive.Run([&] { return int64_t(archive.ExtractAll(path)); });
    const int64_t listed = archive.Run([&] { return int64_t(archive.ListAll(path, false)); });
    const int64_t tested = archive.Run([&] { return int64_t(archive.ListAll(path, true)); });
    for (int64_t result : { extracted, listed, tested }) {
        if (result == -3)
            continue;
        if (result != -2 && result != 0 && result != 1)
            Fail("unexpected result " + std::to_string(result));
        if ((result == -2) != (size == 0))
            Fail("only an empty archive may count as missing");
    }
    sandbox.CheckAndClean();
    return 0;
}
