// Wine's own Program Manager DDE server in a process of its own, for tests
// that need a real peer: shell32's ShellDDEInit (ordinal 188) answers
// "PROGMAN" and turns groups into Start Menu folders and items into
// shortcuts.
//
//   progman_host READY-EVENT QUIT-EVENT
//   progman_host --while FILE
//
// It sets READY-EVENT (or prints "ready") once the server is up and ends when
// QUIT-EVENT is set (or FILE is gone), or after two minutes at the latest.
// The second form serves scripts.
#include <cstdio>
#include <cstring>
#include <string>
#include <windows.h>
#include <ole2.h>
#include <winreg.h>

namespace {

using ShellDdeInit = BOOL(WINAPI*)(BOOL);

// Programs the server would start, turned off in the prefix while it runs:
// explorer, which opens a window on every group it is told to create or
// show, and winemenubuilder, which copies shortcuts into the menus of the
// machine that runs Wine. Only the registry reaches them: a program's load
// order comes from the Unix environment it was started with, which a Windows
// process cannot change for its children. The desktop, started before, stays.
class DisabledPrograms {
public:
    DisabledPrograms()
    {
        if (RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", &key_) != ERROR_SUCCESS)
            return;
        for (Saved& saved : saved_) {
            DWORD size = sizeof saved.value - 1;
            saved.existed = RegQueryValueExA(key_, saved.name, nullptr, nullptr,
                                             reinterpret_cast<BYTE*>(saved.value), &size) == ERROR_SUCCESS;
            saved.value[saved.existed ? size : 0] = '\0';
            RegSetValueExA(key_, saved.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
        }
    }
    ~DisabledPrograms()
    {
        if (!key_)
            return;
        for (const Saved& saved : saved_) {
            if (saved.existed)
                RegSetValueExA(key_, saved.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(saved.value),
                               static_cast<DWORD>(std::strlen(saved.value) + 1));
            else
                RegDeleteValueA(key_, saved.name);
        }
        RegCloseKey(key_);
    }

private:
    struct Saved {
        const char* name;
        bool existed;
        char value[64];
    };
    HKEY key_ = nullptr;
    Saved saved_[2] = {{"explorer.exe", false, ""}, {"winemenubuilder.exe", false, ""}};
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: progman_host READY-EVENT QUIT-EVENT | --while FILE\n");
        return 2;
    }
    const bool byFile = std::strcmp(argv[1], "--while") == 0;
    HANDLE ready = byFile ? nullptr : OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
    HANDLE quit = byFile ? nullptr : OpenEventA(SYNCHRONIZE, FALSE, argv[2]);
    if (!byFile && (!ready || !quit)) {
        std::fprintf(stderr, "progman_host: no events %s, %s\n", argv[1], argv[2]);
        return 2;
    }
    // The server needs a desktop: the first window brings it up, before
    // explorer is turned off.
    HWND window = CreateWindowA("STATIC", "progman_host", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    DisabledPrograms disabled;
    OleInitialize(nullptr);
    HMODULE shell = LoadLibraryA("shell32.dll");
    auto init = shell ? reinterpret_cast<ShellDdeInit>(reinterpret_cast<void*>(GetProcAddress(shell, MAKEINTRESOURCEA(188))))
                      : nullptr;
    if (!init) {
        std::fprintf(stderr, "progman_host: shell32 has no ShellDDEInit\n");
        return 1;
    }
    init(TRUE);
    if (byFile) {
        std::printf("ready\n");
        std::fflush(stdout);
    } else {
        SetEvent(ready);
    }

    const DWORD end = GetTickCount() + 120000;
    for (;;) {
        const DWORD now = GetTickCount();
        if (static_cast<LONG>(end - now) <= 0)
            break;
        if (byFile && GetFileAttributesA(argv[2]) == INVALID_FILE_ATTRIBUTES)
            break;
        const DWORD wait = byFile ? 100 : end - now;
        if (MsgWaitForMultipleObjects(byFile ? 0 : 1, &quit, FALSE, wait, QS_ALLINPUT) == WAIT_OBJECT_0 && !byFile)
            break;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    init(FALSE);
    OleUninitialize();
    DestroyWindow(window);
    return 0;
}
