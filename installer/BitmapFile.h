// The headers of a .BMP file as the installer reads its background picture:
// 14 bytes of file header and 40 of information header, then the colour table
// and the pixel rows, read from where the headers end.
#pragma once

#include <cstdint>

struct BitmapFileInfo {
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bitCount = 0;
    uint32_t colourTableBytes = 0;  // 4 << bitCount below 16 bits, else 0
    uint32_t pixelBytes = 0;        // rows padded to 4 bytes
};

namespace bitmapfile {

const unsigned HeaderBytes = 14 + 40;
// The largest picture taken: far more than any screen of the time.
const int32_t MaxSide = 4096;

// Checks the headers; returns 0 and fills info for a picture the installer
// can show, else the cause code reported for it: 6 for a file that is not
// such a picture (signature, bit counts 9 to 15 whose colour table would not
// fit, top-down rows, empty or outsized pictures).
unsigned Parse(const uint8_t (&headers)[HeaderBytes], BitmapFileInfo& info);

}  // namespace bitmapfile
