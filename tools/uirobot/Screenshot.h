// Pictures of the target's windows, copied from the screen.
#pragma once

#include <windows.h>

#include <string>

// True when Wine's null graphics driver is in use: windows work but nothing
// is drawn, so there is nothing to capture.
bool HeadlessDisplay();

// Copies the screen under the window's rectangle into a 24-bit BMP file. The
// window must be on top to be seen. On failure returns false with a reason.
bool CaptureWindow(HWND hwnd, const std::string& path, std::string& error);
