// Escrano, the video setup launcher: it resets the display driver
// configurator that ships beside the demo and runs it. It has no window,
// shows no message, ignores its command line and always ends with 0.
#include "Files.h"

#include <windows.h>

namespace {

// The configurator's files, relative to the current directory: it rebuilds
// them when it analyses the card again.
const char* const DriverFile = "Univbe.drv";
const char* const DataFile = "Uvconfig.dat";

}  // namespace

#if defined(_WIN32) && !defined(_WIN64)
// The record as Windows 95 knows it.
static_assert(sizeof(STARTUPINFOA) == 68, "STARTUPINFOA is 68 bytes on 32-bit Windows");
#endif

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // A missing file is no error.
    files::RemoveFile(DriverFile);
    files::RemoveFile(DataFile);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // CreateProcessA may write into the command line: it must not be
    // constant. "-noanalyse" skips the configurator's hardware probe.
    char command[] = "UvConfig.exe -noanalyse";
    if (CreateProcessA(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        WaitForSingleObject(process.hProcess, INFINITE);
    // The handles go with the process.
    return 0;
}
