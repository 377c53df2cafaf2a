// Host build of the engine's file calls: "\" becomes "/".
#include "Files.h"

#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

namespace files {
namespace {

std::string HostPath(std::string path)
{
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

unsigned CauseOf(int error)
{
    static const struct {
        int error;
        unsigned cause;
    } causes[] = {
        {ENOENT, FileNotFound}, {ENOTDIR, BadPath},        {ENAMETOOLONG, BadPath}, {EMFILE, TooManyOpenFiles},
        {ENFILE, TooManyOpenFiles}, {EACCES, AccessDenied}, {EPERM, AccessDenied},   {EROFS, AccessDenied},
        {EISDIR, AccessDenied}, {EBADF, InvalidFile},       {EIO, HardIo},           {ENOSPC, DiskFull},
    };
    for (const auto& c : causes)
        if (c.error == error)
            return c.cause;
    return Generic;
}

}  // namespace

std::FILE* Open(const std::string& path, const char* mode, unsigned& cause)
{
    std::FILE* file = std::fopen(HostPath(path).c_str(), mode);
    cause = file ? NoError : CauseOf(errno);
    return file;
}

bool MakeDirectory(const std::string& path)
{
    return ::mkdir(HostPath(path).c_str(), 0777) == 0;
}

bool StatusSize(const std::string& path, uint32_t& size)
{
    struct stat st;
    if (::stat(HostPath(path).c_str(), &st) != 0)
        return false;
    size = static_cast<uint32_t>(st.st_size);
    return true;
}

bool ForEachEntry(const std::string& dir, const std::function<void(const std::string&, bool)>& visit)
{
    const std::string host = HostPath(dir);
    DIR* listing = ::opendir(host.c_str());
    if (!listing)
        return false;
    while (dirent* entry = ::readdir(listing)) {
        struct stat st;
        std::string path = host + "/" + entry->d_name;
        bool isDir = ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        visit(entry->d_name, isDir);
    }
    ::closedir(listing);
    return true;
}

}  // namespace files
