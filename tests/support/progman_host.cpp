// Wine's own Program Manager DDE server in a process of its own, for tests
// that need a real peer: shell32's ShellDDEInit (ordinal 188) answers
// "PROGMAN" and turns groups into Start Menu folders and items into
// shortcuts.
//
//   progman_host READY-EVENT QUIT-EVENT
//
// It sets READY-EVENT once the server is up and ends when QUIT-EVENT is set
// (or after a minute).
#include <cstdio>
#include <cstring>
#include <string>
#include <windows.h>
#include <ole2.h>

namespace {

using ShellDdeInit = BOOL(WINAPI*)(BOOL);

// Programs this process starts: no explorer windows for the groups, and no
// menu entries on the machine that runs Wine.
void KeepChildrenAway()
{
    char overrides[1024] = "";
    GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides);
    std::string text = overrides;
    if (!text.empty())
        text += ';';
    text += "explorer.exe=d;winemenubuilder.exe=d";
    SetEnvironmentVariableA("WINEDLLOVERRIDES", text.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: progman_host READY-EVENT QUIT-EVENT\n");
        return 2;
    }
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
    HANDLE quit = OpenEventA(SYNCHRONIZE, FALSE, argv[2]);
    if (!ready || !quit) {
        std::fprintf(stderr, "progman_host: no events %s, %s\n", argv[1], argv[2]);
        return 2;
    }
    // The server needs a desktop: the first window brings it up, before
    // explorer is turned off for what follows.
    HWND window = CreateWindowA("STATIC", "progman_host", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    KeepChildrenAway();
    OleInitialize(nullptr);
    HMODULE shell = LoadLibraryA("shell32.dll");
    auto init = shell ? reinterpret_cast<ShellDdeInit>(reinterpret_cast<void*>(GetProcAddress(shell, MAKEINTRESOURCEA(188))))
                      : nullptr;
    if (!init) {
        std::fprintf(stderr, "progman_host: shell32 has no ShellDDEInit\n");
        return 1;
    }
    init(TRUE);
    SetEvent(ready);

    const DWORD end = GetTickCount() + 60000;
    for (;;) {
        const DWORD now = GetTickCount();
        if (static_cast<LONG>(end - now) <= 0)
            break;
        if (MsgWaitForMultipleObjects(1, &quit, FALSE, end - now, QS_ALLINPUT) == WAIT_OBJECT_0)
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
