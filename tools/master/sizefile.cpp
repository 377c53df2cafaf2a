// sizefile: writes a CD tree's size file (Longitud.dat) with the installer's
// own size pass, so that a pressed disc starts without walking its lists and
// decoding its archives.
//
//   sizefile CDDIR
//
// The tree must be complete: every listed file present and every archive
// whole. Anything the installer would have reported (a missing file, a bad
// list line, a name that would lead out of its directory) or an archive that
// does not test good fails the run, and so does an installation of
// 2,147,483,647 bytes or more, which the installer's counters cannot hold;
// no size file is left behind.
#include "Files.h"
#include "LzhArchive.h"
#include "Sizes.h"
#include "Tables.h"

#include <cstdio>
#include <string>

namespace {

class MasteringHost : public SizeHost {
public:
    explicit MasteringHost(LzhArchive& archive) : archive_(archive) {}

    void ShowMessage(const std::string& text, unsigned) override
    {
        std::fprintf(stderr, "sizefile: the installer would report: %s\n", text.c_str());
        failed = true;
    }
    void RepaintProgress() override {}
    void SetProgressPosition(int) override {}
    uint32_t ScanArchive(const std::string& path) override { return archive_.ScanTotalSize(path.c_str()); }

    bool failed = false;

private:
    LzhArchive& archive_;
};

void Remember(void* context, const char* text)
{
    *static_cast<std::string*>(context) = text;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: sizefile CDDIR\n");
        return 2;
    }
    std::string dir = argv[1];
    if (dir.empty() || (dir.back() != '/' && dir.back() != '\\'))
        dir += '/';
    const std::string sizeFile = dir + SizePass::SizeFileName;
    // An old size file would be read instead of the tree.
    std::remove(sizeFile.c_str());

    LzhArchive archive;
    std::string lastError;
    archive.SetDiagnosticSink(&Remember, &lastError);
    for (int i = 0; i < sLZHCount; i++) {
        const std::string path = dir + sLZH[i].fileName;
        if (archive.ListAll(path.c_str(), true) != 1) {
            std::fprintf(stderr, "sizefile: %s does not test good%s%s\n", path.c_str(),
                         lastError.empty() ? "" : ": ", lastError.c_str());
            return 1;
        }
    }

    MasteringHost host(archive);
    SizePass(host, dir).LoadSizeTable();
    // The installer's counters stop at MaxBytes: a disc that needs that much
    // could never be installed.
    if (!host.failed && SelectedBytes([](int) { return true; }) == MaxBytes) {
        std::fprintf(stderr, "sizefile: the installation comes to %ld bytes or more, past what the installer counts\n",
                     static_cast<long>(MaxBytes));
        host.failed = true;
    }
    uint32_t written = 0;
    if (host.failed || !files::StatusSize(sizeFile, written) ||
        written != 4u * static_cast<uint32_t>(ComponentCount + sLZHCount)) {
        if (!host.failed)
            std::fprintf(stderr, "sizefile: %s could not be written\n", sizeFile.c_str());
        std::remove(sizeFile.c_str());
        return 1;
    }
    for (int i = 0; i < ComponentCount; i++)
        std::printf("%10ld  %s\n", static_cast<long>(ComponentTable[i].size), ComponentTable[i].listFile);
    for (int i = 0; i < sLZHCount; i++)
        std::printf("%10ld  %s\n", static_cast<long>(sLZH[i].size), sLZH[i].fileName);
    return 0;
}
