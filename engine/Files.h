// The file-system calls of the installation engine, one file per platform.
// Paths use "\" between directories on every platform.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace files {

// Opens with a stdio mode; on failure cause is one of the cause codes below.
std::FILE* Open(const std::string& path, const char* mode, unsigned& cause);

// CreateDirectory with default security; false when it failed (it exists, say).
bool MakeDirectory(const std::string& path);

// The file's length from its status, without opening it.
bool StatusSize(const std::string& path, uint32_t& size);
// The file's modification time from its status, in seconds.
bool StatusTime(const std::string& path, int64_t& seconds);
// Takes the read-only attribute away (FILE_ATTRIBUTE_NORMAL).
bool SetNormalAttributes(const std::string& path);

// Calls visit for every entry of the directory, in the file system's order,
// "." and ".." included. False when the directory cannot be listed.
bool ForEachEntry(const std::string& dir, const std::function<void(const std::string& name, bool isDir)>& visit);

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

// The Windows and System directories as Windows gives them (256-byte
// buffers, no "\" added); empty on the host build.
std::string WindowsDirectory();
std::string SystemDirectory();

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
