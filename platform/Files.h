// The file and directory calls of every program of the set, one file per
// platform: the host build stands in for Windows in the portable core's
// tests. Paths use "\" between directories on every platform.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace files {

// Opens with a stdio mode; on failure cause is one of the cause codes below.
std::FILE* Open(const std::string& path, const char* mode, unsigned& cause);

// CreateDirectory with default security; false when it failed (it exists, say).
bool MakeDirectory(const std::string& path);
// RemoveDirectory: only an empty directory goes.
bool RemoveEmptyDirectory(const std::string& path);

// The process's current directory as Windows gives it in a 256-byte buffer;
// empty when it does not fit.
std::string CurrentDirectory();
// Makes path the current directory; "D:" makes D: the current drive, in the
// directory current on it.
bool EnterDirectory(const std::string& path);

// The file's length from its status, without opening it; 4 GB or more
// reads as 0xFFFFFFFF, never as the length's low 32 bits.
bool StatusSize(const std::string& path, uint32_t& size);
// The file's modification time from its status, in seconds.
bool StatusTime(const std::string& path, int64_t& seconds);
// Takes the read-only attribute away (FILE_ATTRIBUTE_NORMAL).
bool SetNormalAttributes(const std::string& path);

// An entry of a directory listing. isLink is the reparse-point attribute:
// Windows 95 never sets it; NT junctions and symbolic links do, and so does
// Wine for a link on the host.
struct Entry {
    std::string name;
    bool isDir = false;
    bool isLink = false;
};

enum class Listing { Listed, Missing, Unreadable };

// Calls visit for every entry that pattern matches ("C:\\DIR\\*.*", "*.*"), in
// the file system's order, "." and ".." included, until visit answers false.
// Missing when the pattern names a file or directory that is not there (no
// entry matched, or the path leads nowhere), Unreadable for any other
// failure; nothing is visited then.
Listing ForEachMatch(const std::string& pattern, const std::function<bool(const Entry&)>& visit);

// Every entry of the directory, as ForEachMatch(dir + "\\*.*"). False when
// the directory cannot be listed.
bool ForEachEntry(const std::string& dir, const std::function<void(const std::string& name, bool isDir)>& visit);

// The path carries the reparse-point attribute (a link, see Entry).
bool IsLink(const std::string& path);
// A file or a directory is there.
bool Exists(const std::string& path);

// Whether the system names what a path leads to once it is opened
// (GetFinalPathNameByHandleA: Windows Vista and later, and Wine, have it;
// Windows 95 to XP do not; looked up at run time).
bool HasFinalNames();
// That name, links followed and "\\?\" in front; empty when the path cannot
// be opened or the system names nothing.
std::string FinalName(const std::string& path);

// A new empty file of a name of its own in dir, made with a three-letter
// prefix (GetTempFileNameA); its path, or empty when none could be made.
std::string NewEmptyFile(const std::string& dir, const char* prefix);

// Replacing a file's contents safely: the new text goes into a temporary
// file in the same directory (so that it lies on the same drive), which takes
// the old file's place only once it is complete.
std::FILE* CreateTemporaryBeside(const std::string& path, std::string& tempPath);
// Puts source in target's place, target existing or not; when that fails
// target is as it was.
bool PutInPlace(const std::string& source, const std::string& target);
bool RemoveFile(const std::string& path);
bool IsReadOnly(const std::string& path);

// The short (8.3) form of an existing path, as GetShortPathNameA gives it;
// empty when there is none (and on the host build).
std::string ShortPath(const std::string& path);

// The Windows and System directories as Windows gives them in buffers of
// this many bytes, no "\" added; empty when they do not fit, and on the
// host build. The programs read them into 256 bytes, the shared-file step
// into 260.
const unsigned DirectoryBuffer = 256;
std::string WindowsDirectory(unsigned bufferBytes = DirectoryBuffer);
std::string SystemDirectory(unsigned bufferBytes = DirectoryBuffer);
// On 64-bit Windows and Wine, the System directories beside the program's
// own: SysWOW64, the 32-bit programs' (GetSystemWow64DirectoryA, looked up
// at run time), and for a 32-bit program, whose "system32" leads to
// SysWOW64, the system's own through the Windows directory's "Sysnative".
// None on Windows 95 and on the host build.
std::vector<std::string> OtherSystemDirectories();

// Windows 95 keeps files written through the profile functions in a cache:
// this writes it back before such a file is read directly.
void FlushProfileCache(const std::string& path);

// Cause codes of a failed open, as the installer's messages show them.
enum Cause : unsigned {
    NoError = 0,
    Generic = 1,
    FileNotFound = 2,
    BadPath = 3,
    TooManyOpenFiles = 4,
    AccessDenied = 5,
    InvalidFile = 6,
    RemoveCurrentDir = 7,
    DirectoryFull = 8,
    BadSeek = 9,
    HardIo = 10,
    SharingViolation = 11,
    LockViolation = 12,
    DiskFull = 13,
    EndOfFile = 14,
};

}  // namespace files
