#include "Robot.h"

#include "Screenshot.h"
#include "Transcript.h"

#include <algorithm>
#include <cstdio>

namespace {

const int kMaxFrames = 999;

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

std::string Seconds(DWORD ms)
{
    char text[32];
    std::snprintf(text, sizeof text, ms % 1000 ? "%.1f s" : "%.0f s", ms / 1000.0);
    return text;
}

std::string Kind(const WindowInfo& info)
{
    if (info.messageBox)
        return "message box";
    if (info.className == "#32770")
        return "dialog";
    return "window of class " + Quoted(info.className);
}

std::string Summary(int serial, const WindowInfo& info)
{
    std::string text = "#" + std::to_string(serial) + " " + Kind(info) + " " + Quoted(info.title);
    if (info.messageBox)
        text += ": " + Quoted(info.boxText);
    return text;
}

std::string WindowTitle(HWND hwnd)
{
    char title[512];
    int length = GetWindowTextA(hwnd, title, sizeof title);
    return std::string(title, length > 0 ? length : 0);
}

std::string IdList(std::vector<long long> ids)
{
    std::sort(ids.begin(), ids.end());
    std::string text;
    for (long long id : ids)
        text += (text.empty() ? "" : " ") + std::to_string(id);
    return text.empty() ? "none" : text;
}

std::vector<long long> VisibleButtons(HWND top)
{
    std::vector<long long> ids;
    for (const ControlInfo& control : DescribeWindow(top).controls) {
        if (control.visible && control.className == "Button")
            ids.push_back(control.id);
    }
    return ids;
}

// Why a control cannot take a click or text from a user, or "" when it can.
std::string Unusable(HWND control)
{
    if (!IsWindowVisible(control))
        return "it is hidden";
    if (!IsWindowEnabled(control))
        return "it is disabled";
    return std::string();
}

std::string Joined(const std::vector<std::string>& items)
{
    std::string text;
    for (size_t i = 0; i < items.size(); ++i)
        text += (i ? "|" : "") + items[i];
    return text;
}

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

int Robot::Run(const std::vector<ScriptCommand>& script)
{
    Poll();
    for (const ScriptCommand& c : script) {
        Say("line %d: %s", c.line, c.source.c_str());
        if (!Execute(c))
            break;
    }
    Finish();
    return status_;
}

bool Robot::Execute(const ScriptCommand& c)
{
    switch (c.op) {
    case Op::ExpectBox: return ExpectBox(c);
    case Op::ExpectButtons: return ExpectButtons(c);
    case Op::ExpectCaption: return ExpectCaption(c);
    case Op::ExpectIcon: return ExpectIcon(c);
    case Op::ExpectRange: return ExpectRange(c);
    case Op::ExpectText: return ExpectText(c);
    case Op::WaitWindow: return WaitWindow(c, Match::TitleContains);
    case Op::WaitClass: return WaitWindow(c, Match::Class);
    case Op::WaitTitle: return WaitWindow(c, Match::TitleEquals);
    case Op::Press: return Press(c, false);
    case Op::ClickButtonText: return Press(c, true);
    case Op::Command: return Command(c);
    case Op::Type: return Type(c);
    case Op::Read: return Read(c);
    case Op::Screenshot: return Screenshot(c);
    case Op::Record: return Record(c);
    case Op::StopRecording:
        if (recording_.active)
            StopRecording("stopped");
        else
            SayDetail("no recording runs");
        return true;
    case Op::Sleep: return Sleep(c);
    case Op::ExpectExit: return ExpectExit(c);
    case Op::ExpectNoWindow: return ExpectNoWindow(c);
    case Op::ExpectClosed: return ExpectClosed(c);
    case Op::ExpectClientSize: return ExpectClientSize(c);
    case Op::Select: return Select(c);
    case Op::ExpectItems: return ExpectItems(c);
    case Op::ExpectState: return ExpectState(c);
    case Op::Key: return Key(c);
    case Op::ExpectDword: return ExpectDword(c);
    case Op::Timeout:
        if (c.numbers[0] <= 0 || c.numbers[0] > 3600)
            return Fail(c, "a timeout is 1 to 3600 seconds");
        options_.timeoutMs = static_cast<DWORD>(c.numbers[0] * 1000);
        return true;
    case Op::Echo:
        SayDetail("%s", c.text.c_str());
        return true;
    case Op::Windows:
        Poll();
        for (const Seen& seen : seen_) {
            if (seen.open)
                ShowWindow(Seen{seen.serial, DescribeWindow(seen.info.hwnd), true, seen.expected}, "is open", true);
        }
        return true;
    }
    return Fail(c, "unknown command");
}

// Each box is matched once: after a press the old box may linger for a
// moment, and a following expect-box with the same text must not take it.
bool Robot::ExpectBox(const ScriptCommand& c)
{
    auto ready = [&] {
        for (size_t i = 0; i < seen_.size(); ++i) {
            Seen& seen = seen_[i];
            if (seen.open && seen.info.messageBox && !seen.expected && Contains(seen.info.boxText, c.text)) {
                seen.expected = true;
                current_ = static_cast<int>(i);
                SayDetail("matched message box #%d", seen.serial);
                return true;
            }
        }
        return false;
    };
    return Wait(c, options_.timeoutMs, true, ready,
                [&] { return "expected a message box whose text contains " + Quoted(c.text); });
}

// The newest window that fits: a program may open a second copy of a dialog.
bool Robot::WaitWindow(const ScriptCommand& c, Match match)
{
    auto fits = [&](const Seen& seen) {
        switch (match) {
        case Match::Class: return seen.info.className == c.text;
        case Match::TitleEquals: return WindowTitle(seen.info.hwnd) == c.text;
        case Match::TitleContains: break;
        }
        return Contains(WindowTitle(seen.info.hwnd), c.text);
    };
    auto ready = [&] {
        for (size_t i = seen_.size(); i-- > 0;) {
            Seen& seen = seen_[i];
            if (!seen.open || seen.info.messageBox)
                continue;
            if (fits(seen)) {
                seen.expected = true;
                current_ = static_cast<int>(i);
                SayDetail("matched window #%d", seen.serial);
                return true;
            }
        }
        return false;
    };
    return Wait(c, options_.timeoutMs, true, ready, [&] {
        const char* how = match == Match::Class          ? "of class "
                          : match == Match::TitleEquals ? "titled exactly "
                                                        : "whose title contains ";
        return std::string("expected a window (not a message box) ") + how + Quoted(c.text);
    });
}

bool Robot::ExpectButtons(const ScriptCommand& c)
{
    int current = Current(c);
    if (current < 0)
        return false;
    HWND hwnd = seen_[current].info.hwnd;
    std::vector<long long> want = c.numbers, seenIds;
    std::sort(want.begin(), want.end());
    auto ready = [&] {
        seenIds = VisibleButtons(hwnd);
        std::sort(seenIds.begin(), seenIds.end());
        return seenIds == want;
    };
    return Wait(c, options_.timeoutMs, true, ready, [&] {
        return "expected the buttons " + IdList(want) + " in window #" + std::to_string(seen_[current].serial) +
               "; it has " + IdList(seenIds);
    });
}

bool Robot::ExpectCaption(const ScriptCommand& c)
{
    int current = Current(c);
    if (current < 0)
        return false;
    std::string title;
    auto ready = [&] {
        title = WindowTitle(seen_[current].info.hwnd);
        return Contains(title, c.text);
    };
    return Wait(c, options_.timeoutMs, true, ready, [&] {
        return "expected the title of window #" + std::to_string(seen_[current].serial) + " to contain " +
               Quoted(c.text) + "; it is " + Quoted(title);
    });
}

// The hook library marks a box before it is shown: no need to wait.
bool Robot::ExpectIcon(const ScriptCommand& c)
{
    int current = Current(c);
    if (current < 0)
        return false;
    const Seen& seen = seen_[current];
    if (!seen.info.messageBox)
        return Fail(c, "window #" + std::to_string(seen.serial) + " is not a message box");
    BoxIcon shown = ReadBoxIcon(seen.info.hwnd);
    if (BoxIconName(shown) != c.text) {
        return Fail(c, "expected message box #" + std::to_string(seen.serial) + " to show the icon " + c.text +
                           "; it shows " +
                           (shown == BoxIcon::Unknown ? "one the robot cannot tell (no hook in its process)"
                                                      : std::string("the icon ") + BoxIconName(shown)));
    }
    SayDetail("message box #%d shows the icon %s", seen.serial, BoxIconName(shown));
    return true;
}

bool Robot::ExpectRange(const ScriptCommand& c)
{
    int current = Current(c);
    if (current < 0)
        return false;
    const long long id = c.numbers[0], low = c.numbers[1], high = c.numbers[2];
    ControlInfo bar;
    std::string why;
    auto ready = [&] {
        bar.hwnd = FindControl(seen_[current].info.hwnd, id);
        why = !bar.hwnd                ? "there is no such control"
              : !ReadProgress(bar)     ? "it is a control of class " + Quoted(ClassOf(bar.hwnd))
                                       : "it has the range " + std::to_string(bar.low) + "-" + std::to_string(bar.high);
        return bar.progressBar && bar.low == low && bar.high == high;
    };
    if (!Wait(c, options_.timeoutMs, true, ready, [&] {
            return "expected progress bar " + std::to_string(id) + " of window #" +
                   std::to_string(seen_[current].serial) + " to have the range " + std::to_string(low) + "-" +
                   std::to_string(high) + "; " + why;
        }))
        return false;
    SayDetail("progress bar %lld of window #%d: range %d-%d, position %d", id, seen_[current].serial, bar.low,
              bar.high, bar.position);
    return true;
}

bool Robot::ExpectText(const ScriptCommand& c)
{
    int current = Current(c);
    if (current < 0)
        return false;
    long long id = c.numbers[0];
    std::string text;
    bool found = false;
    auto ready = [&] {
        HWND control = FindControl(seen_[current].info.hwnd, id);
        found = control != nullptr;
        text = found ? ControlText(control) : std::string();
        return found && Contains(text, c.text);
    };
    return Wait(c, options_.timeoutMs, true, ready, [&] {
        return "expected control " + std::to_string(id) + " of window #" + std::to_string(seen_[current].serial) +
               " to contain " + Quoted(c.text) + "; " +
               (found ? "it holds " + Quoted(text) : "there is no such control");
    });
}

HWND Robot::WaitControl(const ScriptCommand& c, const std::string& what,
                        const std::function<HWND(HWND top, std::string& why)>& find)
{
    int current = Current(c);
    if (current < 0)
        return nullptr;
    HWND found = nullptr;
    std::string why = "there is none";
    auto ready = [&] {
        if (!seen_[current].open) {
            why = "the window has closed";
            return false;
        }
        found = find(seen_[current].info.hwnd, why);
        return found != nullptr;
    };
    bool ok = Wait(c, options_.timeoutMs, true, ready, [&] {
        return "expected " + what + " in window #" + std::to_string(seen_[current].serial) + "; " + why;
    });
    return ok ? found : nullptr;
}

// A posted BM_CLICK: a sent one would not return before the target's next
// modal loop (a message box opened by the click) ends.
bool Robot::Press(const ScriptCommand& c, bool byText)
{
    std::string what;
    std::function<HWND(HWND, std::string&)> find;
    if (byText) {
        what = "an enabled button labelled " + Quoted(c.text);
        find = [&](HWND top, std::string& why) -> HWND {
            std::string labels;
            bool disabled = false;
            for (const ControlInfo& control : DescribeWindow(top).controls) {
                if (control.className != "Button" || !control.visible)
                    continue;
                if (WithoutMnemonics(control.text) == WithoutMnemonics(c.text)) {
                    if (control.enabled)
                        return control.hwnd;
                    disabled = true;
                }
                labels += (labels.empty() ? "" : ", ") + Quoted(control.text);
            }
            why = disabled ? "it is disabled" : "its buttons are " + (labels.empty() ? std::string("none") : labels);
            return nullptr;
        };
    } else {
        what = "an enabled button " + std::to_string(c.numbers[0]);
        find = [&](HWND top, std::string& why) -> HWND {
            HWND control = FindControl(top, c.numbers[0]);
            why = control ? Unusable(control) : "there is no such control";
            if (control && why.empty() && ClassOf(control) != "Button")
                why = "it is a control of class " + Quoted(ClassOf(control));
            return why.empty() ? control : nullptr;
        };
    }
    HWND button = WaitControl(c, what, find);
    if (!button)
        return false;
    SayDetail("pressing button %d %s of window #%d", GetDlgCtrlID(button), Quoted(ControlText(button)).c_str(),
              seen_[current_].serial);
    PostMessageA(button, BM_CLICK, 0, 0);
    return true;
}

bool Robot::Command(const ScriptCommand& c)
{
    int current = Current(c);
    if (current < 0)
        return false;
    const Seen& seen = seen_[current];
    int id = static_cast<int>(c.numbers[0]);
    HWND control = FindControl(seen.info.hwnd, id);
    PostMessageA(seen.info.hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
    SayDetail("sent command %d to window #%d", id, seen.serial);
    return true;
}

bool Robot::Type(const ScriptCommand& c)
{
    long long id = c.numbers[0];
    HWND control = WaitControl(c, "an enabled control " + std::to_string(id), [&](HWND top, std::string& why) {
        HWND found = FindControl(top, id);
        why = found ? Unusable(found) : "there is no such control";
        return why.empty() ? found : nullptr;
    });
    if (!control)
        return false;
    if (!SetControlText(control, c.text))
        return Fail(c, "control " + std::to_string(id) + " did not take the text");
    SayDetail("control %d (%s) now holds %s", static_cast<int>(id), ClassOf(control).c_str(),
              Quoted(ControlText(control)).c_str());
    return true;
}

bool Robot::Read(const ScriptCommand& c)
{
    long long id = c.numbers[0];
    HWND control = WaitControl(c, "a control " + std::to_string(id), [&](HWND top, std::string& why) {
        why = "there is no such control";
        return FindControl(top, id);
    });
    if (!control)
        return false;
    SayDetail("control %d (%s%s): %s", static_cast<int>(id), ClassOf(control).c_str(),
              IsWindowVisible(control) ? "" : ", hidden", Quoted(ControlText(control)).c_str());
    return true;
}

bool Robot::Screenshot(const ScriptCommand& c)
{
    int current = Current(c);
    if (current < 0)
        return false;
    const Seen& seen = seen_[current];
    if (HeadlessDisplay()) {
        SayDetail("note: no screenshot written: Wine's null graphics driver draws nothing");
        return true;
    }
    std::string error;
    if (!CaptureWindow(seen.info.hwnd, c.text, error))
        return Fail(c, "no screenshot of window #" + std::to_string(seen.serial) + ": " + error);
    RECT rect;
    GetWindowRect(seen.info.hwnd, &rect);
    SayDetail("window #%d (%ldx%ld) written to %s", seen.serial, rect.right - rect.left, rect.bottom - rect.top,
              c.text.c_str());
    return true;
}

bool Robot::Record(const ScriptCommand& c)
{
    int current = Current(c);
    if (current < 0)
        return false;
    if (c.numbers[0] < 0 || c.numbers[0] > 60000)
        return Fail(c, "a recording takes a frame every 0 to 60000 milliseconds");
    if (recording_.active)
        StopRecording("replaced by a new one");
    if (HeadlessDisplay()) {
        SayDetail("note: nothing recorded: Wine's null graphics driver draws nothing");
        return true;
    }
    recording_ = Recording();
    recording_.active = true;
    recording_.hwnd = seen_[current].info.hwnd;
    recording_.serial = seen_[current].serial;
    recording_.prefix = c.text;
    recording_.intervalMs = static_cast<DWORD>(c.numbers[0]);
    recording_.start = recording_.next = GetTickCount64();
    SayDetail("recording window #%d every %lu ms as %s-NNN.bmp", recording_.serial, recording_.intervalMs,
              c.text.c_str());
    RecordFrame();
    return true;
}

void Robot::RecordFrame()
{
    if (!recording_.active || GetTickCount64() < recording_.next)
        return;
    if (!IsWindow(recording_.hwnd) || !IsWindowVisible(recording_.hwnd)) {
        StopRecording("the window has closed");
        return;
    }
    char name[16];
    std::snprintf(name, sizeof name, "-%03d.bmp", recording_.frames + 1);
    std::string error;
    if (!CaptureWindow(recording_.hwnd, recording_.prefix + name, error)) {
        StopRecording(error.c_str());
        return;
    }
    ++recording_.frames;
    recording_.last = GetTickCount64();
    recording_.next = recording_.last + recording_.intervalMs;
    if (recording_.frames == kMaxFrames)
        StopRecording("it has its 999 frames");
}

void Robot::StopRecording(const char* why)
{
    recording_.active = false;
    ULONGLONG span = recording_.frames ? recording_.last - recording_.start : 0;
    SayDetail("recording of window #%d ended (%s): %d frame%s in %llu.%03llu s", recording_.serial, why,
              recording_.frames, recording_.frames == 1 ? "" : "s", span / 1000, span % 1000);
}

bool Robot::Sleep(const ScriptCommand& c)
{
    ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(std::max(0LL, c.numbers[0]));
    return Wait(c, INFINITE, false, [&] { return GetTickCount64() >= until; }, [] { return std::string(); });
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

bool Robot::ExpectNoWindow(const ScriptCommand& c)
{
    auto ready = [&] {
        return std::none_of(seen_.begin(), seen_.end(), [](const Seen& seen) { return seen.open; });
    };
    return Wait(c, options_.timeoutMs, false, ready,
                [] { return std::string("expected the target to have no window open"); });
}

bool Robot::ExpectClosed(const ScriptCommand& c)
{
    // The window may already be gone: a pressed button often closes it at once.
    if (current_ < 0)
        return Fail(c, "there is no current window: expect-box, wait-window or wait-class chooses one");
    const int current = current_;
    return Wait(c, options_.timeoutMs, false, [&] { return !seen_[current].open; },
                [&] { return "expected window #" + std::to_string(seen_[current].serial) + " to close"; });
}

// The client area, as the window's own painting sees it.
bool Robot::ExpectClientSize(const ScriptCommand& c)
{
    int current = Current(c);
    if (current < 0)
        return false;
    const long long want[2] = {c.numbers[0], c.numbers[1]};
    long long width = -1, height = -1;
    auto ready = [&] {
        RECT rect;
        if (!GetClientRect(seen_[current].info.hwnd, &rect))
            return false;
        width = rect.right - rect.left;
        height = rect.bottom - rect.top;
        return width == want[0] && height == want[1];
    };
    if (!Wait(c, options_.timeoutMs, true, ready, [&] {
            return "expected window #" + std::to_string(seen_[current].serial) + " to have a client area of " +
                   std::to_string(want[0]) + " x " + std::to_string(want[1]) + "; it has " + std::to_string(width) +
                   " x " + std::to_string(height);
        }))
        return false;
    SayDetail("client area of window #%d: %lld x %lld", seen_[current].serial, width, height);
    return true;
}

// As a user picks an entry: the selection changes and the dialog hears of
// it (CBN_SELCHANGE), which CB_SETCURSEL alone does not tell it.
bool Robot::Select(const ScriptCommand& c)
{
    const long long id = c.numbers[0];
    int index = -1;
    HWND combo = WaitControl(c, "an enabled combo box " + std::to_string(id) + " with the entry " + Quoted(c.text),
                             [&](HWND top, std::string& why) -> HWND {
                                 HWND found = FindControl(top, id);
                                 std::vector<std::string> items;
                                 why = !found                      ? "there is no such control"
                                       : !ComboItems(found, items) ? "it is a control of class " +
                                                                         Quoted(ClassOf(found))
                                                                   : Unusable(found);
                                 if (!why.empty())
                                     return nullptr;
                                 auto at = std::find(items.begin(), items.end(), c.text);
                                 if (at == items.end()) {
                                     why = "its entries are " + Quoted(Joined(items));
                                     return nullptr;
                                 }
                                 index = static_cast<int>(at - items.begin());
                                 return found;
                             });
    if (!combo)
        return false;
    DWORD_PTR result = 0;
    SendMessageTimeoutA(combo, CB_SETCURSEL, index, 0, SMTO_ABORTIFHUNG, 1000, &result);
    PostMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    SayDetail("selected entry %d %s of combo box %lld", index, Quoted(c.text).c_str(), id);
    return true;
}

bool Robot::ExpectItems(const ScriptCommand& c)
{
    int current = Current(c);
    if (current < 0)
        return false;
    const long long id = c.numbers[0];
    std::string why;
    auto ready = [&] {
        HWND combo = FindControl(seen_[current].info.hwnd, id);
        std::vector<std::string> items;
        if (!combo) {
            why = "there is no such control";
            return false;
        }
        if (!ComboItems(combo, items)) {
            why = "it is a control of class " + Quoted(ClassOf(combo));
            return false;
        }
        why = "its entries are " + Quoted(Joined(items));
        return Joined(items) == c.text;
    };
    if (!Wait(c, options_.timeoutMs, true, ready, [&] {
            return "expected combo box " + std::to_string(id) + " of window #" + std::to_string(seen_[current].serial) +
                   " to hold the entries " + Quoted(c.text) + "; " + why;
        }))
        return false;
    SayDetail("combo box %lld holds %s", id, Quoted(c.text).c_str());
    return true;
}

bool Robot::ExpectState(const ScriptCommand& c)
{
    int current = Current(c);
    if (current < 0)
        return false;
    const long long id = c.numbers[0];
    std::string state = "missing";
    auto ready = [&] {
        HWND control = FindControl(seen_[current].info.hwnd, id);
        if (!control)
            return false;
        const bool visible = IsWindowVisible(control) != FALSE, enabled = IsWindowEnabled(control) != FALSE;
        state = std::string(visible ? "visible" : "hidden") + " and " + (enabled ? "enabled" : "disabled");
        return c.text == "visible" ? visible : c.text == "hidden" ? !visible : c.text == "enabled" ? enabled : !enabled;
    };
    if (!Wait(c, options_.timeoutMs, true, ready, [&] {
            return "expected control " + std::to_string(id) + " of window #" + std::to_string(seen_[current].serial) +
                   " to be " + c.text + "; it is " + state;
        }))
        return false;
    SayDetail("control %lld is %s", id, state.c_str());
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

// A key pressed in the current window goes to its control with the focus,
// as the keyboard would send it.
bool Robot::Key(const ScriptCommand& c)
{
    int current = Current(c);
    if (current < 0)
        return false;
    const HWND window = seen_[current].info.hwnd;
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    HWND target = window;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread) && thread.hwndFocus)
        target = thread.hwndFocus;
    const WPARAM key = c.text == "escape" ? VK_ESCAPE : VK_RETURN;
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
    SayDetail("pressed %s in control %d of window #%d", c.text.c_str(), GetDlgCtrlID(target), seen_[current].serial);
    return true;
}

bool Robot::Wait(const ScriptCommand& c, DWORD timeoutMs, bool needTarget, const Check& ready,
                 const Explain& explain)
{
    ULONGLONG start = GetTickCount64(), polled = 0;
    for (;;) {
        // While recording, frames come between looks at the windows, which
        // keep to the poll interval: each look costs the target time.
        ULONGLONG now = GetTickCount64();
        if (!recording_.active || now - polled >= options_.pollMs) {
            Poll();
            polled = now;
        }
        if (target_.Crashed()) {
            Say("FAIL line %d: %s", c.line, c.source.c_str());
            SayDetail("the target crashed");
            status_ = kTargetCrash;
            return false;
        }
        if (ready())
            return true;
        if (needTarget && target_.ProcessIds().empty()) {
            return Fail(c, explain() + "; but the target has ended (exit code " + std::to_string(target_.ExitCode()) +
                               ")");
        }
        if (timeoutMs != INFINITE && GetTickCount64() - start >= timeoutMs)
            return Fail(c, explain() + " (waited " + Seconds(timeoutMs) + ")");
        RecordFrame();
        DWORD pause = options_.pollMs;
        if (recording_.active) {
            ULONGLONG now = GetTickCount64();
            pause = recording_.next > now ? std::min<DWORD>(pause, static_cast<DWORD>(recording_.next - now)) : 0;
        }
        ::Sleep(pause);
    }
}

bool Robot::Fail(const ScriptCommand& c, const std::string& message)
{
    Say("FAIL line %d: %s", c.line, c.source.c_str());
    SayDetail("%s", message.c_str());
    ShowOpenWindows();
    if (status_ == kPassed)
        status_ = kFailed;
    return false;
}

int Robot::Current(const ScriptCommand& c)
{
    if (current_ < 0) {
        Fail(c, "there is no current window: expect-box, wait-window or wait-class chooses one");
        return -1;
    }
    Poll();
    if (!seen_[current_].open) {
        Fail(c, "the current window #" + std::to_string(seen_[current_].serial) + " has closed");
        return -1;
    }
    return current_;
}

void Robot::Poll()
{
    std::vector<HWND> open = FindTopWindows(target_.ProcessIds());
    for (Seen& seen : seen_) {
        if (seen.open && std::find(open.begin(), open.end(), seen.info.hwnd) == open.end()) {
            seen.open = false;
            Say("window #%d %s", seen.serial, IsWindow(seen.info.hwnd) ? "hidden" : "closed");
        }
    }
    // EnumWindows lists the topmost first; older windows lie below newer ones.
    for (auto it = open.rbegin(); it != open.rend(); ++it) {
        HWND hwnd = *it;
        bool known = std::any_of(seen_.begin(), seen_.end(),
                                 [&](const Seen& seen) { return seen.open && seen.info.hwnd == hwnd; });
        if (known)
            continue;
        Seen seen;
        seen.serial = static_cast<int>(seen_.size()) + 1;
        seen.info = DescribeWindow(hwnd);
        seen_.push_back(seen);
        ShowWindow(seen_.back(), "appeared", false);
    }
    if (!exitNoted_ && !target_.Running()) {
        exitNoted_ = true;
        if (!target_.Crashed())
            Say("the target exited with code %lu (0x%lX)", target_.ExitCode(), target_.ExitCode());
    }
}

void Robot::ShowWindow(const Seen& seen, const char* event, bool everything) const
{
    const WindowInfo& info = seen.info;
    Say("window #%d %s: %s %s (pid 0x%lX)", seen.serial, event, Kind(info).c_str(), Quoted(info.title).c_str(),
        info.pid);
    if (info.messageBox) {
        SayDetail("text: %s", Quoted(info.boxText).c_str());
        SayDetail("icon: %s", BoxIconName(info.icon));
    }
    int hidden = 0;
    for (const ControlInfo& control : info.controls) {
        if (info.messageBox && control.className == "Static" && !everything)
            continue;
        if (!control.visible && !everything) {
            ++hidden;
            continue;
        }
        std::string line = control.className == "Button"
                               ? "button " + std::to_string(control.id)
                               : "control " + std::to_string(control.id) + " " + control.className;
        line += " " + Quoted(control.text);
        if (!control.visible)
            line += " hidden";
        if (!control.enabled)
            line += " disabled";
        if (control.checked)
            line += " checked";
        if (control.progressBar)
            line += " range " + std::to_string(control.low) + "-" + std::to_string(control.high) + " position " +
                    std::to_string(control.position);
        SayDetail("%s", line.c_str());
    }
    if (hidden)
        SayDetail("(%d hidden control%s)", hidden, hidden == 1 ? "" : "s");
}

void Robot::ShowOpenWindows() const
{
    bool any = false;
    for (const Seen& seen : seen_) {
        if (!seen.open)
            continue;
        if (!any)
            SayDetail("open windows of the target:");
        any = true;
        SayDetail("  %s", Summary(seen.serial, DescribeWindow(seen.info.hwnd)).c_str());
    }
    if (!any)
        SayDetail("the target has no open window");
}

void Robot::Finish()
{
    Poll();
    if (recording_.active)
        StopRecording("the script is over");
    if (target_.Crashed())
        status_ = kTargetCrash;
    if (!target_.ProcessIds().empty()) {
        if (options_.keep) {
            target_.Release();
            Say("the target keeps running (--keep)");
        } else {
            size_t running = target_.Kill();
            Say("the script is over: ended the target's %u running process%s", static_cast<unsigned>(running),
                running == 1 ? "" : "es");
        }
    }
    int unexpected = 0;
    for (const Seen& seen : seen_) {
        if (seen.info.messageBox && !seen.expected) {
            ++unexpected;
            Say("UNEXPECTED message box %s", Summary(seen.serial, seen.info).c_str());
        }
    }
    if (unexpected && !options_.allowUnexpected && status_ == kPassed) {
        Say("FAIL: %d message box%s the script did not expect", unexpected, unexpected == 1 ? "" : "es");
        status_ = kFailed;
    }
    static const char* const kResults[] = {"passed", "failed", "usage error", "the target crashed"};
    Say("result: %s", kResults[status_]);
}
