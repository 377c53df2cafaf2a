#include "Files.h"

#include <windows.h>

#include <cstring>

namespace files {
namespace {

// Win32 errors of a failed open, by the cause the installer reports.
const struct {
    DWORD error;
    unsigned cause;
} Causes[] = {
    {ERROR_FILE_NOT_FOUND, FileNotFound},
    {ERROR_PATH_NOT_FOUND, BadPath},
    {ERROR_INVALID_DRIVE, BadPath},
    {ERROR_BAD_NETPATH, BadPath},
    {ERROR_INVALID_NAME, BadPath},
    {ERROR_FILENAME_EXCED_RANGE, BadPath},
    {ERROR_TOO_MANY_OPEN_FILES, TooManyOpenFiles},
    {ERROR_ACCESS_DENIED, AccessDenied},
    {ERROR_WRITE_PROTECT, AccessDenied},
    {ERROR_INVALID_HANDLE, InvalidFile},
    {ERROR_CURRENT_DIRECTORY, RemoveCurrentDir},
    {ERROR_CANNOT_MAKE, DirectoryFull},
    {ERROR_SEEK, BadSeek},
    {ERROR_NEGATIVE_SEEK, BadSeek},
    {ERROR_NOT_READY, HardIo},
    {ERROR_CRC, HardIo},
    {ERROR_SECTOR_NOT_FOUND, HardIo},
    {ERROR_READ_FAULT, HardIo},
    {ERROR_WRITE_FAULT, HardIo},
    {ERROR_GEN_FAILURE, HardIo},
    {ERROR_SHARING_VIOLATION, SharingViolation},
    {ERROR_LOCK_VIOLATION, LockViolation},
    {ERROR_DISK_FULL, DiskFull},
    {ERROR_HANDLE_DISK_FULL, DiskFull},
    {ERROR_HANDLE_EOF, EndOfFile},
};

unsigned CauseOf(DWORD error)
{
    for (const auto& c : Causes)
        if (c.error == error)
            return c.cause;
    return Generic;
}

}  // namespace

std::FILE* Open(const std::string& path, const char* mode, unsigned& cause)
{
    SetLastError(0);
    std::FILE* file = std::fopen(path.c_str(), mode);
    cause = file ? NoError : CauseOf(GetLastError());
    return file;
}

bool MakeDirectory(const std::string& path)
{
    return CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

bool RemoveEmptyDirectory(const std::string& path)
{
    return RemoveDirectoryA(path.c_str()) != FALSE;
}

std::string CurrentDirectory()
{
    char dir[256] = "";
    const DWORD length = GetCurrentDirectoryA(sizeof dir, dir);
    return length > 0 && length < sizeof dir ? std::string(dir) : std::string();
}

bool EnterDirectory(const std::string& path)
{
    return SetCurrentDirectoryA(path.c_str()) != FALSE;
}

// Size and time come from the directory entry rather than _stat: CRTDLL.DLL,
// the C library of every Windows 95, fills an older struct _stat whose size
// and times sit elsewhere than today's headers say. Like _stat, a name with
// wildcards is no file, and a directory has size 0.
namespace {

bool FindEntry(const std::string& path, WIN32_FIND_DATAA& found)
{
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return true;
}

// "\\server\share" with or without a last "\".
bool IsUncRoot(const char* path)
{
    if (path[0] != '\\' || path[1] != '\\')
        return false;
    const char* share = std::strchr(path + 2, '\\');
    if (!share || share == path + 2 || share[1] == '\0' || share[1] == '\\')
        return false;
    const char* end = std::strchr(share + 1, '\\');
    return !end || end[1] == '\0';
}

// A drive's root has no directory entry of its own, so FindFirstFileA finds
// nothing there; _stat answers for it all the same, when the drive exists:
// a directory stamped 1980-01-01 00:00 local time. A name without ".", "/"
// or "\" ("C:" alone, say) is no root to _stat.
bool RootEntry(const std::string& path, WIN32_FIND_DATAA& found)
{
    if (path.find_first_of("./\\") == std::string::npos)
        return false;
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full || !(length == 3 || IsUncRoot(full)))
        return false;
    if (GetDriveTypeA(full) <= DRIVE_NO_ROOT_DIR)
        return false;
    FILETIME local;
    const WORD january1st1980 = (1 << 5) | 1, midnight = 0;
    if (!DosDateTimeToFileTime(january1st1980, midnight, &local) ||
        !LocalFileTimeToFileTime(&local, &found.ftLastWriteTime))
        return false;
    found.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
    found.nFileSizeHigh = found.nFileSizeLow = 0;
    return true;
}

bool StatusEntry(const std::string& path, WIN32_FIND_DATAA& found)
{
    if (path.find_first_of("*?") != std::string::npos)
        return false;
    return FindEntry(path, found) || RootEntry(path, found);
}

}  // namespace

bool StatusSize(const std::string& path, uint32_t& size)
{
    WIN32_FIND_DATAA found;
    if (!StatusEntry(path, found))
        return false;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        size = 0;
    else
        size = found.nFileSizeHigh != 0 ? 0xFFFFFFFFu : found.nFileSizeLow;
    return true;
}

bool StatusTime(const std::string& path, int64_t& seconds)
{
    WIN32_FIND_DATAA found;
    if (!StatusEntry(path, found))
        return false;
    // FILETIME counts 100 ns from 1601-01-01 UTC; _stat's seconds count from 1970.
    const int64_t ticks = (static_cast<int64_t>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                          found.ftLastWriteTime.dwLowDateTime;
    seconds = (ticks - 116444736000000000LL) / 10000000;
    return true;
}

bool SetNormalAttributes(const std::string& path)
{
    return SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL) != FALSE;
}

Listing ForEachMatch(const std::string& pattern, const std::function<bool(const Entry&)>& visit)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Listing::Missing
                                                                              : Listing::Unreadable;
    }
    Entry entry;
    do {
        entry.name = found.cFileName;
        entry.isDir = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.isLink = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    } while (visit(entry) && FindNextFileA(search, &found));
    FindClose(search);
    return Listing::Listed;
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
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {

// A function of kernel32 that the first Windows 95 lacks, looked up when it
// is called; null where the system has none.
template <typename Call>
Call Kernel32Function(const char* name)
{
    return reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

using FinalNameCall = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);

FinalNameCall FinalNameFunction()
{
    return Kernel32Function<FinalNameCall>("GetFinalPathNameByHandleA");
}

}  // namespace

