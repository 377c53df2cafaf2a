// A stand-in Program Manager for the DDE client's tests: it answers service
// and topic "PROGMAN" and appends every conversation and execute transaction
// to a log, one line each:
//   connect
//   execute LENGTH HEX-BYTES
//   disconnect
//   shown               (its hidden "Progman" window was shown)
//
//   progman_recorder LOG ack|refuse|block READY-EVENT QUIT-EVENT
//
// Executes are acknowledged (ack), answered "not processed" (refuse) or left
// blocked so that the client times out (block). It sets READY-EVENT once the
// service is registered and ends when QUIT-EVENT is set (or after a minute).
#include <cstdio>
#include <cstring>
#include <string>
#include <windows.h>
#include <ddeml.h>

namespace {

DWORD instance = 0;
HSZ service = nullptr;
const char* logPath = nullptr;
std::string mode;

void Log(const std::string& line)
{
    if (FILE* log = std::fopen(logPath, "ab")) {
        std::fprintf(log, "%s\n", line.c_str());
        std::fclose(log);
    }
}

std::string Execute(HDDEDATA data)
{
    const DWORD length = DdeGetData(data, nullptr, 0, 0);
    std::string bytes(length, '\0');
    DdeGetData(data, reinterpret_cast<BYTE*>(&bytes[0]), length, 0);
    std::string line = "execute " + std::to_string(length) + " ";
    for (unsigned char c : bytes) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", c);
        line += hex;
    }
    return line;
}

HDDEDATA CALLBACK Callback(UINT type, UINT, HCONV, HSZ topic, HSZ, HDDEDATA data, ULONG_PTR, ULONG_PTR)
{
    switch (type) {
    case XTYP_CONNECT:
        return reinterpret_cast<HDDEDATA>(static_cast<INT_PTR>(DdeCmpStringHandles(topic, service) == 0));
    case XTYP_CONNECT_CONFIRM:
        Log("connect");
        return nullptr;
    case XTYP_DISCONNECT:
        Log("disconnect");
        return nullptr;
    case XTYP_EXECUTE:
        Log(Execute(data));
        if (mode == "block")
            return CBR_BLOCK;
        return reinterpret_cast<HDDEDATA>(mode == "refuse" ? DDE_FNOTPROCESSED : DDE_FACK);
    default:
        return nullptr;
    }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_WINDOWPOSCHANGED && (reinterpret_cast<WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW))
        Log("shown");
    return DefWindowProcA(window, message, wParam, lParam);
}

// The window the client looks for by its class: hidden and minimised.
HWND CreateProgmanWindow()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "Progman";
    RegisterClassA(&windowClass);
    return CreateWindowA("Progman", "Program Manager", WS_OVERLAPPEDWINDOW | WS_MINIMIZE, 0, 0, 200, 100, nullptr,
                         nullptr, windowClass.hInstance, nullptr);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: progman_recorder LOG ack|refuse|block READY-EVENT QUIT-EVENT\n");
        return 2;
    }
    logPath = argv[1];
    mode = argv[2];
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[3]);
    HANDLE quit = OpenEventA(SYNCHRONIZE, FALSE, argv[4]);
    if (!ready || !quit) {
        std::fprintf(stderr, "progman_recorder: no events %s, %s\n", argv[3], argv[4]);
        return 2;
    }
    HWND window = CreateProgmanWindow();
    if (DdeInitializeA(&instance, Callback, APPCLASS_STANDARD, 0) != DMLERR_NO_ERROR) {
        std::fprintf(stderr, "progman_recorder: DdeInitializeA failed\n");
        return 1;
    }
    service = DdeCreateStringHandleA(instance, "PROGMAN", CP_WINANSI);
    DdeNameService(instance, service, nullptr, DNS_REGISTER);
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
    DdeNameService(instance, service, nullptr, DNS_UNREGISTER);
    DdeFreeStringHandle(instance, service);
    DdeUninitialize(instance);
    DestroyWindow(window);
    return 0;
}
