// The program under test. It runs under the robot's own debugger, so that a
// crash ends it at once with a report (under Wine an unhandled exception would
// otherwise start the system debugger, whose dialog waits for a user), and in
// a job object, so that the processes it starts can be found and ended too.
// Before its first instruction runs, the robot's hook library
// (uirobothook.dll, beside the robot) is hooked onto its main thread, to
// tell the icons of its message boxes (BoxIcon.h).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class Target {
public:
    Target() = default;
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;
    ~Target();

    // commandLine as CreateProcessA takes it; directory null for the robot's own.
    bool Start(const std::string& commandLine, const char* directory, std::string& error);

    DWORD Pid() const { return pid_; }
    bool Running() const;
    DWORD ExitCode() const;
    bool Crashed() const { return crashed_ != 0; }

    // The target and every process it started that still runs.
    std::vector<DWORD> ProcessIds() const;

    // Ends the target and the processes it started; returns how many ran.
    size_t Kill();
    // Leaves them running: the robot stops debugging the target.
    void Release();

private:
    static DWORD WINAPI DebuggerMain(void* self);
    // CreateProcessA under this thread's debugger, suspended; false with
    // startError_ set when it fails.
    bool Create(PROCESS_INFORMATION& info);
    void DebugLoop();
    void OnException(const EXCEPTION_DEBUG_INFO& info, DWORD& status);
    void OnDebugString(const OUTPUT_DEBUG_STRING_INFO& info);
    // Hooks the library onto the thread (the hook lasts as long as the
    // calling thread); without the library icons stay unknown.
    static void HookBoxes(DWORD threadId);
    void StopDebugger();

    std::string commandLine_;
    std::string directory_;
    bool hasDirectory_ = false;
    std::string startError_;

    HANDLE thread_ = nullptr;  // the debugger thread
    // Set once the target is about to run its own code, or has ended for
    // good, or could not be created.
    HANDLE started_ = nullptr;
    HANDLE process_ = nullptr;
    HANDLE job_ = nullptr;
    DWORD pid_ = 0;
    bool sawLoaderBreakpoint_ = false;
    volatile LONG crashed_ = 0;
    volatile LONG release_ = 0;
    volatile LONG handedOver_ = 0; // Start has returned: no start again

    static const DWORD StatusDebuggerInactive = 0xC0000354;
    static const int StartAttempts = 3;
    static const DWORD StartWaitMs = 60000;
};
