#include "Robot.h"

#include "Transcript.h"

#include <algorithm>
#include <cstdio>

namespace {

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

} // namespace

// One handler per command; Script.cpp holds their names and the arguments
// each takes.
const Robot::Handler Robot::kHandlers[] = {
    {Op::ExpectBox, &Robot::ExpectBox},
    {Op::ExpectButtons, &Robot::ExpectButtons},
    {Op::ExpectCaption, &Robot::ExpectCaption},
    {Op::ExpectIcon, &Robot::ExpectIcon},
    {Op::ExpectRange, &Robot::ExpectRange},
    {Op::ExpectText, &Robot::ExpectText},
    {Op::WaitWindow, &Robot::WaitWindow},
    {Op::WaitClass, &Robot::WaitClass},
    {Op::WaitTitle, &Robot::WaitTitle},
    {Op::Press, &Robot::Press},
    {Op::ClickButtonText, &Robot::ClickButtonText},
    {Op::Command, &Robot::Command},
    {Op::Type, &Robot::Type},
    {Op::Read, &Robot::Read},
    {Op::Screenshot, &Robot::Screenshot},
    {Op::Record, &Robot::Record},
    {Op::StopRecording, &Robot::StopRecording},
    {Op::Sleep, &Robot::Sleep},
    {Op::Timeout, &Robot::Timeout},
    {Op::ExpectExit, &Robot::ExpectExit},
    {Op::ExpectNoWindow, &Robot::ExpectNoWindow},
    {Op::ExpectClosed, &Robot::ExpectClosed},
    {Op::ExpectClientSize, &Robot::ExpectClientSize},
    {Op::Echo, &Robot::Echo},
    {Op::Windows, &Robot::Windows},
    {Op::Select, &Robot::Select},
    {Op::ExpectItems, &Robot::ExpectItems},
    {Op::ExpectState, &Robot::ExpectState},
    {Op::Key, &Robot::Key},
    {Op::ExpectDword, &Robot::ExpectDword},
};

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
    for (const Handler& handler : kHandlers) {
        if (handler.op == c.op)
            return (this->*handler.run)(c);
    }
    return Fail(c, "unknown command");
}

bool Robot::Echo(const ScriptCommand& c)
{
    SayDetail("%s", c.text.c_str());
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

HWND Robot::WaitControl(const ScriptCommand& c, const std::string& what, const FindControlFn& find)
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
        EndRecording("the script is over");
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
