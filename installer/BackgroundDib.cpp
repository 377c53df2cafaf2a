#include "BackgroundDib.h"

#include "Files.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

HPALETTE GlobalPalette = nullptr;

HPALETTE CreateGlobalPalette(const RGBQUAD (&table)[256])
{
    struct {
        WORD version;
        WORD count;
        PALETTEENTRY entries[256];
    } palette;
    palette.version = 0x300;
    palette.count = 256;
    for (int i = 0; i < 256; i++) {
        palette.entries[i].peRed = table[i].rgbRed;
        palette.entries[i].peGreen = table[i].rgbGreen;
        palette.entries[i].peBlue = table[i].rgbBlue;
        palette.entries[i].peFlags = 0;
    }
    GlobalPalette = CreatePalette(reinterpret_cast<LOGPALETTE*>(&palette));
    return GlobalPalette;
}

unsigned BackgroundDib::LoadBackground(const char* path)
{
    ReleaseBackground();
    static_assert(sizeof headers_.file == 14 && sizeof headers_.info == 40, "packed .BMP headers");
    unsigned cause;
    std::FILE* file = files::Open(path, "rb", cause);
    if (!file)
        return cause;

    uint8_t raw[bitmapfile::HeaderBytes];
    if (std::fread(raw, 1, sizeof raw, file) != sizeof raw) {
        std::fclose(file);
        return files::EndOfFile;
    }
    std::memcpy(&headers_.file, raw, 14);
    std::memcpy(&headers_.info, raw + 14, 40);
    cause = bitmapfile::Parse(raw, info_);
    if (cause == 0 && info_.colourTableBytes &&
        std::fread(headers_.colours, 1, info_.colourTableBytes, file) != info_.colourTableBytes)
        cause = files::EndOfFile;
    if (cause == 0) {
        if (!GlobalPalette && info_.bitCount == 8)
            CreateGlobalPalette(headers_.colours);
        // The pixels follow the colour table; the header's pixel offset is not used.
        pixels_ = static_cast<uint8_t*>(std::malloc(info_.pixelBytes));
        if (!pixels_)
            cause = files::Generic;
        else if (std::fread(pixels_, 1, info_.pixelBytes, file) != info_.pixelBytes)
            cause = files::EndOfFile;
    }
    std::fclose(file);
    if (cause != 0) {
        ReleaseBackground();
        info_ = BitmapFileInfo();
    }
    return cause;
}

void BackgroundDib::DrawBackground(HDC target, const RECT& rect, int sx, int sy, int sw, int sh)
{
    if (!memory_) {
        if (!pixels_)
            return;
        HPALETTE targetPrevious = SelectPalette(target, GlobalPalette, FALSE);
        RealizePalette(target);
        memory_ = CreateCompatibleDC(target);
        previousPalette_ = SelectPalette(memory_, GlobalPalette, FALSE);
        RealizePalette(memory_);
        bitmap_ = CreateDIBitmap(target, &headers_.info, CBM_INIT, pixels_,
                                 reinterpret_cast<BITMAPINFO*>(&headers_.info), DIB_RGB_COLORS);
        std::free(pixels_);
        pixels_ = nullptr;
        previousBitmap_ = SelectObject(memory_, bitmap_);
        SelectPalette(target, targetPrevious, FALSE);
    }
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (sw == 0 && sh == 0)
        BitBlt(target, rect.left, rect.top, width, height, memory_, sx, sy, SRCCOPY);
    else
        StretchBlt(target, rect.left, rect.top, width, height, memory_, sx, sy, sw, sh, SRCCOPY);
}

void BackgroundDib::ReleaseBackground()
{
    std::free(pixels_);
    pixels_ = nullptr;
    if (bitmap_) {
        SelectObject(memory_, previousBitmap_);
        DeleteObject(bitmap_);
    }
    if (memory_) {
        SelectPalette(memory_, previousPalette_, FALSE);
        DeleteDC(memory_);
    }
    bitmap_ = nullptr;
    memory_ = nullptr;
    previousBitmap_ = nullptr;
    previousPalette_ = nullptr;
}
