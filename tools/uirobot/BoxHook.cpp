// uirobothook.dll: test tooling that the robot hooks into the program under
// test (SetWindowsHookExA with WH_CBT on its main thread; the system loads
// this library into the target for the hook). Every dialog the thread
// creates is subclassed until it has handled WM_INITDIALOG: a message box
// then has its icon, and is not shown yet. The icon is compared with the
// system's own and left on the box as the property kBoxIconProperty
// (BoxIcon.h), before the robot can see the box; the dialog's own window
// procedure is put back.
//
// Not WH_CALLWNDPROCRET, which would see WM_INITDIALOG directly: under Wine
// that hook routes every sent message of the thread through a callback whose
// dispatcher swallows exceptions, so a crashing window procedure would no
// longer end the program.
#include "BoxIcon.h"

#include <windows.h>

namespace {

// A message box's text static (0xFFFF) and icon static (0x0440 under Wine,
// 0x0014 under Windows).
const int kBoxTextId = 0xFFFF;
const int kBoxIconIds[] = {0x0440, 0x0014};
// Where a subclassed dialog keeps its own window procedure.
const char kOriginalProperty[] = "uirobot.proc";

HWND BoxIconControl(HWND dialog)
{
    if (!GetDlgItem(dialog, kBoxTextId))
        return nullptr;
    for (int id : kBoxIconIds) {
        if (HWND icon = GetDlgItem(dialog, id))
            return icon;
    }
    return nullptr;
}

// System icons are shared: LoadIcon gives this process the very handle that
// the message box was given.
BoxIcon Identify(HICON shown)
{
    static const struct {
        LPCSTR id;
        BoxIcon icon;
    } kIcons[] = {
        {IDI_ASTERISK, BoxIcon::Information},
        {IDI_EXCLAMATION, BoxIcon::Exclamation},
        {IDI_HAND, BoxIcon::Stop},
        {IDI_QUESTION, BoxIcon::Question},
    };
    if (!shown)
        return BoxIcon::None;
    for (const auto& known : kIcons) {
        if (LoadIconA(nullptr, known.id) == shown)
            return known.icon;
    }
    return BoxIcon::Other;
}

LRESULT CALLBACK DialogUntilInit(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto original = reinterpret_cast<WNDPROC>(GetPropA(hwnd, kOriginalProperty));
    LRESULT result = CallWindowProcW(original, hwnd, message, wParam, lParam);
    if (message == WM_INITDIALOG || message == WM_NCDESTROY) {
        if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)) == DialogUntilInit)
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        RemovePropA(hwnd, kOriginalProperty);
    }
    HWND control = message == WM_INITDIALOG ? BoxIconControl(hwnd) : nullptr;
    if (control) {
        auto shown = reinterpret_cast<HICON>(SendMessageW(control, STM_GETICON, 0, 0));
        SetPropA(hwnd, kBoxIconProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(Identify(shown))));
    }
    return result;
}

bool IsDialog(HWND hwnd)
{
    char name[8];
    return GetClassNameA(hwnd, name, sizeof name) == 6 && lstrcmpA(name, "#32770") == 0;
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK BoxHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    auto hwnd = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_CREATEWND && IsDialog(hwnd)) {
        SetPropA(hwnd, kOriginalProperty, reinterpret_cast<HANDLE>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)));
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DialogUntilInit));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
