// Host build of the engine's file calls: "\" becomes "/".
#include "Files.h"

#include <cerrno>
#include <cstdlib>
#include <unistd.h>
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

bool StatusTime(const std::string& path, int64_t& seconds)
{
    struct stat st;
    if (::stat(HostPath(path).c_str(), &st) != 0)
        return false;
    seconds = static_cast<int64_t>(st.st_mtime);
    return true;
}

// The read-only attribute is a file nobody may write to.
bool SetNormalAttributes(const std::string& path)
{
    struct stat st;
    const std::string host = HostPath(path);
    return ::stat(host.c_str(), &st) == 0 && ::chmod(host.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
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

std::FILE* CreateTemporaryBeside(const std::string& path, std::string& tempPath)
{
    const std::string host = HostPath(path);
    const std::string::size_type slash = host.rfind('/');
    std::string name = (slash == std::string::npos ? std::string() : host.substr(0, slash + 1)) + "ZELXXXXXX";
    const int fd = ::mkstemp(&name[0]);
    if (fd < 0)
        return nullptr;
    tempPath = name;
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        ::close(fd);
        ::unlink(name.c_str());
    }
    return file;
}

bool PutInPlace(const std::string& source, const std::string& target)
{
    return std::rename(HostPath(source).c_str(), HostPath(target).c_str()) == 0;
}

bool RemoveFile(const std::string& path)
{
    return ::unlink(HostPath(path).c_str()) == 0;
}

bool IsReadOnly(const std::string& path)
{
    struct stat st;
    return ::stat(HostPath(path).c_str(), &st) == 0 && (st.st_mode & 0222) == 0;
}

std::string ShortPath(const std::string&)
{
    return std::string();
}

std::string WindowsDirectory()
{
    return std::string();
}

std::string SystemDirectory()
{
    return std::string();
}

void FlushProfileCache(const std::string&) {}

}  // namespace files
