// Offered when the demo is already installed: run it, uninstall it,
// reinstall it or cancel. The result is the id of the button pressed.
#pragma once

#include "Dialog.h"

class AlreadyInstalledDialog : public Dialog {
public:
    AlreadyInstalledDialog();

protected:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
};
