// How InstallDialog looks: its size and face come from Brumaria.BMP, its
// values are painted over the picture, and its progress bar grows while the
// install run works.
#include "Formats.h"
#include "InstallDialog.h"
#include "Sizes.h"
#include "resource.h"

#include <cstdio>

namespace {

struct ButtonRow {
    const char* caption;
    int x, y, width, height;
    DWORD style;
    int id;
};

const ButtonRow ButtonTable[] = {
    {"Instalar", 231, 374, 73, 21, WS_CHILD | WS_VISIBLE, IDOK},
    {"Cancelar", 323, 374, 73, 21, WS_CHILD | WS_VISIBLE, IDCANCEL},
    {"", 18, 266, 15, 15, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, IDC_PREV_DRIVE},
    {"", 51, 266, 15, 15, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, IDC_NEXT_DRIVE},
};

struct PlacementRow {
    int id;
    int x, y, width, height;
};

const PlacementRow ControlPlacementTable[] = {
    {IDC_INSTALL_DIR, 231, 265, 162, 14},
    {IDC_PROGRESS_AREA, 16, 375, 186, 15},
};

struct LabelRow {
    const char* text;
    int x, y;
};

// Texts painted over the picture besides the values; the picture carries its
// own captions, so the shipped table is empty.
const LabelRow LabelTable[] = {{"", 0, 0}};
const int LabelCount = LabelTable[0].text[0] ? sizeof LabelTable / sizeof LabelTable[0] : 0;

const char* const AutodetectLabel = "Autodetectar Tarjeta de Sonido";
const RECT RequiredSizeArea = {271, 321, 395, 337};
const COLORREF ProgressColour = PALETTERGB(239, 165, 0);

}  // namespace

void InstallDialog::CreateButtons()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    int i = 0;
    for (const ButtonRow& row : ButtonTable) {
        buttons_[i] = CreateWindowA("BUTTON", row.caption, row.style, row.x, row.y, row.width, row.height, Handle(),
                                    reinterpret_cast<HMENU>(INT_PTR(row.id)), instance, nullptr);
        SendMessageA(buttons_[i++], WM_SETFONT, reinterpret_cast<WPARAM>(InstallFont), TRUE);
    }
}

// Sizes the window to the picture. False (after its message) when the picture
// cannot be shown.
bool InstallDialog::LayoutInstallDialog()
{
    const std::string path = SourceDir + "Brumaria.BMP";
    RECT window, client;
    GetWindowRect(Handle(), &window);
    GetClientRect(Handle(), &client);
    const int extraWidth = (window.right - window.left) - client.right;
    const int extraHeight = (window.bottom - window.top) - client.bottom;

    if (unsigned cause = background_.LoadBackground(path.c_str())) {
        char text[400];
        std::snprintf(text, sizeof text, "No es posible abrir el fichero %s, error = %u\n", path.c_str(), cause);
        Message(text, MB_OK);
        return false;
    }
    MoveWindow(Handle(), 0, 0, background_.Width() + extraWidth, background_.Height() + extraHeight, FALSE);
    for (const PlacementRow& row : ControlPlacementTable)
        SetWindowPos(Item(row.id), nullptr, row.x, row.y, row.width, row.height, SWP_NOZORDER);
    progressAreaKnown_ = false;
    SendDlgItemMessageA(Handle(), IDC_INSTALL_DIR, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(2, 2));
    return true;
}

void InstallDialog::DrawText(HDC dc, int x, int y, const std::string& text)
{
    TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

// Control 1003 keeps its place in the client area once laid out; the bar
// asks for it at every step, so it is looked up once.
RECT InstallDialog::ProgressArea()
{
    if (!progressAreaKnown_) {
        GetWindowRect(Item(IDC_PROGRESS_AREA), &progressArea_);
        MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&progressArea_), 2);
        progressAreaKnown_ = true;
    }
    return progressArea_;
}

void InstallDialog::OnPaint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(Handle(), &paint);
    RECT client;
    GetClientRect(Handle(), &client);
    const RECT whole = {0, 0, client.right + 1, client.bottom + 1};
    background_.DrawBackground(dc, whole, 0, 0, 0, 0);

    HGDIOBJ previousFont = SelectObject(dc, InstallFont);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, TRANSPARENT);
    DrawText(dc, 42, 345, AutodetectLabel);
    for (int i = 0; i < LabelCount; i++)
        DrawText(dc, LabelTable[i].x, LabelTable[i].y, LabelTable[i].text);
    DrawFreeSpace(dc);
    DrawRequiredSize(dc);

    const RECT frame = ProgressArea();
    HBRUSH brush = CreateSolidBrush(ProgressColour);
    FrameRect(dc, &frame, brush);
    DeleteObject(brush);
    SelectObject(dc, previousFont);
    EndPaint(Handle(), &paint);
    drawnBarRight_ = -1;
    StepProgress();
}

