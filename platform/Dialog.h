// Dialog plumbing written once: the dialog procedure stores the object at
// WM_INITDIALOG and hands every message to its virtual OnMessage.
#pragma once

#include <windows.h>

class Dialog {
public:
    explicit Dialog(int templateId) : templateId_(templateId) {}
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog modally; returns what End() was given (-1 if it could not be created).
    INT_PTR RunModal(HWND parent);
    // Creates the dialog modeless; returns its window or null.
    HWND CreateModeless(HWND parent);

    HWND Handle() const { return hwnd_; }
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    // Centres the window on the screen.
    void CenterOnScreen();

protected:
    // Answers a message: set handled and return the dialog procedure's result.
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual BOOL OnInitDialog() { return TRUE; }
    void End(INT_PTR result) { EndDialog(hwnd_, result); }

private:
    static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    int templateId_;
    HWND hwnd_ = nullptr;
};
