// The robot's commands about time, the target's processes and the registry.
#include "Robot.h"

#include "Transcript.h"

#include <algorithm>

namespace {

// HKLM\KEY\NAME or HKCU\KEY\NAME: the REG_DWORD value NAME of KEY. False,
// saying why in why, when it cannot be read.
bool ReadDword(const std::string& path, DWORD& value, std::string& why)
{
    const size_t root = path.find('\\'), name = path.rfind('\\');
    HKEY top = nullptr;
    if (root != std::string::npos && path.compare(0, root, "HKLM") == 0)
        top = HKEY_LOCAL_MACHINE;
    else if (root != std::string::npos && path.compare(0, root, "HKCU") == 0)
        top = HKEY_CURRENT_USER;
    if (!top || name == root) {
        why = "not HKLM\\KEY\\NAME or HKCU\\KEY\\NAME";
        return false;
    }
    HKEY key = nullptr;
    DWORD type = 0, size = sizeof value;
    LONG status = RegOpenKeyExA(top, path.substr(root + 1, name - root - 1).c_str(), 0, KEY_QUERY_VALUE, &key);
    if (status == ERROR_SUCCESS) {
        status = RegQueryValueExA(key, path.c_str() + name + 1, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
        RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS || type != REG_DWORD) {
        why = status != ERROR_SUCCESS ? "it cannot be read (error " + std::to_string(status) + ")" : "it is no REG_DWORD";
        return false;
    }
    return true;
}

} // namespace

bool Robot::Sleep(const ScriptCommand& c)
{
    ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(std::max(0LL, c.numbers[0]));
    return Wait(c, INFINITE, false, [&] { return GetTickCount64() >= until; }, [] { return std::string(); });
}

bool Robot::Timeout(const ScriptCommand& c)
{
    if (c.numbers[0] <= 0 || c.numbers[0] > 3600)
        return Fail(c, "a timeout is 1 to 3600 seconds");
    options_.timeoutMs = static_cast<DWORD>(c.numbers[0] * 1000);
    return true;
}

bool Robot::ExpectExit(const ScriptCommand& c)
{
    if (!Wait(c, options_.timeoutMs, false, [&] { return !target_.Running(); },
              [] { return std::string("expected the target to exit; it still runs"); }))
        return false;
    DWORD want = static_cast<DWORD>(c.numbers[0]);
    if (target_.ExitCode() != want) {
        return Fail(c, "expected exit code " + std::to_string(want) + "; the target exited with " +
                           std::to_string(target_.ExitCode()));
    }
    return true;
}

// The registry is live across processes: a value that a driver or another
// program updates is waited for like a window.
bool Robot::ExpectDword(const ScriptCommand& c)
{
    const DWORD want = static_cast<DWORD>(c.numbers[0]);
    DWORD value = 0;
    std::string why;
    auto ready = [&] {
        if (!ReadDword(c.text, value, why))
            return false;
        why = "it is " + std::to_string(value);
        return value == want;
    };
    if (!Wait(c, options_.timeoutMs, false, ready, [&] {
            return "expected " + c.text + " to be " + std::to_string(want) + "; " + why;
        }))
        return false;
    SayDetail("%s is %lu", c.text.c_str(), static_cast<unsigned long>(value));
    return true;
}
