// Holds files open without sharing, as a running program holds its DLLs, for
// the shared-file tests:
//
//   hold_files READY PATH...
//
// opens every PATH for reading with share mode 0, then writes READY (one
// line "held") and keeps the files until READY is deleted (at most two
// minutes) or Windows ends the session. Like any program with a window it
// ends when the session does: a restart of Windows does not find it
// running. Exit code 1 when a file cannot be opened.
#include <windows.h>

#include <cstdio>

namespace {

LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Windows ends a program once it has answered WM_ENDSESSION.
    if (message == WM_ENDSESSION && wParam)
        ExitProcess(0);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: hold_files READY PATH...\n");
        return 2;
    }
    for (int i = 2; i < argc; i++) {
        HANDLE file = CreateFileA(argv[i], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            std::fprintf(stderr, "hold_files: cannot open %s (error %lu)\n", argv[i], GetLastError());
            return 1;
        }
    }
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "HoldFiles";
    RegisterClassA(&windowClass);
    CreateWindowA("HoldFiles", "hold_files", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                  windowClass.hInstance, nullptr);

    std::FILE* ready = std::fopen(argv[1], "w");
    if (!ready)
        return 1;
    std::fputs("held\n", ready);
    std::fclose(ready);
    const DWORD start = GetTickCount();
    while (GetFileAttributesA(argv[1]) != INVALID_FILE_ATTRIBUTES && GetTickCount() - start < 120000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    }
    return 0;
}
