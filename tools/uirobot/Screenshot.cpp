#include "Screenshot.h"

#include <cctype>
#include <cstdio>

bool HeadlessDisplay()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Drivers", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    char value[128] = "";
    DWORD size = sizeof value - 1, type = 0;
    LONG result = RegQueryValueExA(key, "Graphics", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ)
        return false;
    std::string drivers(value);
    for (char& c : drivers)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return drivers.find("null") != std::string::npos;
}

namespace {

// A bottom-up 24-bit DIB: rows padded to four bytes, the last row first.
bool WriteBmp(const std::string& path, const BITMAPINFOHEADER& header, const void* bits, std::string& error)
{
    DWORD stride = (header.biWidth * 3 + 3) & ~3u;
    DWORD imageSize = stride * header.biHeight;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + imageSize;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
        error = "cannot create " + path;
        return false;
    }
    bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&header, sizeof header, 1, out) == 1 &&
              std::fwrite(bits, imageSize, 1, out) == 1;
    ok = std::fclose(out) == 0 && ok;
    if (!ok)
        error = "cannot write " + path;
    return ok;
}

} // namespace

bool CaptureWindow(HWND hwnd, const std::string& path, std::string& error)
{
    RECT rect;
    if (!GetWindowRect(hwnd, &rect) || rect.right <= rect.left || rect.bottom <= rect.top) {
        error = "the window has no area";
        return false;
    }
    BITMAPINFO info = {};
    BITMAPINFOHEADER& header = info.bmiHeader;
    header.biSize = sizeof header;
    header.biWidth = rect.right - rect.left;
    header.biHeight = rect.bottom - rect.top;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (!bitmap) {
        error = "cannot make a bitmap";
    } else {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, header.biWidth, header.biHeight, screen, rect.left, rect.top,
                    SRCCOPY | CAPTUREBLT);
        GdiFlush();
        SelectObject(memory, old);
        if (!ok)
            error = "BitBlt from the screen failed";
        else
            ok = WriteBmp(path, header, bits, error);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}
