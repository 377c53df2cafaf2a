// The help window under Wine: its size, button and place, its three fonts
// (gone when it closes), and what its painting puts on a bitmap.
#include "HelpDialog.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// What the open window showed, taken from inside its modal loop.
struct Seen {
    std::string title;
    RECT window = {}, owner = {};
    RECT button = {};  // in client coordinates
    std::string buttonText;
    int children = 0;
    RECT textArea = {};
    LOGFONTA fonts[3] = {};
    HFONT handles[3] = {};
    bool fontsGone[3] = {};  // right after the window closed
    std::string face;        // the face GDI gave the normal font
    int lineHeight = 0;      // the normal font's character height
    // The client area painted on a white bitmap: true where there is ink.
    std::vector<bool> ink;
    int width = 0, height = 0;

    bool InkIn(int left, int top, int right, int bottom) const
    {
        for (int y = top; y < bottom && y < height; y++)
            for (int x = left; x < right && x < width; x++)
                if (ink[y * width + x])
                    return true;
        return false;
    }
};

HelpDialog* running = nullptr;
Seen* seen = nullptr;

BOOL CALLBACK CountChild(HWND, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

void PaintOnBitmap(HelpDialog& dialog, Seen& out)
{
    RECT client;
    GetClientRect(dialog.Handle(), &client);
    out.width = client.right;
    out.height = client.bottom;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = out.width;
    info.bmiHeader.biHeight = -out.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HGDIOBJ font = SelectObject(dc, dialog.Font(help::Font::Normal));
    char face[LF_FACESIZE] = "";
    GetTextFaceA(dc, sizeof face, face);
    out.face = face;
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    out.lineHeight = metrics.tmHeight;
    SelectObject(dc, font);
    PatBlt(dc, 0, 0, out.width, out.height, WHITENESS);
    dialog.Paint(dc);
    GdiFlush();
    const uint32_t* pixels = static_cast<const uint32_t*>(bits);
    for (int i = 0; i < out.width * out.height; i++)
        out.ink.push_back((pixels[i] & 0xFFFFFF) != 0xFFFFFF);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

void CALLBACK LookAndClose(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    HWND window = running->Handle();
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    seen->title = text;
    GetWindowRect(window, &seen->window);
    if (HWND owner = GetWindow(window, GW_OWNER))
        GetWindowRect(owner, &seen->owner);
    HWND button = GetDlgItem(window, IDOK);
    GetWindowRect(button, &seen->button);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&seen->button), 2);
    GetWindowTextA(button, text, sizeof text);
    seen->buttonText = text;
    EnumChildWindows(window, CountChild, reinterpret_cast<LPARAM>(&seen->children));
    seen->textArea = running->TextArea();
    const help::Font fonts[] = {help::Font::Normal, help::Font::Bold, help::Font::Italic};
    for (int i = 0; i < 3; i++) {
        seen->handles[i] = running->Font(fonts[i]);
        GetObjectA(seen->handles[i], sizeof seen->fonts[i], &seen->fonts[i]);
    }
    PaintOnBitmap(*running, *seen);
    PostMessageA(window, WM_COMMAND, IDOK, 0);
}

// Runs the help window on path (465 x 465 pixels) over owner, looks at it and
// presses "OK".
Seen Show(const std::string& path, HWND owner = nullptr)
{
    Seen result;
    HelpDialog dialog(path, 465, 465);
    running = &dialog;
    seen = &result;
    SetTimer(nullptr, 0, 100, LookAndClose);
    EXPECT_EQ(IDOK, dialog.RunModal(owner));
    for (int i = 0; i < 3; i++)
        result.fontsGone[i] = GetObjectType(result.handles[i]) == 0;
    running = nullptr;
    seen = nullptr;
    return result;
}

