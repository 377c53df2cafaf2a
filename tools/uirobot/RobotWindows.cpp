// The robot's commands about the target's top-level windows: choosing the
// current one (a message box or a window), and what it shows as a whole.
#include "Robot.h"

#include "Transcript.h"

#include <algorithm>

namespace {

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

std::string WindowTitle(HWND hwnd)
{
    char title[512];
    int length = GetWindowTextA(hwnd, title, sizeof title);
    return std::string(title, length > 0 ? length : 0);
}

} // namespace

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
bool Robot::WaitFor(const ScriptCommand& c, Match match)
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

bool Robot::WaitWindow(const ScriptCommand& c)
{
    return WaitFor(c, Match::TitleContains);
}

bool Robot::WaitClass(const ScriptCommand& c)
{
    return WaitFor(c, Match::Class);
}

bool Robot::WaitTitle(const ScriptCommand& c)
{
    return WaitFor(c, Match::TitleEquals);
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

bool Robot::Windows(const ScriptCommand&)
{
    Poll();
    for (const Seen& seen : seen_) {
        if (seen.open)
            ShowWindow(Seen{seen.serial, DescribeWindow(seen.info.hwnd), true, seen.expected}, "is open", true);
    }
    return true;
}
