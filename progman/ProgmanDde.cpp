#include "ProgmanDde.h"

#include <cstring>
#include <windows.h>
#include <ddeml.h>

namespace {

const char* const ServiceName = "PROGMAN";  // also the topic
const char* const WindowClass = "Progman";

// A client gets no transactions it has to answer.
HDDEDATA CALLBACK IgnoreTransaction(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    return nullptr;
}

}  // namespace

ProgmanDde::ProgmanDde()
{
    DWORD instance = 0;
    DdeInitializeA(&instance, IgnoreTransaction, APPCMD_CLIENTONLY, 0);
    instance_ = instance;
}

ProgmanDde::~ProgmanDde()
{
    DdeUninitialize(instance_);
}

int ProgmanDde::Execute(const char* command)
{
    HSZ name = DdeCreateStringHandleA(instance_, ServiceName, CP_WINANSI);
    int result = 0;
    if (HCONV conversation = DdeConnect(instance_, name, name, nullptr)) {
        DWORD status = 0;
        auto* bytes = reinterpret_cast<BYTE*>(const_cast<char*>(command));
        if (DdeClientTransaction(bytes, static_cast<DWORD>(std::strlen(command) + 1), conversation, nullptr,
                                 CF_TEXT, XTYP_EXECUTE, TimeoutMs, &status))
            result = 1;
        DdeDisconnect(conversation);
    }
    DdeFreeStringHandle(instance_, name);
    return result;
}

void ProgmanDde::ShowProgramManager()
{
    if (HWND window = FindWindowA(WindowClass, nullptr))
        ShowWindow(window, SW_SHOWNORMAL);
}