std::string WriteText(const std::string& name, const std::string& text)
{
    const fs::path path = fs::current_path() / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

TEST(HelpDialog, WindowButtonAndPlace)
{
    HWND owner = CreateWindowA("STATIC", "propietaria", WS_POPUP | WS_VISIBLE, 100, 60, 640, 480, nullptr, nullptr,
                               nullptr, nullptr);
    ASSERT_NE(nullptr, owner);
    const Seen s = Show(WriteText("help_place.txt", "Texto\r\n"), owner);
    DestroyWindow(owner);
    EXPECT_EQ("Ayuda de Demo Morvadin Brumaria", s.title);
    EXPECT_EQ(465, s.window.right - s.window.left);
    EXPECT_EQ(465, s.window.bottom - s.window.top);
    // Centred over its owner.
    EXPECT_EQ(s.owner.left + (640 - 465) / 2, s.window.left);
    EXPECT_EQ(s.owner.top + (480 - 465) / 2, s.window.top);
    EXPECT_EQ((RECT{195, 390, 270, 414}.left), s.button.left);
    EXPECT_EQ(390, s.button.top);
    EXPECT_EQ(75, s.button.right - s.button.left);
    EXPECT_EQ(24, s.button.bottom - s.button.top);
    EXPECT_EQ("OK", s.buttonText);
    EXPECT_EQ(1, s.children);
    EXPECT_EQ(10, s.textArea.left);
    EXPECT_EQ(10, s.textArea.top);
    EXPECT_EQ(s.width - 10, s.textArea.right);
    EXPECT_EQ(s.height - 50, s.textArea.bottom);
}

// Courier New of 12 pixels in three styles; all three deleted when the
// window closes, not when the object goes.
TEST(HelpDialog, ThreeFontsDeletedOnClosing)
{
    const Seen s = Show(WriteText("help_fonts.txt", "Texto\r\n"));
    const struct {
        LONG weight;
        BYTE italic;
    } expected[] = {{400, 0}, {700, 0}, {400, 1}};
    // (The test bed maps it to its metric twin; without that the face is a
    // proportional one and the columns of the help text come apart.)
    EXPECT_EQ("Courier New", s.face);
    for (int i = 0; i < 3; i++) {
        EXPECT_STREQ("Courier New", s.fonts[i].lfFaceName) << i;
        EXPECT_EQ(-12, s.fonts[i].lfHeight) << i;
        EXPECT_EQ(0x10, s.fonts[i].lfPitchAndFamily) << i;
        EXPECT_EQ(expected[i].weight, s.fonts[i].lfWeight) << i;
        EXPECT_EQ(expected[i].italic, s.fonts[i].lfItalic) << i;
        EXPECT_TRUE(s.fontsGone[i]) << "font " << i << " was not deleted";
    }
}

// Without its file the window has only "OK" and nothing painted.
TEST(HelpDialog, MissingFileGivesAnEmptyWindow)
{
    const Seen s = Show((fs::current_path() / "no_existe" / "Texto.txt").string());
    EXPECT_EQ(1, s.children);
    EXPECT_EQ("OK", s.buttonText);
    EXPECT_FALSE(s.InkIn(0, 0, s.width, s.height));
}

// The text starts at the top left of the area; rows that would end below its
// bottom are not drawn.
TEST(HelpDialog, PaintingStaysInTheTextArea)
{
    std::string text;
    for (int i = 0; i < 60; i++)
        text += "\\bLinea\\n numero " + std::to_string(i) + "\r\n";
    const Seen s = Show(WriteText("help_paint.txt", text));
    EXPECT_TRUE(s.InkIn(s.textArea.left, s.textArea.top, s.textArea.left + 20, s.textArea.top + 14));
    EXPECT_FALSE(s.InkIn(0, 0, s.textArea.left, s.height)) << "ink left of the area";
    EXPECT_FALSE(s.InkIn(0, 0, s.width, s.textArea.top)) << "ink above the area";
    EXPECT_FALSE(s.InkIn(0, s.textArea.bottom, s.width, s.height)) << "ink below the area";
    EXPECT_TRUE(s.InkIn(0, s.textArea.bottom - 40, s.width, s.textArea.bottom)) << "the area is not filled";
}

// A help file saved with a Ctrl-Z at its end, and whatever follows it: the
// window shows the text before it and nothing more.
TEST(HelpDialog, TextEndsAtCtrlZ)
{
    const Seen s = Show(WriteText("help_eof.txt", "Texto\r\n\x1A" "Basura tras el final\r\n"));
    ASSERT_GT(s.lineHeight, 0);
    const int secondRow = s.textArea.top + s.lineHeight;
    EXPECT_TRUE(s.InkIn(s.textArea.left, s.textArea.top, s.textArea.right, secondRow));
    EXPECT_FALSE(s.InkIn(0, secondRow, s.width, s.height)) << "ink below the first line";
}

}  // namespace
