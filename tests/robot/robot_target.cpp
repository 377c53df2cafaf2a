// robot_target: a small dialog program for the UI robot's tests.
//
// The dialog has a name field (1000, "Morvadin" at the start), the working
// directory in a static (1004), a disabled button (1002), a hidden one (1005),
// a progress bar (1007, range 0 to 3, at 1), a colour list (1008: rojo,
// verde, azul; a pick shows "elegido: COLOUR" in 1009), a disabled list
// (1010, "N/A") and:
//   Mostrar (1001)   shows the name in an information box, then asks
//                    "¿Desea ejecutarlo?" (Yes/No, question icon) and ends
//                    with 10 for Yes, 20 for No
//   Avisar (1006)    shows a warning (exclamation icon), then waits again
//   Fallar (1003)    writes through a null pointer
//   Aceptar (IDOK)   ends with 0; Cancelar, Escape or closing end with 2
//
//   robot_target --error-first   first shows an error box (stop icon) nobody
//                                asked for
//   robot_target --welcome       first shows a welcome dialog (statics and
//                                buttons only): Continuar goes on to the main
//                                dialog, Salir asks "¿Desea salir?" (OK/Cancel,
//                                no icon) and OK ends with 3
//   robot_target --quit-after MS ends the main dialog with 5 after MS ms
//   robot_target --end-at-once HEX ends with the status HEX before any window
#include "robot_target_res.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

const char kCaption[] = "Instalador de Demo Morvadin Brumaria";
const UINT_PTR kQuitTimer = 1;
UINT g_quitAfterMs = 0;

void ShowName(HWND dialog)
{
    char name[256];
    GetDlgItemTextA(dialog, IDC_NAME, name, sizeof name);
    MessageBoxA(dialog, name, kCaption, MB_OK | MB_ICONINFORMATION);
    int answer = MessageBoxA(dialog, "¿Desea ejecutarlo?", kCaption, MB_YESNO | MB_ICONQUESTION);
    EndDialog(dialog, answer == IDYES ? 10 : 20);
}

void Crash()
{
    volatile int* nowhere = nullptr;
    *nowhere = 1;
}

INT_PTR CALLBACK MainProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: {
        char folder[MAX_PATH] = "";
        GetCurrentDirectoryA(sizeof folder, folder);
        SetDlgItemTextA(dialog, IDC_NAME, "Morvadin");
        SetDlgItemTextA(dialog, IDC_FOLDER, folder);
        SendDlgItemMessageA(dialog, IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 3));
        SendDlgItemMessageA(dialog, IDC_PROGRESS, PBM_SETPOS, 1, 0);
        for (const char* colour : {"rojo", "verde", "azul"})
            SendDlgItemMessageA(dialog, IDC_COLOUR, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(colour));
        SendDlgItemMessageA(dialog, IDC_COLOUR, CB_SETCURSEL, 0, 0);
        SendDlgItemMessageA(dialog, IDC_NO_CHOICE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("N/A"));
        if (g_quitAfterMs)
            SetTimer(dialog, kQuitTimer, g_quitAfterMs, nullptr);
        return TRUE;
    }
    case WM_TIMER:
        EndDialog(dialog, 5);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_SHOW: ShowName(dialog); return TRUE;
        case IDC_WARN:
            MessageBoxA(dialog, "Cuidado: el disco está casi lleno.", kCaption, MB_OK | MB_ICONEXCLAMATION);
            return TRUE;
        case IDC_CRASH: Crash(); return TRUE;
        case IDC_DISABLED: EndDialog(dialog, 99); return TRUE;
        case IDC_COLOUR:
            if (HIWORD(wParam) == CBN_SELCHANGE) {
                char colour[32] = "", text[64];
                GetDlgItemTextA(dialog, IDC_COLOUR, colour, sizeof colour);
                wsprintfA(text, "elegido: %s", colour);
                SetDlgItemTextA(dialog, IDC_CHOSEN, text);
            }
            return TRUE;
        case IDOK: EndDialog(dialog, 0); return TRUE;
        case IDCANCEL: EndDialog(dialog, 2); return TRUE;
        }
        break;
    }
    return FALSE;
}

INT_PTR CALLBACK WelcomeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message != WM_COMMAND)
        return FALSE;
    if (LOWORD(wParam) == IDOK)
        EndDialog(dialog, IDOK);
    if (LOWORD(wParam) == IDCANCEL && MessageBoxA(dialog, "¿Desea salir?", kCaption, MB_OKCANCEL) == IDOK)
        EndDialog(dialog, IDCANCEL);
    return TRUE;
}

// Under the robot's debugger a C++ exception is first reported to the robot,
// which must hand it back to this handler; otherwise the program dies of it.
__attribute__((noinline)) void ThrowAndCatch()
{
    try {
        throw std::runtime_error("prueba");
    } catch (const std::runtime_error&) {
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    ThrowAndCatch();
    InitCommonControls();
    OutputDebugStringA("robot_target: inicio\n");
    if (const char* end = std::strstr(commandLine, "--end-at-once "))
        ExitProcess(static_cast<UINT>(std::strtoul(end + 14, nullptr, 16)));
    if (const char* quit = std::strstr(commandLine, "--quit-after "))
        g_quitAfterMs = static_cast<UINT>(std::strtoul(quit + 13, nullptr, 10));
    if (std::strstr(commandLine, "--error-first"))
        MessageBoxA(nullptr, "No se encuentra el archivo RESOURCE.LZH.", kCaption, MB_OK | MB_ICONERROR);
    if (std::strstr(commandLine, "--welcome") &&
        DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_WELCOME), nullptr, WelcomeProc, 0) != IDOK)
        return 3;
    return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainProc, 0));
}