bool HasFinalNames()
{
    return FinalNameFunction() != nullptr;
}

// No access is asked for, so no other program's sharing is in the way;
// FILE_FLAG_BACKUP_SEMANTICS opens directories too.
std::string FinalName(const std::string& path)
{
    const FinalNameCall call = FinalNameFunction();
    if (!call)
        return std::string();
    HANDLE handle = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::string();
    char name[1024];
    const DWORD length = call(handle, name, sizeof name, 0);
    CloseHandle(handle);
    return length > 0 && length < sizeof name ? std::string(name, length) : std::string();
}

std::string NewEmptyFile(const std::string& dir, const char* prefix)
{
    char path[MAX_PATH];
    return GetTempFileNameA(dir.c_str(), prefix, 0, path) != 0 ? std::string(path) : std::string();
}

namespace {

std::string DirectoryOf(const std::string& path)
{
    const std::string::size_type slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A new, empty file of its own name in the directory of path.
bool TemporaryName(const std::string& path, std::string& name)
{
    const std::string dir = DirectoryOf(path);
    name = NewEmptyFile(dir.empty() ? "." : dir, "ZEL");
    return !name.empty();
}

}  // namespace

std::FILE* CreateTemporaryBeside(const std::string& path, std::string& tempPath)
{
    if (!TemporaryName(path, tempPath))
        return nullptr;
    std::FILE* file = std::fopen(tempPath.c_str(), "wb");
    if (!file)
        DeleteFileA(tempPath.c_str());
    return file;
}

// MoveFileExA cannot replace a file on Windows 95, and MoveFileA never
// replaces one: the old file steps aside first and comes back if the new one
// cannot take its place.
bool PutInPlace(const std::string& source, const std::string& target)
{
    if (GetFileAttributesA(target.c_str()) == INVALID_FILE_ATTRIBUTES)
        return MoveFileA(source.c_str(), target.c_str()) != FALSE;
    // The new file takes the old one's name as it is spelt on the disk.
    std::string named = target;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(target.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        named = DirectoryOf(target) + found.cFileName;
    }
    std::string aside;
    if (!TemporaryName(target, aside))
        return false;
    DeleteFileA(aside.c_str());
    if (!MoveFileA(target.c_str(), aside.c_str()))
        return false;
    if (!MoveFileA(source.c_str(), named.c_str())) {
        MoveFileA(aside.c_str(), named.c_str());
        return false;
    }
    DeleteFileA(aside.c_str());
    return true;
}

bool RemoveFile(const std::string& path)
{
    return DeleteFileA(path.c_str()) != FALSE;
}

bool IsReadOnly(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

std::string ShortPath(const std::string& path)
{
    char shortPath[MAX_PATH] = "";
    const DWORD length = GetShortPathNameA(path.c_str(), shortPath, sizeof shortPath);
    return length > 0 && length < sizeof shortPath ? std::string(shortPath) : std::string();
}

// A directory that does not fit leaves the buffer as it was: empty.
std::string WindowsDirectory(unsigned bufferBytes)
{
    std::string dir(bufferBytes, '\0');
    GetWindowsDirectoryA(&dir[0], bufferBytes);
    return dir.c_str();
}

std::string SystemDirectory(unsigned bufferBytes)
{
    std::string dir(bufferBytes, '\0');
    GetSystemDirectoryA(&dir[0], bufferBytes);
    return dir.c_str();
}

std::vector<std::string> OtherSystemDirectories()
{
    std::vector<std::string> dirs;
    using Wow64DirectoryCall = UINT(WINAPI*)(LPSTR, UINT);
    const auto wow64Directory = Kernel32Function<Wow64DirectoryCall>("GetSystemWow64DirectoryA");
    char dir[DirectoryBuffer];
    const UINT length = wow64Directory ? wow64Directory(dir, sizeof dir) : 0;
    if (length > 0 && length < sizeof dir)
        dirs.push_back(dir);
    const std::string windows = WindowsDirectory();
    const DWORD attributes = GetFileAttributesA((windows + "\\Sysnative").c_str());
    if (!windows.empty() && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        dirs.push_back(windows + "\\Sysnative");
    return dirs;
}

void FlushProfileCache(const std::string& path)
{
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
}

}  // namespace files
