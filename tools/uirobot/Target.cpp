#include "Target.h"

#include "Transcript.h"

#include <algorithm>

namespace {

const char* ExceptionName(DWORD code)
{
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION: return "access violation";
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED: return "array bounds exceeded";
    case EXCEPTION_BREAKPOINT: return "breakpoint";
    case EXCEPTION_DATATYPE_MISALIGNMENT: return "misaligned data";
    case EXCEPTION_FLT_DIVIDE_BY_ZERO: return "floating-point division by zero";
    case EXCEPTION_ILLEGAL_INSTRUCTION: return "illegal instruction";
    case EXCEPTION_IN_PAGE_ERROR: return "page error";
    case EXCEPTION_INT_DIVIDE_BY_ZERO: return "integer division by zero";
    case EXCEPTION_STACK_OVERFLOW: return "stack overflow";
    case 0xC0000409: return "stack buffer overrun or fail-fast";
    case 0x80000100: return "call to a function Wine does not implement";
    default: return "unhandled exception";
    }
}

} // namespace

Target::~Target()
{
    if (thread_) {
        if (Running() && !release_)
            Kill();
        else
            StopDebugger();
        CloseHandle(thread_);
    }
    for (HANDLE handle : {started_, process_, job_}) {
        if (handle)
            CloseHandle(handle);
    }
}

bool Target::Start(const std::string& commandLine, const char* directory, std::string& error)
{
    commandLine_ = commandLine;
    hasDirectory_ = directory != nullptr;
    if (directory)
        directory_ = directory;
    // Processes the target starts stay in the job (no breakaway allowed).
    job_ = CreateJobObjectA(nullptr, nullptr);
    started_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, DebuggerMain, this, 0, nullptr);
    if (!thread_) {
        error = "cannot start the debugger thread";
        return false;
    }
    // Until the target runs code of its own the debugger thread may start it
    // again; a target that takes longer than this is watched as it is.
    if (WaitForSingleObject(started_, StartWaitMs) == WAIT_TIMEOUT) {
        InterlockedExchange(&handedOver_, 1);
        Say("note: the target has not reached its own code after %lu s", StartWaitMs / 1000);
    }
    if (!process_) {
        error = startError_;
        StopDebugger();
        return false;
    }
    return true;
}

// Debug events go to the thread that created the process: that thread
// starts the target and then serves its events.
DWORD WINAPI Target::DebuggerMain(void* self)
{
    auto* target = static_cast<Target*>(self);
    for (int start = 1;; ++start) {
        PROCESS_INFORMATION info = {};
        if (!target->Create(info)) {
            SetEvent(target->started_);
            return 0;
        }
        if (target->job_ && !AssignProcessToJobObject(target->job_, info.hProcess)) {
            Say("note: the target could not join a job object (error %lu); only its own windows are watched",
                GetLastError());
            CloseHandle(target->job_);
            target->job_ = nullptr;
        }
        HookBoxes(info.dwThreadId);
        ResumeThread(info.hThread);
        CloseHandle(info.hThread);
        target->pid_ = info.dwProcessId;
        target->process_ = info.hProcess;
        target->sawLoaderBreakpoint_ = false;
        target->DebugLoop();
        // Wine now and then ends a debuggee before it has run at all, with
        // the status of a lost debugger connection: the program never got to
        // fail, so it is started again. A target that ran its own code is
        // never started again, whatever its end.
        const DWORD code = target->ExitCode();
        if (target->sawLoaderBreakpoint_ || code != StatusDebuggerInactive || start == StartAttempts ||
            target->handedOver_) {
            SetEvent(target->started_);
            return 0;
        }
        Say("note: the target ended with 0x%08lX before running any code of its own; starting it again (%d of %d)",
            code, start + 1, StartAttempts);
        CloseHandle(target->process_);
        target->process_ = nullptr;
    }
}

// Wine now and then fails a start with an internal error that the next
// attempt does not meet; a program that cannot start fails every time.
bool Target::Create(PROCESS_INFORMATION& info)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    BOOL created = FALSE;
    for (int attempt = 0; attempt < 3 && !created; ++attempt) {
        if (attempt)
            Sleep(250);
        std::string commandLine = commandLine_;
        created = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE,
                                 DEBUG_ONLY_THIS_PROCESS | CREATE_SUSPENDED, nullptr,
                                 hasDirectory_ ? directory_.c_str() : nullptr, &startup, &info);
        if (!created && GetLastError() != ERROR_INTERNAL_ERROR)
            break;
    }
    if (created)
        return true;
    DWORD code = GetLastError();
    char message[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, message,
                   sizeof message, nullptr);
    startError_ = "CreateProcessA failed with error " + std::to_string(code) + ": " + message;
    while (!startError_.empty() && (startError_.back() == '\n' || startError_.back() == '\r'))
        startError_.pop_back();
    return false;
}

void Target::HookBoxes(DWORD threadId)
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string library(path, length);
    library = library.substr(0, library.find_last_of("\\/") + 1) + "uirobothook.dll";
    HMODULE module = LoadLibraryA(library.c_str());
    auto proc = module ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(module, "BoxHookProc")))
                       : nullptr;
    if (!proc || !SetWindowsHookExA(WH_CBT, proc, module, threadId))
        Say("note: no hook in the target (%s, error %lu): the icons of its message boxes are unknown",
            library.c_str(), GetLastError());
}