void InstallDialog::DrawRequiredSize(HDC dc)
{
    if (!dc) {
        RedrawWindow(Handle(), &RequiredSizeArea, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        return;
    }
    DrawText(dc, 275, 321, formats::RequiredSize(RequiredBytes));
}

// Keeps the window painted during long work: activation messages are let
// through (so the window repaints when it comes to the front), nothing else.
// The unpacking steps every 8 KB, hundreds of times a second: a step that
// would leave the bar as it is on the screen only looks at the queue once
// StepQuietMs have passed since the last look.
void InstallDialog::StepProgress()
{
    RECT bar = ProgressArea();
    InflateRect(&bar, -3, -3);
    bar.right = bar.left + formats::ProgressFill(TotalBytes, DoneBytes, CurrentFileBytes, bar.right - bar.left);
    const DWORD now = GetTickCount();
    if (bar.right == drawnBarRight_ && now - lastStepTicks_ < StepQuietMs)
        return;
    lastStepTicks_ = now;

    MSG message;
    while (PeekMessageA(&message, nullptr, WM_ACTIVATE, WM_ACTIVATE, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    UpdateWindow(Handle());
    // Painting draws the bar itself (and so may just have drawn it).
    if (bar.right == drawnBarRight_)
        return;
    drawnBarRight_ = bar.right;

    HDC dc = GetDC(Handle());
    RealizePalette(dc);
    HPALETTE previousPalette = SelectPalette(dc, GlobalPalette, TRUE);
    HBRUSH brush = CreateSolidBrush(ProgressColour);
    HPEN pen = CreatePen(PS_SOLID, 1, ProgressColour);
    HGDIOBJ previousBrush = SelectObject(dc, brush);
    HGDIOBJ previousPen = SelectObject(dc, pen);
    Rectangle(dc, bar.left, bar.top, bar.right, bar.bottom);
    SelectObject(dc, previousPen);
    SelectObject(dc, previousBrush);
    if (previousPalette)
        SelectPalette(dc, previousPalette, TRUE);
    DeleteObject(pen);
    DeleteObject(brush);
    ReleaseDC(Handle(), dc);
}

void InstallDialog::OnDrawItem(const DRAWITEMSTRUCT& item)
{
    HBITMAP bitmap;
    if (item.CtlID == IDC_PREV_DRIVE)
        bitmap = prevDriveBitmap_;
    else if (item.CtlID == IDC_NEXT_DRIVE)
        bitmap = nextDriveBitmap_;
    else
        return;
    // Three 16 x 16 images from the top: normal, focused, pressed.
    const int image = (item.itemState & ODS_SELECTED) ? 2 : (item.itemState & ODS_FOCUS) ? 1 : 0;
    HDC memory = CreateCompatibleDC(item.hDC);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(item.hDC, item.rcItem.left, item.rcItem.top, item.rcItem.right - item.rcItem.left,
           item.rcItem.bottom - item.rcItem.top, memory, 0, 16 * image, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
}

BOOL InstallDialog::OnPaletteMessage()
{
    HDC dc = GetDC(Handle());
    HPALETTE previous = SelectPalette(dc, GlobalPalette, FALSE);
    if (RealizePalette(dc) > 0)
        InvalidateRect(Handle(), nullptr, FALSE);
    if (previous)
        SelectPalette(dc, previous, FALSE);
    ReleaseDC(Handle(), dc);
    return TRUE;
}

void InstallDialog::StartDrag(LPARAM point)
{
    DragOrigin.x = static_cast<short>(LOWORD(point));
    DragOrigin.y = static_cast<short>(HIWORD(point));
    Dragging = true;
    SetCapture(Handle());
}

void InstallDialog::Drag(LPARAM point)
{
    if (!Dragging)
        return;
    RECT window;
    GetWindowRect(Handle(), &window);
    OffsetRect(&window, static_cast<short>(LOWORD(point)) - DragOrigin.x,
               static_cast<short>(HIWORD(point)) - DragOrigin.y);
    MoveWindow(Handle(), window.left, window.top, window.right - window.left, window.bottom - window.top, TRUE);
}

void InstallDialog::EndDrag()
{
    if (!Dragging)
        return;
    Dragging = false;
    ReleaseCapture();
}

void InstallDialog::OnEntryBegin(const char*, uint32_t, uint32_t)
{
    CurrentFileBytes = 0;
    StepProgress();
}

void InstallDialog::OnEntryEnd(const char*, uint32_t, uint32_t uncompressedSize)
{
    CurrentFileBytes = 0;
    DoneBytes = AddBytes(DoneBytes, uncompressedSize);
    StepProgress();
}

void InstallDialog::OnProgress(const char*, uint32_t bytesDone, uint32_t)
{
    CurrentFileBytes = AddBytes(0, bytesDone);
    StepProgress();
}
