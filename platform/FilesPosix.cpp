// Host build of the engine's file calls: "\" becomes "/".
#include "Files.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool RemoveEmptyDirectory(const std::string& path)
{
    return ::rmdir(HostPath(path).c_str()) == 0;
}

std::string CurrentDirectory()
{
    char dir[256];
    return ::getcwd(dir, sizeof dir) ? std::string(dir) : std::string();
}

bool EnterDirectory(const std::string& path)
{
    return ::chdir(HostPath(path).c_str()) == 0;
}

// A directory has size 0, as Windows' _stat answers.
bool StatusSize(const std::string& path, uint32_t& size)
{
    struct stat st;
    if (::stat(HostPath(path).c_str(), &st) != 0)
        return false;
    // A directory has no length, as FindFirstFileA reports it.
    if (S_ISDIR(st.st_mode))
        size = 0;
    else
        size = st.st_size > 0xFFFFFFFF ? 0xFFFFFFFFu : static_cast<uint32_t>(st.st_size);
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

// Windows' "*.*" matches names without a dot as well.
Listing ForEachMatch(const std::string& pattern, const std::function<bool(const Entry&)>& visit)
{
    const std::string host = HostPath(pattern);
    const std::string::size_type slash = host.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : host.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? host : host.substr(slash + 1);
    if (name == "*.*")
        name = "*";
    DIR* listing = ::opendir(dir.c_str());
    if (!listing)
        return errno == ENOENT || errno == ENOTDIR ? Listing::Missing : Listing::Unreadable;
    bool any = false;
    while (dirent* found = ::readdir(listing)) {
        if (::fnmatch(name.c_str(), found->d_name, 0) != 0)
            continue;
        struct stat st;
        const std::string path = dir + "/" + found->d_name;
        Entry entry;
        entry.name = found->d_name;
        entry.isDir = ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        entry.isLink = ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
        any = true;
        if (!visit(entry))
            break;
    }
    ::closedir(listing);
    return any ? Listing::Listed : Listing::Missing;
}

bool ForEachEntry(const std::string& dir, const std::function<void(const std::string&, bool)>& visit)
{
    return ForEachMatch(dir + "\\*.*", [&visit](const Entry& entry) {
               visit(entry.name, entry.isDir);
               return true;
           }) == Listing::Listed;
}

bool IsLink(const std::string& path)
{
    struct stat st;
    return ::lstat(HostPath(path).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool Exists(const std::string& path)
{
    struct stat st;
    return ::stat(HostPath(path).c_str(), &st) == 0;
}

// The host build names nothing: its tests have no links to tell apart.
bool HasFinalNames()
{
    return false;
}

std::string FinalName(const std::string&)
{
    return std::string();
}

std::string NewEmptyFile(const std::string& dir, const char* prefix)
{
    std::string name = HostPath(dir);
    if (!name.empty() && name.back() != '/')
        name += '/';
    name += std::string(prefix) + "XXXXXX";
    const int fd = ::mkstemp(&name[0]);
    if (fd < 0)
        return std::string();
    ::close(fd);
    return name;
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

std::string WindowsDirectory(unsigned)
{
    return std::string();
}

std::string SystemDirectory(unsigned)
{
    return std::string();
}

std::vector<std::string> OtherSystemDirectories()
{
    return {};
}

void FlushProfileCache(const std::string&) {}

}  // namespace files
