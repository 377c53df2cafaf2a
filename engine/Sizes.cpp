#include "Sizes.h"

#include "Files.h"
#include "InstallList.h"
#include "PathNames.h"
#include "Tables.h"

#include <cstdio>

const char* const SizePass::SizeFileName = "Longitud.dat";

namespace {

const char* const ListFailed = "Se ha producido un error durante la instalación.";

}  // namespace

std::string OpenFailedMessage(const std::string& path, unsigned cause)
{
    char text[600];
    std::snprintf(text, sizeof text, "No es posible abrir el fichero %s, error = %u\n", path.c_str(), cause);
    return text;
}

std::string BadLineMessage(const std::string& line)
{
    return "ERROR->" + line;
}

int32_t AddBytes(int32_t total, uint32_t bytes)
{
    if (total < 0)
        return MaxBytes;
    const int64_t sum = int64_t(total) + bytes;
    return sum > MaxBytes ? MaxBytes : static_cast<int32_t>(sum);
}

void SizePass::LoadSizeTable()
{
    if (ReadSizeFile())
        return;
    for (int i = 0; i < ComponentCount; i++) {
        ComponentTable[i].size = static_cast<int32_t>(GetListSize(sourceDir_ + ComponentTable[i].listFile, true));
        host_.SetProgressPosition(i);
    }
    for (int i = 0; i < sLZHCount; i++)
        sLZH[i].size = AddBytes(0, host_.ScanArchive(sourceDir_ + sLZH[i].fileName));
    WriteSizeFile();
}

// The size file holds each component's size, then each archive's, as 32-bit
// little-endian numbers. A short file is read as far as it goes: the bytes it
// lacks keep their values (0 at start-up). Only a failing read counts.
bool SizePass::ReadSizeFile()
{
    unsigned cause;
    std::FILE* file = files::Open(sourceDir_ + SizeFileName, "rb", cause);
    if (!file)
        return false;
    bool complete = true;
    auto readSize = [&](int32_t& size) {
        uint8_t bytes[4];
        std::size_t got = std::fread(bytes, 1, 4, file);
        uint32_t value = static_cast<uint32_t>(size);
        for (std::size_t b = 0; b < got; b++)
            value = (value & ~(0xFFu << (8 * b))) | uint32_t(bytes[b]) << (8 * b);
        size = static_cast<int32_t>(value);
        if (std::ferror(file))
            complete = false;
    };
    for (int i = 0; i < ComponentCount; i++) {
        readSize(ComponentTable[i].size);
        host_.SetProgressPosition(i);
    }
    for (int i = 0; i < sLZHCount; i++) {
        readSize(sLZH[i].size);
        host_.SetProgressPosition(i + 1);
    }
    std::fclose(file);
    return complete;
}

// A read-only source (the CD) cannot take the file: that is not reported.
void SizePass::WriteSizeFile()
{
    unsigned cause;
    std::FILE* file = files::Open(sourceDir_ + SizeFileName, "wb", cause);
    if (!file)
        return;
    auto writeSize = [&](int32_t size) {
        uint32_t value = static_cast<uint32_t>(size);
        uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
        std::fwrite(bytes, 1, 4, file);
    };
    for (int i = 0; i < ComponentCount; i++)
        writeSize(ComponentTable[i].size);
    for (int i = 0; i < sLZHCount; i++)
        writeSize(sLZH[i].size);
    std::fclose(file);
}

uint32_t SizePass::GetListSize(const std::string& listPath, bool progress)
{
    unsigned cause;
    std::FILE* list = files::Open(listPath, "r", cause);
    if (!list) {
        host_.ShowMessage(OpenFailedMessage(listPath, cause), SizeHost::PlainBox);
        return 0;
    }
    bool failed = false;
    int32_t total = 0;
    std::string line;
    installlist::Names names;
    while (installlist::ReadLine(list, line)) {
        switch (installlist::ClassifyForSize(line, names)) {
        case installlist::Kind::Skip:
        case installlist::Kind::Directory:
        case installlist::Kind::Other:
            break;
        case installlist::Kind::File:
            total = AddBytes(total, GetListedFileSize(sourceDir_ + names.source, progress));
            break;
        case installlist::Kind::Tree:
            total = AddBytes(total, GetTreeSize(sourceDir_ + names.source, progress));
            break;
        case installlist::Kind::Error:
            host_.ShowMessage(BadLineMessage(line), SizeHost::InformationBox);
            failed = true;
            break;
        }
    }
    if (std::ferror(list))
        failed = true;
    if (std::fclose(list) != 0)
        failed = true;
    if (failed) {
        host_.ShowMessage(ListFailed, SizeHost::InformationBox);
        return 0;
    }
    return static_cast<uint32_t>(total);
}

uint32_t ListedFileSize(MessageHost& host, const std::string& path)
{
    uint32_t size = 0;
    if (!files::StatusSize(path, size)) {
        size = 0;
        // This message always shows 0 as the cause.
        host.ShowMessage(OpenFailedMessage(path, 0), MessageHost::InformationBox);
    }
    return size;
}

uint32_t SizePass::GetListedFileSize(const std::string& path, bool progress)
{
    const uint32_t size = ListedFileSize(host_, path);
    if (progress)
        host_.RepaintProgress();
    return size;
}

uint32_t SizePass::GetTreeSize(const std::string& dir, bool progress)
{
    int32_t total = 0;
    files::ForEachEntry(dir, [&](const std::string& name, bool isDir) {
        if (name[0] == '.')
            return;
        const std::string path = dir + "\\" + name;
        // Opened, a device name would reach the device.
        if (!paths::StaysBelow(name)) {
            host_.ShowMessage(OpenFailedMessage(path, 0), MessageHost::InformationBox);
            return;
        }
        total = AddBytes(total, isDir ? GetTreeSize(path, false) : GetListedFileSize(path, progress));
    });
    return static_cast<uint32_t>(total);
}

int32_t SelectedBytes(const std::function<bool(int)>& isChecked)
{
    int32_t total = 0;
    for (int i = 0; i < ComponentCount; i++)
        if (isChecked(i))
            total = AddBytes(total, static_cast<uint32_t>(ComponentTable[i].size));
    for (int i = 0; i < sLZHCount; i++)
        total = AddBytes(total, static_cast<uint32_t>(sLZH[i].size));
    return total;
}
