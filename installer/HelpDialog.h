// The help window: "Texto.txt" laid out in Courier New by the rules of
// HelpLayout, in a window of a fixed size in pixels with one "OK" button.
#pragma once

#include "Dialog.h"
#include "HelpLayout.h"

#include <string>
#include <vector>

class HelpDialog : public Dialog {
public:
    // width and height: the window's size in pixels.
    HelpDialog(std::string path, int width, int height);
    ~HelpDialog() override;

    // Lays the text out on dc from the top of the text rectangle.
    void Paint(HDC dc);
    // The fonts of the open window (null before it opens and after it closed).
    HFONT Font(help::Font which) const;
    const RECT& TextArea() const { return textArea_; }

protected:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    void ReadLines();
    void CreateFonts();
    void DeleteFonts();
    void CenterOnOwner();
    void OnPaint();

    std::string path_;
    RECT textArea_ = {};
    std::vector<std::string> lines_;
    HFONT HelpFontNormal = nullptr;
    HFONT HelpFontBold = nullptr;
    HFONT HelpFontItalic = nullptr;
    int width_;
    int height_;
};
