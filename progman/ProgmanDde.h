// The Program Manager's DDE client: each command is one execute transaction
// in a conversation of its own with service and topic "PROGMAN".
#pragma once

#include "ProgmanCommands.h"

#include <cstdint>

class ProgmanDde : public ProgmanCommands {
public:
    // A client-only DDEML instance; when it cannot be had every command fails.
    ProgmanDde();
    ~ProgmanDde() override;
    ProgmanDde(const ProgmanDde&) = delete;
    ProgmanDde& operator=(const ProgmanDde&) = delete;

    static const unsigned TimeoutMs = 1000;

    // Sends the text and its terminating zero as CF_TEXT; 1 when the server
    // acknowledged it, 0 when nobody answers, it refused or it timed out.
    int Execute(const char* command) override;
    // Restores the Program Manager's window, when there is one.
    void ShowProgramManager();

private:
    uint32_t instance_ = 0;
};
