#include "Copy.h"

#include "Files.h"
#include "InstallList.h"
#include "PathNames.h"
#include "Tables.h"
#include "Text.h"

#include <cctype>
#include <cstdio>
#include <memory>
#include <new>

namespace {

const char* const CopyFailed = "Error copiando fichero: ";

}  // namespace

CopyRun::CopyRun(CopyHost& host, std::string sourceDir, std::string destinationRoot, int32_t& doneBytes,
                 int32_t& currentFileBytes)
    : host_(host), sourceDir_(std::move(sourceDir)), destinationRoot_(std::move(destinationRoot)),
      doneBytes_(doneBytes), currentFileBytes_(currentFileBytes)
{
}

void CopyRun::InstallComponents()
{
    doneBytes_ = 0;
    currentFileBytes_ = 0;
    for (int i = 0; i < ComponentCount; i++) {
        if (!host_.ComponentChecked(i) || InstallFromList(ComponentTable[i].listFile))
            continue;
        host_.EndWaitCursor();
        char text[300];
        std::snprintf(text, sizeof text, "ERROR al instalar el fichero %s", ComponentTable[i].listFile);
        host_.ShowMessage(text, MessageHost::InformationBox);
    }
}

bool CopyRun::InstallFromList(const std::string& listFile)
{
    const std::string listPath = sourceDir_ + listFile;
    unsigned cause;
    std::FILE* list = files::Open(listPath, "r", cause);
    if (!list) {
        host_.ShowMessage(OpenFailedMessage(listPath, cause), MessageHost::InformationBox);
        return false;
    }
    bool failed = false;
    std::string line;
    installlist::Names names;
    while (installlist::ReadLine(list, line)) {
        switch (installlist::ClassifyForCopy(line, names)) {
        case installlist::Kind::Skip:
            continue;
        case installlist::Kind::Directory:
            files::MakeDirectory(destinationRoot_ + names.target);
            break;
        case installlist::Kind::File:
            CopyListedFile(sourceDir_ + names.source, destinationRoot_ + names.target, failed);
            break;
        case installlist::Kind::Tree:
            files::MakeDirectory(destinationRoot_ + names.target);
            if (CopyTree(sourceDir_ + names.source, destinationRoot_ + names.target, true) == 0)
                failed = true;
            break;
        case installlist::Kind::Error:
            // A name that leads out of its directory: nothing of the line is done.
            host_.ShowMessage(BadLineMessage(text::Trim(line)), MessageHost::InformationBox);
            failed = true;
            break;
        case installlist::Kind::Other:
            break;
        }
        host_.StepProgress();
    }
    if (std::ferror(list))
        failed = true;
    std::fclose(list);
    return !failed;
}

void CopyRun::CopyListedFile(const std::string& source, const std::string& destination, bool& failed)
{
    if (!CopyOneFile(source, destination, true)) {
        host_.ShowMessage(CopyFailed + source, MessageHost::InformationBox);
        failed = true;
    }
    doneBytes_ = AddBytes(doneBytes_, ListedFileSize(host_, source));
}

bool CopyRun::CopyOneFile(const std::string& source, const std::string& destination, bool progress)
{
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[BlockSize]);
    if (!buffer)
        return false;
    unsigned cause;
    std::FILE* in = files::Open(source, "rb", cause);
    if (!in)
        return false;
    std::FILE* out = files::Open(destination, "wb", cause);
    if (!out) {
        std::fclose(in);
        return false;
    }
    bool ok = true;
    currentFileBytes_ = 0;
    std::size_t n;
    do {
        n = std::fread(buffer.get(), 1, BlockSize, in);
        if (std::fwrite(buffer.get(), 1, n, out) < n)
            ok = false;
        if (progress) {
            currentFileBytes_ = AddBytes(currentFileBytes_, static_cast<uint32_t>(n));
            host_.StepProgress();
        }
    } while (ok && n == BlockSize);
    // A short block is the end of the file only when nothing failed: a
    // scratched CD must not leave a truncated file reported as copied.
    if (std::ferror(in))
        ok = false;
    std::fclose(in);
    if (std::fclose(out) != 0)
        ok = false;
    currentFileBytes_ = 0;
    return ok;
}

int CopyRun::CopyTree(const std::string& source, const std::string& destination, bool copy)
{
    int count = 0;
    files::ForEachEntry(source, [&](const std::string& name, bool isDir) {
        if (name[0] == '.')
            return;
        const std::string from = source + "\\" + name;
        const std::string to = destination + "\\" + name;
        // A device name would reach the device: reported as a file that
        // could not be copied, and nothing below it is visited.
        if (!paths::StaysBelow(name)) {
            if (copy) {
                host_.ShowMessage(CopyFailed + from, MessageHost::PlainBox);
                host_.StepProgress();
            }
            ++count;
            return;
        }
        if (isDir) {
            if (copy)
                files::MakeDirectory(to);
            count += CopyTree(from, to, copy);
            return;
        }
        if (copy) {
            if (!CopyOneFile(from, to, true))
                host_.ShowMessage(CopyFailed + from, MessageHost::PlainBox);
            doneBytes_ = AddBytes(doneBytes_, ListedFileSize(host_, from));
            host_.StepProgress();
        }
        ++count;
    });
    return count;
}
