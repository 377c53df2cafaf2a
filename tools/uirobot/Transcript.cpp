#include "Transcript.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

namespace {

CRITICAL_SECTION g_lock;
ULONGLONG g_start;

void Write(bool stamped, const char* format, va_list args)
{
    char text[4096];
    std::vsnprintf(text, sizeof text, format, args);
    EnterCriticalSection(&g_lock);
    if (stamped) {
        ULONGLONG ms = GetTickCount64() - g_start;
        std::printf("[%4lu.%03lu] %s\n", (unsigned long)(ms / 1000), (unsigned long)(ms % 1000), text);
    } else {
        std::printf("             %s\n", text);
    }
    std::fflush(stdout);
    LeaveCriticalSection(&g_lock);
}

} // namespace

void TranscriptStart()
{
    InitializeCriticalSection(&g_lock);
    g_start = GetTickCount64();
}

void Say(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    Write(true, format, args);
    va_end(args);
}

void SayDetail(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    Write(false, format, args);
    va_end(args);
}

std::string Quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c != '\r')
            out += c;
    }
    return out + "\"";
}
