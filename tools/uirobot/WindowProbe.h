// Reading another process's windows. Top-level windows are found with
// EnumWindows and their owner process; texts are read with WM_GETTEXT sent
// with a timeout, so that a busy target cannot stall the robot.
#pragma once

#include "BoxIcon.h"

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
    bool progressBar = false;     // a progress bar, with its range and position:
    int low = 0, high = 0, position = 0;
};

struct WindowInfo {
    HWND hwnd = nullptr;
    DWORD pid = 0;
    std::string className;
    std::string title;
    bool messageBox = false;
    std::string boxText;               // a message box's text, CR LF as LF
    BoxIcon icon = BoxIcon::Unknown;   // a message box's icon
    std::vector<ControlInfo> controls; // every descendant, in Z order
};

// The visible top-level windows of the given processes, topmost first.
std::vector<HWND> FindTopWindows(const std::vector<DWORD>& pids);

WindowInfo DescribeWindow(HWND hwnd);

// The visible descendant with that id, else a hidden one, else null.
HWND FindControl(HWND top, long long id);

std::string ControlText(HWND hwnd);
// Fills in a progress bar's range and position; false for other controls.
bool ReadProgress(ControlInfo& control);
// As the robot's hook library left it on the box.
BoxIcon ReadBoxIcon(HWND box);
bool SetControlText(HWND hwnd, const std::string& text);
std::string ClassOf(HWND hwnd);

// A combo box's entries, in list order; false for other controls or when
// the box does not answer.
bool ComboItems(HWND hwnd, std::vector<std::string>& items);

// A button caption without its mnemonic marks ("&Sí" -> "Sí", "&&" -> "&").
std::string WithoutMnemonics(const std::string& text);
