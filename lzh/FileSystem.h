// The few file-system calls the archive reader needs, one file per platform.
#pragma once

#include <cstdint>
#include <cstdio>

namespace lzhfs {

// Opens with stdio mode text and no sharing restriction. Names use "\" as
// the directory separator on every platform.
std::FILE* OpenShared(const char* name, const char* mode);

// CreateDirectory semantics: failure (an existing directory, say) is the caller's to ignore.
bool MakeDirectory(const char* name);

// The file's last-write time as MS-DOS time and date.
bool GetDosStamp(std::FILE* file, uint16_t& time, uint16_t& date);

// Sets the last-write time from an MS-DOS stamp taken as is, without any
// local-to-UTC conversion. Flushes the stream first so that no later write
// moves the time again.
bool SetDosStamp(std::FILE* file, uint16_t time, uint16_t date);

// Byte reads on a stream owned by a single thread, without stdio's locking
// where the platform offers that.
inline int GetChar(std::FILE* file)
{
#if defined(_WIN32) && !defined(_UCRT)
    // msvcrt's getc locks the stream at every byte; its headers' unlocked
    // form reads the buffer directly and lets _filbuf refill it.
    return _getc_nolock(file);
#elif defined(_WIN32)
    return std::getc(file);
#else
    return getc_unlocked(file);
#endif
}

inline bool AtEof(std::FILE* file)
{
#if defined(_WIN32) && !defined(_UCRT)
    return (file->_flag & _IOEOF) != 0;
#elif defined(_WIN32)
    return std::feof(file) != 0;
#else
    return feof_unlocked(file) != 0;
#endif
}

}  // namespace lzhfs
