#include "ProgressDialog.h"

#include "resource.h"

ProgressDialog::ProgressDialog() : Dialog(IDD_PROGRESS) {}

void ProgressDialog::SetText(const char* text)
{
    SetDlgItemTextA(Handle(), IDC_PROGRESS_TEXT, text);
}
