// Host build: archive names use "\" between directories, the host uses "/".
// A DOS stamp is read as UTC, as the Windows build sets it without zone conversion.
#include "FileSystem.h"

#include <ctime>
#include <string>
#include <sys/stat.h>

namespace lzhfs {
namespace {

std::string HostPath(const char* name)
{
    std::string path(name);
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

}  // namespace

std::FILE* OpenShared(const char* name, const char* mode)
{
    return std::fopen(HostPath(name).c_str(), mode);
}

bool MakeDirectory(const char* name)
{
    return ::mkdir(HostPath(name).c_str(), 0777) == 0;
}

bool GetDosStamp(std::FILE* file, uint16_t& time, uint16_t& date)
{
    struct stat st;
    if (::fstat(fileno(file), &st) != 0)
        return false;
    std::tm tm;
    if (!::gmtime_r(&st.st_mtime, &tm) || tm.tm_year < 80 || tm.tm_year > 207)
        return false;
    time = static_cast<uint16_t>(tm.tm_hour << 11 | tm.tm_min << 5 | tm.tm_sec / 2);
    date = static_cast<uint16_t>((tm.tm_year - 80) << 9 | (tm.tm_mon + 1) << 5 | tm.tm_mday);
    return true;
}

bool SetDosStamp(std::FILE* file, uint16_t time, uint16_t date)
{
    std::tm tm = {};
    tm.tm_sec = (time & 0x1F) * 2;
    tm.tm_min = (time >> 5) & 0x3F;
    tm.tm_hour = time >> 11;
    tm.tm_mday = date & 0x1F;
    tm.tm_mon = ((date >> 5) & 0x0F) - 1;
    tm.tm_year = (date >> 9) + 80;
    if (tm.tm_sec > 59 || tm.tm_min > 59 || tm.tm_hour > 23 || tm.tm_mday < 1 || tm.tm_mon < 0 ||
        tm.tm_mon > 11)
        return false;
    if (std::fflush(file) != 0)
        return false;
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = ::timegm(&tm);
    times[1].tv_nsec = 0;
    return ::futimens(fileno(file), times) == 0;
}

}  // namespace lzhfs
