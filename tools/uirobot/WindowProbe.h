// Reading another process's windows. Top-level windows are found with
// EnumWindows and their owner process; texts are read with WM_GETTEXT sent
// with a timeout, so that a busy target cannot stall the robot.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct ControlInfo {
    HWND hwnd = nullptr;
    int id = 0;
    std::string className;
    std::string text;
    bool visible = false;
    bool enabled = false;
    bool checked = false;
};

struct WindowInfo {
    HWND hwnd = nullptr;
    DWORD pid = 0;
    std::string className;
    std::string title;
    bool messageBox = false;
    std::string boxText;               // a message box's text, CR LF as LF
    std::vector<ControlInfo> controls; // every descendant, in Z order
};

// The visible top-level windows of the given processes, topmost first.
std::vector<HWND> FindTopWindows(const std::vector<DWORD>& pids);

WindowInfo DescribeWindow(HWND hwnd);

// The visible descendant with that id, else a hidden one, else null.
HWND FindControl(HWND top, long long id);

std::string ControlText(HWND hwnd);
bool SetControlText(HWND hwnd, const std::string& text);
std::string ClassOf(HWND hwnd);

// A button caption without its mnemonic marks ("&Sí" -> "Sí", "&&" -> "&").
std::string WithoutMnemonics(const std::string& text);
