// Runs a script against the target: watches its top-level windows, waits for
// what the script expects, acts on the current window and writes the transcript.
#pragma once

#include "Script.h"
#include "Target.h"
#include "WindowProbe.h"

#include <functional>
#include <string>
#include <vector>

// The robot's exit status.
enum RobotStatus {
    kPassed = 0,
    kFailed = 1,      // an expectation failed or timed out, or a box came unexpected
    kUsage = 2,       // bad command line or script, or the target did not start
    kTargetCrash = 3, // the target died of an unhandled exception
};

struct RobotOptions {
    DWORD timeoutMs = 20000;
    DWORD pollMs = 50;             // how often waiting commands look
    bool keep = false;             // leave the target running at the end
    bool allowUnexpected = false;  // unexpected message boxes do not fail the run
};

class Robot {
public:
    Robot(Target& target, const RobotOptions& options) : target_(target), options_(options) {}

    int Run(const std::vector<ScriptCommand>& script);

private:
    struct Seen {
        int serial = 0;
        WindowInfo info;
        bool open = true;
        bool expected = false; // matched by expect-box or a wait-window
    };

    using Check = std::function<bool()>;
    using Explain = std::function<std::string()>;

    using FindControlFn = std::function<HWND(HWND top, std::string& why)>;

    // The handler of each script command (kHandlers), false when the script
    // stops there.
    struct Handler {
        Op op;
        bool (Robot::*run)(const ScriptCommand& c);
    };
    static const Handler kHandlers[];

    bool Execute(const ScriptCommand& c);
    bool Echo(const ScriptCommand& c);
    // Windows (RobotWindows.cpp).
    bool ExpectBox(const ScriptCommand& c);
    bool WaitWindow(const ScriptCommand& c);
    bool WaitClass(const ScriptCommand& c);
    bool WaitTitle(const ScriptCommand& c);
    bool ExpectCaption(const ScriptCommand& c);
    bool ExpectIcon(const ScriptCommand& c);
    bool ExpectClientSize(const ScriptCommand& c);
    bool ExpectNoWindow(const ScriptCommand& c);
    bool ExpectClosed(const ScriptCommand& c);
    bool Windows(const ScriptCommand& c);
    // Controls of the current window (RobotControls.cpp).
    bool ExpectButtons(const ScriptCommand& c);
    bool ExpectRange(const ScriptCommand& c);
    bool ExpectText(const ScriptCommand& c);
    bool ExpectItems(const ScriptCommand& c);
    bool ExpectState(const ScriptCommand& c);
    bool Press(const ScriptCommand& c);
    bool ClickButtonText(const ScriptCommand& c);
    bool Command(const ScriptCommand& c);
    bool Type(const ScriptCommand& c);
    bool Read(const ScriptCommand& c);
    bool Select(const ScriptCommand& c);
    bool Key(const ScriptCommand& c);
    // Time, processes and the registry (RobotProcess.cpp).
    bool Sleep(const ScriptCommand& c);
    bool Timeout(const ScriptCommand& c);
    bool ExpectExit(const ScriptCommand& c);
    bool ExpectDword(const ScriptCommand& c);
    // Pictures (RobotCapture.cpp).
    bool Screenshot(const ScriptCommand& c);
    bool Record(const ScriptCommand& c);
    bool StopRecording(const ScriptCommand& c);

    enum class Match { TitleContains, Class, TitleEquals };
    bool WaitFor(const ScriptCommand& c, Match match);
    // Presses the button that find() returns once there is one.
    bool Click(const ScriptCommand& c, const std::string& what, const FindControlFn& find);
    // Saves the next frame of the recording when one is due.
    void RecordFrame();
    void EndRecording(const char* why);
    void Finish();

    // Polls until ready() holds. Fails on a crash, on the timeout, and when
    // needTarget and the target's processes have all ended; explain() says
    // what was expected (and what was seen instead).
    bool Wait(const ScriptCommand& c, DWORD timeoutMs, bool needTarget, const Check& ready, const Explain& explain);
    bool Fail(const ScriptCommand& c, const std::string& message);

    // Notes windows that appeared or went away, and the target's exit.
    void Poll();
    // A window and its controls; hidden ones and a message box's statics
    // only when everything.
    void ShowWindow(const Seen& seen, const char* event, bool everything) const;
    void ShowOpenWindows() const;

    // The current window's index in seen_, or -1 after a failure when there
    // is none or it went away. (seen_ grows while waiting: keep indices.)
    int Current(const ScriptCommand& c);
    // Waits until find() returns a control of the current window; find()
    // says in its second argument why there is none yet.
    HWND WaitControl(const ScriptCommand& c, const std::string& what, const FindControlFn& find);

    Target& target_;
    RobotOptions options_;
    std::vector<Seen> seen_; // every window seen, #1 first
    int current_ = -1;       // index into seen_
    bool exitNoted_ = false;
    int status_ = kPassed;

    struct Recording {
        bool active = false;
        HWND hwnd = nullptr;
        int serial = 0;
        std::string prefix;
        DWORD intervalMs = 0;
        ULONGLONG start = 0, next = 0, last = 0;
        int frames = 0;
    } recording_;
};