void Target::DebugLoop()
{
    for (;;) {
        if (release_) {
            DebugSetProcessKillOnExit(FALSE);
            DebugActiveProcessStop(pid_);
            return;
        }
        DEBUG_EVENT event;
        if (!WaitForDebugEvent(&event, 100)) {
            // A debuggee that Wine ended with its debugger connection may
            // send no exit event: its end is seen on its handle.
            if (WaitForSingleObject(process_, 0) == WAIT_OBJECT_0)
                return;
            continue;
        }
        DWORD status = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
        case CREATE_PROCESS_DEBUG_EVENT:
            if (event.u.CreateProcessInfo.hFile)
                CloseHandle(event.u.CreateProcessInfo.hFile);
            break;
        case LOAD_DLL_DEBUG_EVENT:
            if (event.u.LoadDll.hFile)
                CloseHandle(event.u.LoadDll.hFile);
            break;
        case EXCEPTION_DEBUG_EVENT:
            OnException(event.u.Exception, status);
            break;
        case OUTPUT_DEBUG_STRING_EVENT:
            OnDebugString(event.u.DebugString);
            break;
        default:
            break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
        if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT) {
            // Its exit code is final once the handle is signalled.
            WaitForSingleObject(process_, 5000);
            return;
        }
    }
}

// First-chance exceptions go back to the target's own handlers (C++
// exceptions travel that way too); an exception nobody handled is a crash.
void Target::OnException(const EXCEPTION_DEBUG_INFO& info, DWORD& status)
{
    DWORD code = info.ExceptionRecord.ExceptionCode;
    if (code == EXCEPTION_BREAKPOINT && !sawLoaderBreakpoint_) {
        // The loader stops once for every debugger, just before the
        // program's own code runs: from here on the target is the one.
        sawLoaderBreakpoint_ = true;
        SetEvent(started_);
        return;
    }
    if (info.dwFirstChance) {
        status = DBG_EXCEPTION_NOT_HANDLED;
        return;
    }
    Say("CRASH: the target died of exception 0x%08lX (%s) at address %p", code, ExceptionName(code),
        info.ExceptionRecord.ExceptionAddress);
    if (code == EXCEPTION_ACCESS_VIOLATION && info.ExceptionRecord.NumberParameters >= 2) {
        const ULONG_PTR* p = info.ExceptionRecord.ExceptionInformation;
        SayDetail("%s address %p", p[0] == 0 ? "reading" : p[0] == 1 ? "writing" : "executing",
                  reinterpret_cast<void*>(p[1]));
    }
    InterlockedExchange(&crashed_, 1);
    TerminateProcess(process_, code);
}

void Target::OnDebugString(const OUTPUT_DEBUG_STRING_INFO& info)
{
    size_t length = std::min<size_t>(info.nDebugStringLength, 2048);
    if (length == 0)
        return;
    std::string text;
    SIZE_T got = 0;
    if (info.fUnicode) {
        std::wstring wide(length, L'\0');
        if (!ReadProcessMemory(process_, info.lpDebugStringData, &wide[0], length * sizeof(wchar_t), &got))
            return;
        wide.resize(wcsnlen(wide.c_str(), got / sizeof(wchar_t)));
        int bytes = WideCharToMultiByte(1252, 0, wide.c_str(), (int)wide.size(), nullptr, 0, nullptr, nullptr);
        text.resize(bytes);
        WideCharToMultiByte(1252, 0, wide.c_str(), (int)wide.size(), &text[0], bytes, nullptr, nullptr);
    } else {
        text.resize(length);
        if (!ReadProcessMemory(process_, info.lpDebugStringData, &text[0], length, &got))
            return;
        text.resize(strnlen(text.c_str(), got));
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    Say("debug output: %s", Quoted(text).c_str());
}

bool Target::Running() const
{
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

DWORD Target::ExitCode() const
{
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
}

std::vector<DWORD> Target::ProcessIds() const
{
    std::vector<DWORD> ids;
    if (Running())
        ids.push_back(pid_);
    if (!job_)
        return ids;
    struct {
        JOBOBJECT_BASIC_PROCESS_ID_LIST list;
        ULONG_PTR more[127];
    } buffer = {};
    if (!QueryInformationJobObject(job_, JobObjectBasicProcessIdList, &buffer, sizeof buffer, nullptr))
        return ids;
    for (DWORD i = 0; i < buffer.list.NumberOfProcessIdsInList; ++i) {
        DWORD id = static_cast<DWORD>(buffer.list.ProcessIdList[i]);
        if (id != pid_)
            ids.push_back(id);
    }
    return ids;
}

size_t Target::Kill()
{
    size_t running = ProcessIds().size();
    if (job_)
        TerminateJobObject(job_, 1);
    if (Running())
        TerminateProcess(process_, 1);
    StopDebugger();
    return running;
}

void Target::Release()
{
    InterlockedExchange(&release_, 1);
    StopDebugger();
}

void Target::StopDebugger()
{
    if (!thread_)
        return;
    // The debugger thread ends with the target's exit event, or at once after
    // a release.
    if (WaitForSingleObject(thread_, 5000) == WAIT_TIMEOUT)
        Say("note: the debugger thread did not end");
}
