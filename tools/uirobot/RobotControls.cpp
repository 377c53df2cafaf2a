// The robot's commands about the controls of the current window: reading
// them, and acting on them as a user would (buttons, text, combo boxes, keys).
#include "Robot.h"

#include "Transcript.h"

#include <algorithm>

namespace {

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

} // namespace

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
        return found && text.find(c.text) != std::string::npos;
    };
    return Wait(c, options_.timeoutMs, true, ready, [&] {
        return "expected control " + std::to_string(id) + " of window #" + std::to_string(seen_[current].serial) +
               " to contain " + Quoted(c.text) + "; " +
               (found ? "it holds " + Quoted(text) : "there is no such control");
    });
}

// A posted BM_CLICK: a sent one would not return before the target's next
// modal loop (a message box opened by the click) ends.
bool Robot::Click(const ScriptCommand& c, const std::string& what, const FindControlFn& find)
{
    HWND button = WaitControl(c, what, find);
    if (!button)
        return false;
    SayDetail("pressing button %d %s of window #%d", GetDlgCtrlID(button), Quoted(ControlText(button)).c_str(),
              seen_[current_].serial);
    PostMessageA(button, BM_CLICK, 0, 0);
    return true;
}

bool Robot::Press(const ScriptCommand& c)
{
    return Click(c, "an enabled button " + std::to_string(c.numbers[0]), [&](HWND top, std::string& why) -> HWND {
        HWND control = FindControl(top, c.numbers[0]);
        why = control ? Unusable(control) : "there is no such control";
        if (control && why.empty() && ClassOf(control) != "Button")
            why = "it is a control of class " + Quoted(ClassOf(control));
        return why.empty() ? control : nullptr;
    });
}

bool Robot::ClickButtonText(const ScriptCommand& c)
{
    return Click(c, "an enabled button labelled " + Quoted(c.text), [&](HWND top, std::string& why) -> HWND {
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
    });
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
