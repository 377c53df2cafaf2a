#include "AlreadyInstalledDialog.h"

#include "resource.h"

AlreadyInstalledDialog::AlreadyInstalledDialog() : Dialog(IDD_ALREADY_INSTALLED) {}

BOOL AlreadyInstalledDialog::OnInitDialog()
{
    SetWindowTextA(Handle(), "Demo Morvadin Brumaria");
    SetDlgItemTextA(Handle(), IDC_ALREADY_TEXT,
                    "Demo Morvadin Brumaria ya se encuentra instalado en su ordenador.\n¿Desea ejecutarlo?");
    SetDlgItemTextA(Handle(), IDC_QUIT, "Cancelar");
    SetDlgItemTextA(Handle(), IDC_UNINSTALL, "Desinstalar");
    SetDlgItemTextA(Handle(), IDC_REINSTALL, "Reinstalar");
    SetDlgItemTextA(Handle(), IDC_RUN, "Ejecutar");
    return TRUE;
}

INT_PTR AlreadyInstalledDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled)
{
    if (message == WM_COMMAND) {
        switch (LOWORD(wParam)) {
        case IDC_RUN:
        case IDC_QUIT:  // also the close box
        case IDC_REINSTALL:
        case IDC_UNINSTALL:
            End(LOWORD(wParam));
            handled = true;
            return TRUE;
        default:
            break;
        }
    }
    return Dialog::OnMessage(message, wParam, lParam, handled);
}
