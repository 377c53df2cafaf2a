// uirobot: drives a Windows program's dialogs and message boxes from a script,
// for end-to-end tests of the installation set under Wine.
//
//   uirobot [OPTIONS] --script FILE -- PROGRAM [ARGUMENTS...]
//
//   --script FILE        the commands to run (required)
//   --cwd DIR            PROGRAM's working directory (default: the robot's)
//   --timeout SECONDS    how long each wait may take (default 20)
//   --keep               leave PROGRAM running when the script is over (under
//                        Wine it keeps the robot's Unix standard output and
//                        error: a caller reading them through a pipe waits
//                        for PROGRAM to end, so send them to a file)
//   --poll MS            how often waiting commands look (default 50 ms)
//   --allow-unexpected   report message boxes the script did not expect, but
//                        do not fail because of them
//
// The robot starts PROGRAM (under its own debugger, to catch crashes) and
// watches the visible top-level windows of PROGRAM and of the processes it
// starts. It prints a transcript on standard output: every window that
// appears, with its controls (a message box with its caption, text, icon and
// buttons; a progress bar with its range and position), every command and what
// it did, the exit code. Texts are printed in code page 1252, as the program
// has them.
//
// A message box's icon can only be told from inside PROGRAM: the robot hooks
// its hook library, uirobothook.dll (beside the robot), onto PROGRAM's main
// thread before it starts, and the library marks each box with its icon.
// Without the library, and for boxes of the processes PROGRAM starts, the
// icon is "unknown".
//
// Exit status: 0 the script passed; 1 an expectation failed or timed out, or a
// message box came that no expect-box matched; 2 bad command line or script,
// or PROGRAM did not start; 3 PROGRAM crashed. At the end a PROGRAM still
// running is ended, with every process it started, unless --keep.
//
// The script: one command per line; blank lines and lines whose first
// non-blank character is # are ignored. A TEXT is "quoted" (escapes \" \\ \n
// \t \xHH) or one bare word. An ID is a number (decimal, 0x hex, -1) or one of
// IDOK IDCANCEL IDABORT IDRETRY IDIGNORE IDYES IDNO IDCLOSE IDHELP IDTRYAGAIN
// IDCONTINUE IDC_STATIC. A script saved in UTF-8 is turned into code page
// 1252; any other script is taken as code page 1252 already.
//
// Waiting commands poll (every 50 ms unless --poll) until their condition holds, and fail
// after the timeout or when PROGRAM and its processes have all ended.
//
//   expect-box TEXT          wait for a message box whose text contains TEXT
//                            and that no expect-box matched before; it becomes
//                            the current window
//   wait-window TEXT         wait for a window (not a message box) whose title
//                            contains TEXT; the newest one becomes current
//   wait-class NAME          the same, by window class ("#32770" is a dialog)
//   wait-title TEXT          the same, by a title that is exactly TEXT
//   press ID                 click button ID of the current window (it must be
//                            visible and enabled; waits until it is)
//   click-button-text TEXT   click the button labelled TEXT (& marks ignored)
//   command ID               post WM_COMMAND ID to the current window as it is
//   type ID TEXT             set the text of control ID (WM_SETTEXT)
//   read ID                  print the text of control ID
//   expect-text ID TEXT      wait until control ID's text contains TEXT
//   expect-caption TEXT      wait until the current window's title contains TEXT
//   expect-buttons ID...     wait until the current window's visible buttons
//                            are exactly these
//   expect-icon NAME         the current window is a message box showing the
//                            icon NAME: none, information (MB_ICONINFORMATION),
//                            exclamation, stop or question
//   expect-range ID LOW HIGH wait until progress bar ID of the current window
//                            has the range LOW to HIGH
//   select ID TEXT           pick the entry TEXT of combo box ID (visible and
//                            enabled; waits until it has that entry) as a
//                            user would: its dialog is told of the change
//   expect-items ID TEXT     wait until combo box ID holds exactly the
//                            entries of TEXT, in order, separated by "|"
//   expect-state ID STATE    wait until control ID is STATE: visible, hidden,
//                            enabled or disabled
//   key NAME                 press the key NAME (escape or enter) in the
//                            current window's control with the focus
//   expect-dword VALUE N     wait until the registry value VALUE, written
//                            HKLM\KEY\NAME or HKCU\KEY\NAME, is the REG_DWORD N
//   expect-closed            wait until the current window closes
//   expect-client-size W H   wait until the current window's client area is
//                            W x H pixels
//   expect-no-window         wait until PROGRAM has no window open
//   expect-exit CODE         wait until PROGRAM ends, then check its exit code
//   screenshot FILE          save the current window as a 24-bit BMP, copied
//                            from the screen (only with a real display: under
//                            Wine's null graphics driver it notes that and
//                            writes nothing)
//   record PREFIX MS         from now on save the current window every MS
//                            milliseconds (0: as often as the robot can) while
//                            the robot waits, as PREFIX-001.bmp, PREFIX-002.bmp
//                            ...; ends with stop-recording, when the window
//                            closes, after 999 frames or at the end of the
//                            script (nothing under the null graphics driver)
//   stop-recording           end the recording and say how many frames it took
//   sleep MS                 wait MS milliseconds (windows are still watched)
//   timeout SECONDS          the timeout of the following waits
//   echo TEXT                print TEXT in the transcript
//   windows                  print every open window with its controls
//
// Controls are found among all descendants of the current window, so the
// controls of child dialogs (wizard pages) count as the window's own.
//
// Example: uirobot --cwd D:\ --script install.txt -- D:\ZELMOT.EXE
//   wait-window "Instalador"
//   click-button-text "Instalar"
//   expect-box "¿Desea ejecutarlo?"
//   expect-buttons IDYES IDNO
//   press IDNO
//   expect-exit 0
#include "Robot.h"
#include "Script.h"
#include "Target.h"
#include "Transcript.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Usage()
{
    std::fprintf(stderr, "usage: uirobot [--cwd DIR] [--timeout SECONDS] [--poll MS] [--keep] [--allow-unexpected]\n"
                         "               --script FILE -- PROGRAM [ARGUMENTS...]\n");
}

