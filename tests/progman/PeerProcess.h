// A helper program that the Wine tests run beside themselves: it is started
// with a ready and a quit event (named for this process) after its own
// arguments, and ended by the quit event.
#pragma once

#include <string>
#include <windows.h>

class PeerProcess {
public:
    // Starts "program arguments... READY QUIT" and waits for READY.
    PeerProcess(const std::string& program, const std::string& arguments, DWORD readyMs = 15000);
    ~PeerProcess();
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    bool Ready() const { return ready_; }

private:
    HANDLE readyEvent_ = nullptr;
    HANDLE quitEvent_ = nullptr;
    PROCESS_INFORMATION process_ = {};
    bool ready_ = false;
};

// The helper programs' paths, from the test program's command line.
extern std::string RecorderProgram;
extern std::string HostProgram;
