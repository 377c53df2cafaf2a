// The robot's commands that picture the current window: one screenshot, or
// a recording whose frames are taken while the robot waits.
#include "Robot.h"

#include "Screenshot.h"
#include "Transcript.h"

#include <cstdio>

namespace {

const int kMaxFrames = 999;

} // namespace

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
        EndRecording("replaced by a new one");
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

bool Robot::StopRecording(const ScriptCommand&)
{
    if (recording_.active)
        EndRecording("stopped");
    else
        SayDetail("no recording runs");
    return true;
}

void Robot::RecordFrame()
{
    if (!recording_.active || GetTickCount64() < recording_.next)
        return;
    if (!IsWindow(recording_.hwnd) || !IsWindowVisible(recording_.hwnd)) {
        EndRecording("the window has closed");
        return;
    }
    char name[16];
    std::snprintf(name, sizeof name, "-%03d.bmp", recording_.frames + 1);
    std::string error;
    if (!CaptureWindow(recording_.hwnd, recording_.prefix + name, error)) {
        EndRecording(error.c_str());
        return;
    }
    ++recording_.frames;
    recording_.last = GetTickCount64();
    recording_.next = recording_.last + recording_.intervalMs;
    if (recording_.frames == kMaxFrames)
        EndRecording("it has its 999 frames");
}

void Robot::EndRecording(const char* why)
{
    recording_.active = false;
    ULONGLONG span = recording_.frames ? recording_.last - recording_.start : 0;
    SayDetail("recording of window #%d ended (%s): %d frame%s in %llu.%03llu s", recording_.serial, why,
              recording_.frames, recording_.frames == 1 ? "" : "s", span / 1000, span % 1000);
}
