// The small window shown while the installer checks the sizes of what it installs.
#pragma once

#include "Dialog.h"

class ProgressDialog : public Dialog {
public:
    ProgressDialog();
    void SetText(const char* text);
};
