// Zelmot, the installer of the demo: a dialog application whose only message
// loop is the modal loop of its main window.
#include "InstallDialog.h"

#include <commctrl.h>
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // Registers the progress bar's window class.
    InitCommonControls();
    InstallDialog dialog;
    dialog.RunModal(nullptr);
    return 0;
}
