#include "HelpDialog.h"

#include "resource.h"

#include <cstdio>

namespace {

const int ButtonWidth = 75;
const int ButtonHeight = 24;
// The text keeps 10 pixels from the sides and the top, 50 from the bottom
// (the button's place).
const int TextMargin = 10;
const int TextBottomMargin = 50;

// The layout's canvas on a device context, in the help window's fonts.
class GdiCanvas : public help::Canvas {
public:
    GdiCanvas(HDC dc, const HelpDialog& dialog) : dc_(dc), dialog_(dialog) {}

    int SelectFont(help::Font font) override
    {
        if (HFONT handle = dialog_.Font(font))
            SelectObject(dc_, handle);
        return FontHeight();
    }
    int FontHeight() override
    {
        TEXTMETRICA metrics = {};
        GetTextMetricsA(dc_, &metrics);
        return metrics.tmHeight;
    }
    int CharWidth(char c) override
    {
        SIZE size = {};
        GetTextExtentPointA(dc_, &c, 1, &size);
        return size.cx;
    }
    void DrawChar(int x, int y, char c) override { TextOutA(dc_, x, y, &c, 1); }

private:
    HDC dc_;
    const HelpDialog& dialog_;
};

HFONT CreateHelpFont(LONG weight, BYTE italic)
{
    LOGFONTA font = {};
    font.lfHeight = -12;  // a character height of 12 pixels
    font.lfWeight = weight;
    font.lfItalic = italic;
    font.lfPitchAndFamily = 0x10;  // FF_ROMAN
    lstrcpyA(font.lfFaceName, "Courier New");
    return CreateFontIndirectA(&font);
}

}  // namespace

HelpDialog::HelpDialog(std::string path, int width, int height)
    : Dialog(IDD_HELP), path_(std::move(path)), width_(width), height_(height)
{
}

HelpDialog::~HelpDialog()
{
    DeleteFonts();
}

HFONT HelpDialog::Font(help::Font which) const
{
    switch (which) {
    case help::Font::Bold:
        return HelpFontBold;
    case help::Font::Italic:
        return HelpFontItalic;
    case help::Font::Normal:
    default:
        return HelpFontNormal;
    }
}

BOOL HelpDialog::OnInitDialog()
{
    SetWindowTextA(Handle(), "Ayuda de Demo Morvadin Brumaria");
    SetWindowPos(Handle(), nullptr, 0, 0, width_, height_, SWP_NOZORDER);
    MoveWindow(Item(IDOK), (width_ - ButtonWidth) / 2, height_ - 75, ButtonWidth, ButtonHeight, TRUE);
    CenterOnOwner();
    GetClientRect(Handle(), &textArea_);
    textArea_.left += TextMargin;
    textArea_.top += TextMargin;
    textArea_.right -= TextMargin;
    textArea_.bottom -= TextBottomMargin;
    ReadLines();
    CreateFonts();
    return TRUE;
}

// A file that cannot be opened or read leaves the window empty, unreported.
// The bytes are read as they are; SplitLines reads them as text, the same
// way in every build.
void HelpDialog::ReadLines()
{
    std::FILE* file = std::fopen(path_.c_str(), "rb");
    if (!file)
        return;
    std::string text;
    char buffer[4096];
    std::size_t n;
    while (text.size() < help::MaxFileBytes && (n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, n);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        return;
    if (text.size() > help::MaxFileBytes)
        text.resize(help::MaxFileBytes);
    lines_ = help::SplitLines(text);
}

void HelpDialog::CreateFonts()
{
    HelpFontNormal = CreateHelpFont(FW_NORMAL, FALSE);
    HelpFontBold = CreateHelpFont(FW_BOLD, FALSE);
    HelpFontItalic = CreateHelpFont(FW_NORMAL, TRUE);
}

// Windows 95 keeps fonts in its small GDI heap: they go when the window does.
void HelpDialog::DeleteFonts()
{
    for (HFONT* font : {&HelpFontNormal, &HelpFontBold, &HelpFontItalic}) {
        if (*font)
            DeleteObject(*font);
        *font = nullptr;
    }
}

// A dialog run without a parent belongs to the application's main window.
void HelpDialog::CenterOnOwner()
{
    HWND owner = GetWindow(Handle(), GW_OWNER);
    if (!owner) {
        CenterOnScreen();
        return;
    }
    RECT area, own;
    GetWindowRect(owner, &area);
    GetWindowRect(Handle(), &own);
    const int x = area.left + ((area.right - area.left) - (own.right - own.left)) / 2;
    const int y = area.top + ((area.bottom - area.top) - (own.bottom - own.top)) / 2;
    SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void HelpDialog::Paint(HDC dc)
{
    const int mode = SetBkMode(dc, TRANSPARENT);
    SetMapMode(dc, MM_TEXT);
    HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    GdiCanvas canvas(dc, *this);
    const help::Rect area = {textArea_.left, textArea_.top, textArea_.right, textArea_.bottom};
    help::DrawHelpText(canvas, lines_, area);
    // The fonts are deleted with the window: none may stay selected.
    SelectObject(dc, font);
    SetBkMode(dc, mode);
}

void HelpDialog::OnPaint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(Handle(), &paint);
    Paint(dc);
    EndPaint(Handle(), &paint);
}

INT_PTR HelpDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled)
{
    switch (message) {
    case WM_PAINT:
        OnPaint();
        handled = true;
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            End(LOWORD(wParam));
            handled = true;
            return TRUE;
        }
        break;
    case WM_DESTROY:
        DeleteFonts();
        break;
    default:
        break;
    }
    return Dialog::OnMessage(message, wParam, lParam, handled);
}
