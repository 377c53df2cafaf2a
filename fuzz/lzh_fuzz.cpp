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
// Every input is unpacked in a Sandbox (sandbox.h), which checks after each
// input that nothing landed outside its extraction directory.
#include "LzhArchive.h"
#include "sandbox.h"

#include <cstdint>
#include <initializer_list>
#include <string>

namespace {

fuzz::Sandbox& TheSandbox()
{
    static fuzz::Sandbox sandbox("lzh_fuzz");
    return sandbox;
}

[[noreturn]] void Fail(const std::string& what)
{
    TheSandbox().Fail(what);
}

// 2 MiB of unpacked data per archive operation, in 8 KiB chunks.
const int ChunkLimit = 256;
struct EnoughChunks {};

class GuardedArchive : public LzhArchive {
public:
    GuardedArchive() { SetDiagnosticSink(&fuzz::Discard, nullptr); }

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
    fuzz::Sandbox& sandbox = TheSandbox();
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
