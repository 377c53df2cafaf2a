// Stand-in for the display driver configurator that ships beside the demo,
// so that the sample CD's video setup launcher has something to start. It
// configures nothing: it appends to UvConfig.log in its current directory
// what it was given and what it found, and ends.
//
// While a file UvConfig.wait lies in the current directory it waits (at most
// a minute) before it ends, so that a test can see who waits for it.
#include <windows.h>

#include <cstdio>

namespace {

const char* const LogFile = "UvConfig.log";
const char* const WaitFile = "UvConfig.wait";
const DWORD LongestWaitMs = 60000;

bool Exists(const char* name)
{
    return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES;
}

void Log(const char* format, const char* text)
{
    std::FILE* log = std::fopen(LogFile, "a");
    if (!log)
        return;
    std::fprintf(log, format, text);
    std::fputc('\n', log);
    std::fclose(log);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    char flags[16];
    std::snprintf(flags, sizeof flags, "%lu", static_cast<unsigned long>(startup.dwFlags));

    Log("ran: %s", GetCommandLineA());
    Log("arguments: [%s]", arguments);
    Log("startup flags: %s", flags);
    Log("Univbe.drv: %s", Exists("Univbe.drv") ? "present" : "absent");
    Log("Uvconfig.dat: %s", Exists("Uvconfig.dat") ? "present" : "absent");
    const DWORD start = GetTickCount();
    while (Exists(WaitFile) && GetTickCount() - start < LongestWaitMs)
        Sleep(50);
    Log("ended%s", "");
    return 0;
}
