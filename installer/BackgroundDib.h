// The installer's background picture, kept as a device bitmap in a memory
// context once it has been drawn, and the one palette of the process.
#pragma once

#include "BitmapFile.h"

#include <windows.h>

// The palette of the first 8-bit picture loaded; lives until the process ends.
extern HPALETTE GlobalPalette;
HPALETTE CreateGlobalPalette(const RGBQUAD (&table)[256]);

class BackgroundDib {
public:
    BackgroundDib() = default;
    ~BackgroundDib() { ReleaseBackground(); }
    BackgroundDib(const BackgroundDib&) = delete;
    BackgroundDib& operator=(const BackgroundDib&) = delete;

    // Reads the picture; 0 on success, else the cause code of the failure
    // (that of the open, 14 for a file that ends early, 6 for a file that is
    // not a picture the installer can show).
    unsigned LoadBackground(const char* path);
    // Copies (sw and sh 0) or stretches the picture onto the rectangle.
    void DrawBackground(HDC target, const RECT& rect, int sx, int sy, int sw, int sh);
    void ReleaseBackground();

    int Width() const { return info_.width; }
    int Height() const { return info_.height; }

private:
    // The file's headers and colour table, back to back: the information
    // header and the table form the bitmap-info block given to Windows.
    struct {
        BITMAPFILEHEADER file;
        BITMAPINFOHEADER info;
        RGBQUAD colours[256];
    } headers_;
    BitmapFileInfo info_;
    uint8_t* pixels_ = nullptr;
    HDC memory_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previousBitmap_ = nullptr;
    HPALETTE previousPalette_ = nullptr;
};