// Quoted so that the C runtime's command-line parser gives the argument back:
// backslashes double only before a quote.
std::string QuoteArgument(const std::string& arg)
{
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos)
        return arg;
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        out += c;
        backslashes = 0;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

bool ReadFile(const char* path, std::string& text)
{
    FILE* in = std::fopen(path, "rb");
    if (!in)
        return false;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        text.append(buffer, got);
    bool ok = !std::ferror(in);
    std::fclose(in);
    return ok;
}

// A UTF-8 script becomes code page 1252, the window texts' code page.
bool ToWindowsText(std::string& text, std::string& error)
{
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        text.erase(0, 3);
    int wide = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), (int)text.size(), nullptr, 0);
    if (wide <= 0)
        return true; // not UTF-8: code page 1252 already
    std::wstring utf16(wide, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), (int)text.size(), &utf16[0], wide);
    BOOL lossy = FALSE;
    int bytes = WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, utf16.data(), wide, nullptr, 0, nullptr, &lossy);
    std::string converted(bytes, '\0');
    WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, utf16.data(), wide, &converted[0], bytes, nullptr, &lossy);
    if (lossy) {
        error = "the script has characters that code page 1252 lacks";
        return false;
    }
    text = converted;
    return true;
}

struct CommandLine {
    const char* script = nullptr;
    const char* directory = nullptr;
    RobotOptions options;
    std::string program;
};

bool ParseCommandLine(int argc, char** argv, CommandLine& line)
{
    int i = 1;
    for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        const char* arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (!std::strcmp(arg, "--script") && hasValue) {
            line.script = argv[++i];
        } else if (!std::strcmp(arg, "--cwd") && hasValue) {
            line.directory = argv[++i];
        } else if (!std::strcmp(arg, "--timeout") && hasValue) {
            long seconds = std::strtol(argv[++i], nullptr, 10);
            if (seconds <= 0 || seconds > 3600) {
                std::fprintf(stderr, "uirobot: --timeout takes 1 to 3600 seconds\n");
                return false;
            }
            line.options.timeoutMs = static_cast<DWORD>(seconds * 1000);
        } else if (!std::strcmp(arg, "--poll") && hasValue) {
            long ms = std::strtol(argv[++i], nullptr, 10);
            if (ms <= 0 || ms > 1000) {
                std::fprintf(stderr, "uirobot: --poll takes 1 to 1000 milliseconds\n");
                return false;
            }
            line.options.pollMs = static_cast<DWORD>(ms);
        } else if (!std::strcmp(arg, "--keep")) {
            line.options.keep = true;
        } else if (!std::strcmp(arg, "--allow-unexpected")) {
            line.options.allowUnexpected = true;
        } else {
            std::fprintf(stderr, "uirobot: unknown option %s\n", arg);
            return false;
        }
    }
    if (!line.script || i + 1 >= argc)
        return false;
    for (++i; i < argc; ++i)
        line.program += (line.program.empty() ? "" : " ") + QuoteArgument(argv[i]);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    CommandLine line;
    if (!ParseCommandLine(argc, argv, line)) {
        Usage();
        return kUsage;
    }
    std::string text, error;
    if (!ReadFile(line.script, text)) {
        std::fprintf(stderr, "uirobot: cannot read %s\n", line.script);
        return kUsage;
    }
    std::vector<ScriptCommand> script;
    if (!ToWindowsText(text, error) || !ParseScript(text, script, error)) {
        std::fprintf(stderr, "uirobot: %s: %s\n", line.script, error.c_str());
        return kUsage;
    }
    TranscriptStart();
    // Under Wine the first process of a session that asks for the desktop
    // starts the desktop's own process (explorer.exe): asked here, it is the
    // robot's child, not a process of the target's job, which the robot waits
    // for and ends at the close (ending it would take the desktop, and every
    // window on it, from the programs that come after).
    GetDesktopWindow();
    Target target;
    if (!target.Start(line.program, line.directory, error)) {
        Say("cannot start %s: %s", line.program.c_str(), error.c_str());
        return kUsage;
    }
    Say("started %s in %s (pid 0x%lX)", line.program.c_str(), line.directory ? line.directory : "the robot's directory",
        target.Pid());
    return Robot(target, line.options).Run(script);
}
