#include "FileSystem.h"

#include <io.h>
#include <share.h>
#include <windows.h>

namespace lzhfs {
namespace {

HANDLE HandleOf(std::FILE* file)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
}

}  // namespace

std::FILE* OpenShared(const char* name, const char* mode)
{
    return _fsopen(name, mode, _SH_DENYNO);
}

bool MakeDirectory(const char* name)
{
    return CreateDirectoryA(name, nullptr) != FALSE;
}

bool GetDosStamp(std::FILE* file, uint16_t& time, uint16_t& date)
{
    FILETIME written;
    WORD dosDate, dosTime;
    if (!GetFileTime(HandleOf(file), nullptr, nullptr, &written) ||
        !FileTimeToDosDateTime(&written, &dosDate, &dosTime))
        return false;
    time = dosTime;
    date = dosDate;
    return true;
}

bool SetDosStamp(std::FILE* file, uint16_t time, uint16_t date)
{
    FILETIME written;
    if (!DosDateTimeToFileTime(date, time, &written) || std::fflush(file) != 0)
        return false;
    return SetFileTime(HandleOf(file), nullptr, nullptr, &written) != FALSE;
}

}  // namespace lzhfs
