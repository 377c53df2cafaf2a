// Shared files of the installation, put into the Windows System directory.
// A System copy at least as new as the one in the source directory stays;
// otherwise the new copy takes its place at once or, when the old one is in
// use, at the next start of Windows, which carries out the [Rename] section
// of WININIT.INI before anything can hold the file.
#pragma once

#include <string>

// What the step needs from the system.
class SharedFileHost {
public:
    virtual ~SharedFileHost() = default;
    // GetVersionExA's platform is VER_PLATFORM_WIN32_WINDOWS: WININIT.INI works.
    virtual bool OnWindows95() = 0;
    // As GetWindowsDirectoryA and GetSystemDirectoryA give them, without a
    // "\" at the end.
    virtual std::string WindowsDir() = 0;
    virtual std::string SystemDir() = 0;
    // VerFindFileA(VFFF_ISSHAREDFILE, name, windowsDir, systemDir, ...)'s result.
    virtual unsigned FindSharedFile(const std::string& name, const std::string& windowsDir,
                                    const std::string& systemDir) = 0;
    // GetShortPathNameA of an existing path; empty when it has none.
    virtual std::string ShortPath(const std::string& path) = 0;
    // The installer's block copy, without progress.
    virtual bool CopyOneFile(const std::string& source, const std::string& destination) = 0;
    // Puts source in target's place; false, target as it was, when target is
    // in use.
    virtual bool PutInPlace(const std::string& source, const std::string& target) = 0;
};

// VerFindFileA's answer that the file lies elsewhere than where it belongs.
const unsigned VffCurNeDest = 1;

// Suffix of the new copy that waits in the System directory for the restart.
extern const char* const WaitingCopySuffix;

// Installs every named file (a bare name, looked up in sourceDir, which ends
// in "\") into the System directory. Returns 1 when at least one file was
// scheduled for replacement at the next start of Windows, else 0. Nothing is
// scheduled for a file missing from sourceDir, for a new copy that could not
// be made whole, nor for a file in use whose name is a long one.
int ReplaceSharedFiles(SharedFileHost& host, const std::string& sourceDir, const char* const* names, int count);
