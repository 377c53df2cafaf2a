#include "WindowProbe.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>

namespace {

// How long one cross-process message may take before the window counts as
// not answering.
const UINT kMessageTimeoutMs = 1000;

// A message box is a dialog holding nothing but buttons, its text in a static
// with id 0xFFFF and its icon in a static with id 0x0440 (Wine; Windows uses
// 0x0014), present even when the box shows no icon. Ordinary dialogs label
// their controls with 0xFFFF statics too (IDC_STATIC), hence the icon test.
const int kBoxTextId = 0xFFFF;
const int kBoxIconIds[] = {0x0440, 0x0014};

struct EnumTop {
    const std::vector<DWORD>* pids;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND hwnd, LPARAM param)
{
    auto* state = reinterpret_cast<EnumTop*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (IsWindowVisible(hwnd) && std::find(state->pids->begin(), state->pids->end(), pid) != state->pids->end())
        state->found.push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param)
{
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> Descendants(HWND top)
{
    std::vector<HWND> children;
    EnumChildWindows(top, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

// Dialog templates store 16-bit ids: IDC_STATIC (-1) comes back as 0xFFFF.
long long NormalId(long long id)
{
    return id == -1 ? 0xFFFF : id;
}

bool IsMessageBox(const WindowInfo& info)
{
    if (info.className != "#32770")
        return false;
    bool text = false, icon = false, button = false;
    for (const ControlInfo& control : info.controls) {
        if (GetParent(control.hwnd) != info.hwnd)
            return false;
        if (control.className == "Button")
            button = true;
        else if (control.className != "Static")
            return false;
        else if (control.id == kBoxTextId)
            text = true;
        else if (std::find(std::begin(kBoxIconIds), std::end(kBoxIconIds), control.id) != std::end(kBoxIconIds))
            icon = true;
    }
    return text && icon && button;
}

} // namespace

std::vector<HWND> FindTopWindows(const std::vector<DWORD>& pids)
{
    EnumTop state{&pids, {}};
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

std::string ClassOf(HWND hwnd)
{
    char name[256];
    int length = GetClassNameA(hwnd, name, sizeof name);
    return std::string(name, length > 0 ? length : 0);
}

std::string ControlText(HWND hwnd)
{
    // A picture static's "text" is its resource id (an icon shows as "\xFF\x80").
    const LONG_PTR type = GetWindowLongPtrA(hwnd, GWL_STYLE) & SS_TYPEMASK;
    if ((type == SS_ICON || type == SS_BITMAP || type == SS_ENHMETAFILE) && ClassOf(hwnd) == "Static")
        return std::string();
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &length))
        return std::string();
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG,
                             kMessageTimeoutMs, &copied))
        return std::string();
    text.resize(std::min<size_t>(copied, length));
    return text;
}

// PBM_GETRANGE answers one limit when it is given no structure to fill,
// which another process could not pass.
bool ReadProgress(ControlInfo& control)
{
    DWORD_PTR value[3] = {};
    const UINT messages[3] = {PBM_GETRANGE, PBM_GETRANGE, PBM_GETPOS};
    const WPARAM which[3] = {TRUE, FALSE, 0};
    if (ClassOf(control.hwnd) != PROGRESS_CLASSA)
        return false;
    for (int i = 0; i < 3; ++i) {
        if (!SendMessageTimeoutA(control.hwnd, messages[i], which[i], 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                                 &value[i]))
            return false;
    }
    control.progressBar = true;
    control.low = static_cast<int>(value[0]);
    control.high = static_cast<int>(value[1]);
    control.position = static_cast<int>(value[2]);
    return true;
}

// CB_GETLBTEXT carries its buffer across processes (the system copies the
// text back), but under Wine an ANSI request from another process comes
// back in UTF-16: the entries are asked for in UTF-16 and turned into the
// ANSI code page here.
bool ComboItems(HWND hwnd, std::vector<std::string>& items)
{
    items.clear();
    if (ClassOf(hwnd) != "ComboBox")
        return false;
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutW(hwnd, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &count) ||
        static_cast<LONG_PTR>(count) < 0)
        return false;
    for (DWORD_PTR i = 0; i < count; ++i) {
        DWORD_PTR length = 0;
        if (!SendMessageTimeoutW(hwnd, CB_GETLBTEXTLEN, i, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &length) ||
            static_cast<LONG_PTR>(length) < 0)
            return false;
        std::wstring wide(length + 1, L'\0');
        DWORD_PTR copied = 0;
        if (!SendMessageTimeoutW(hwnd, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&wide[0]), SMTO_ABORTIFHUNG,
                                 kMessageTimeoutMs, &copied) ||
            static_cast<LONG_PTR>(copied) < 0)
            return false;
        wide.resize(std::min<size_t>(copied, length));
        std::string text(wide.size() * 2 + 1, '\0');
        const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), &text[0],
                                              static_cast<int>(text.size()), nullptr, nullptr);
        text.resize(bytes > 0 ? bytes : 0);
        items.push_back(text);
    }
    return true;
}

BoxIcon ReadBoxIcon(HWND box)
{
    auto icon = static_cast<int>(reinterpret_cast<INT_PTR>(GetPropA(box, kBoxIconProperty)));
    return icon > 0 && icon <= static_cast<int>(BoxIcon::Other) ? static_cast<BoxIcon>(icon) : BoxIcon::Unknown;
}

bool SetControlText(HWND hwnd, const std::string& text)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                               kMessageTimeoutMs, &result) &&
           result;
}

WindowInfo DescribeWindow(HWND hwnd)
{
    WindowInfo info;
    info.hwnd = hwnd;
    GetWindowThreadProcessId(hwnd, &info.pid);
    info.className = ClassOf(hwnd);
    // A top-level window's caption is kept by the system: no message needed.
    char title[512];
    int length = GetWindowTextA(hwnd, title, sizeof title);
    info.title.assign(title, length > 0 ? length : 0);
    for (HWND child : Descendants(hwnd)) {
        ControlInfo control;
        control.hwnd = child;
        control.id = GetDlgCtrlID(child);
        control.className = ClassOf(child);
        control.text = ControlText(child);
        control.visible = IsWindowVisible(child);
        control.enabled = IsWindowEnabled(child);
        if (control.className == "Button") {
            DWORD_PTR state = 0;
            SendMessageTimeoutA(child, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &state);
            control.checked = state == BST_CHECKED;
        }
        ReadProgress(control);
        info.controls.push_back(control);
    }
    info.messageBox = IsMessageBox(info);
    if (info.messageBox) {
        for (const ControlInfo& control : info.controls) {
            if (control.id == kBoxTextId && control.className == "Static")
                info.boxText = control.text;
        }
        info.icon = ReadBoxIcon(hwnd);
        info.boxText.erase(std::remove(info.boxText.begin(), info.boxText.end(), '\r'), info.boxText.end());
    }
    return info;
}

HWND FindControl(HWND top, long long id)
{
    HWND hidden = nullptr;
    for (HWND child : Descendants(top)) {
        if (NormalId(GetDlgCtrlID(child)) != NormalId(id))
            continue;
        if (IsWindowVisible(child))
            return child;
        if (!hidden)
            hidden = child;
    }
    return hidden;
}

std::string WithoutMnemonics(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        out += text[i];
    }
    return out;
}
