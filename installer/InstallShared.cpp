// The shared-file step of the install run on Windows: the System directory,
// VerFindFileA, short names and the installer's block copy.
#include "Copy.h"
#include "Files.h"
#include "InstallRun.h"
#include "SharedFiles.h"

#include <windows.h>
#include <winver.h>

namespace {

// This step reads both directories, and VerFindFileA answers, in 260 bytes.
const unsigned DirectoryBuffer = 260;

// The block copy without progress reports nothing.
class QuietCopyHost : public CopyHost {
public:
    void ShowMessage(const std::string&, unsigned) override {}
    void StepProgress() override {}
    void EndWaitCursor() override {}
    bool ComponentChecked(int) override { return false; }
};

class Win32SharedFileHost : public SharedFileHost {
public:
    Win32SharedFileHost(int32_t& doneBytes, int32_t& currentFileBytes)
        : copy_(copyHost_, std::string(), std::string(), doneBytes, currentFileBytes)
    {
    }

    bool OnWindows95() override
    {
        OSVERSIONINFOA version = {};
        version.dwOSVersionInfoSize = sizeof version;
        GetVersionExA(&version);
        return version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
    }
    std::string WindowsDir() override { return files::WindowsDirectory(DirectoryBuffer); }
    std::string SystemDir() override { return files::SystemDirectory(DirectoryBuffer); }
    unsigned FindSharedFile(const std::string& name, const std::string& windowsDir,
                            const std::string& systemDir) override
    {
        // The declaration takes writable texts.
        std::string file = name, windows = windowsDir, system = systemDir;
        char current[DirectoryBuffer] = "", destination[DirectoryBuffer] = "";
        UINT currentLength = sizeof current, destinationLength = sizeof destination;
        return VerFindFileA(VFFF_ISSHAREDFILE, &file[0], &windows[0], &system[0], current, &currentLength,
                            destination, &destinationLength);
    }
    std::string ShortPath(const std::string& path) override { return files::ShortPath(path); }
    bool CopyOneFile(const std::string& source, const std::string& destination) override
    {
        return copy_.CopyOneFile(source, destination, false);
    }
    bool PutInPlace(const std::string& source, const std::string& target) override
    {
        return files::PutInPlace(source, target);
    }

private:
    QuietCopyHost copyHost_;
    CopyRun copy_;
};

}  // namespace

int InstallRun::ReplaceSharedFiles(const char* const* names, int count)
{
    Win32SharedFileHost host(doneBytes_, currentFileBytes_);
    return ::ReplaceSharedFiles(host, sourceDir_, names, count);
}
