#include "EntryName.h"

#include <cctype>
#include <cstring>

namespace lzh {
namespace {

// Device names that open the device itself in any directory and with any extension.
const char* const ReservedNames[] = {
    "CON", "PRN", "AUX", "NUL",
    "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8", "COM9",
    "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9",
};

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool IsReservedDevice(const char* part, std::size_t length)
{
    // "CON.TXT" and "con " open the console as well.
    std::size_t base = 0;
    while (base < length && part[base] != '.')
        ++base;
    while (base > 0 && part[base - 1] == ' ')
        --base;
    for (const char* reserved : ReservedNames) {
        std::size_t n = std::strlen(reserved);
        if (n != base)
            continue;
        std::size_t i = 0;
        while (i < n && std::toupper(static_cast<unsigned char>(part[i])) == reserved[i])
            ++i;
        if (i == n)
            return true;
    }
    return false;
}

bool IsSafeComponent(const char* part, std::size_t length)
{
    // Windows drops trailing dots and spaces, so ".", "..", "... " and "..."
    // (which Windows 95 reads as the grandparent) all name a parent, and " "
    // names nothing.
    std::size_t kept = length;
    while (kept > 0 && (part[kept - 1] == '.' || part[kept - 1] == ' '))
        --kept;
    if (kept == 0)
        return false;
    return !IsReservedDevice(part, length);
}

}  // namespace

bool IsSafeEntryName(const char* name)
{
    for (const char* p = name; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c < 0x20 || c == 0x7F || std::strchr(":*?\"<>|", c))
            return false;
    }
    const char* part = name;
    for (;;) {
        const char* end = part;
        while (*end && !IsSeparator(*end))
            ++end;
        if (!IsSafeComponent(part, static_cast<std::size_t>(end - part)))
            return false;
        if (!*end)
            return true;
        part = end + 1;
    }
}

}  // namespace lzh
