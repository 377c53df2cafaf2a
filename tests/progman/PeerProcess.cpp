#include "PeerProcess.h"

#include <gtest/gtest.h>

std::string RecorderProgram;
std::string HostProgram;

namespace {

std::string EventName(const char* role)
{
    static int serial = 0;
    return "progman-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial) + "-" + role;
}

}  // namespace

PeerProcess::PeerProcess(const std::string& program, const std::string& arguments, DWORD readyMs)
{
    const std::string ready = EventName("ready");
    const std::string quit = EventName("quit");
    readyEvent_ = CreateEventA(nullptr, TRUE, FALSE, ready.c_str());
    quitEvent_ = CreateEventA(nullptr, TRUE, FALSE, quit.c_str());
    std::string line = "\"" + program + "\" " + arguments + (arguments.empty() ? "" : " ") + ready + " " + quit;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process_)) {
        ADD_FAILURE() << "cannot start " << program << ", error " << GetLastError();
        return;
    }
    HANDLE waits[2] = {readyEvent_, process_.hProcess};
    ready_ = WaitForMultipleObjects(2, waits, FALSE, readyMs) == WAIT_OBJECT_0;
    if (!ready_)
        ADD_FAILURE() << program << " did not get ready within " << readyMs << " ms";
}

PeerProcess::~PeerProcess()
{
    if (process_.hProcess) {
        SetEvent(quitEvent_);
        if (WaitForSingleObject(process_.hProcess, 10000) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "a helper did not end when told to";
            TerminateProcess(process_.hProcess, 1);
        }
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    CloseHandle(readyEvent_);
    CloseHandle(quitEvent_);
}

// progman tests [gtest options] --recorder=PATH --host=PATH
int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; i++) {
        const std::string arg = argv[i];
        if (arg.rfind("--recorder=", 0) == 0)
            RecorderProgram = arg.substr(11);
        else if (arg.rfind("--host=", 0) == 0)
            HostProgram = arg.substr(7);
    }
    return RUN_ALL_TESTS();
}
