#include "BitmapFile.h"

namespace bitmapfile {
namespace {

const unsigned InvalidFile = 6;

int32_t Get32(const uint8_t* p)
{
    return static_cast<int32_t>(p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

unsigned Parse(const uint8_t (&headers)[HeaderBytes], BitmapFileInfo& info)
{
    if (headers[0] != 'B' || headers[1] != 'M')
        return InvalidFile;
    const uint8_t* infoHeader = headers + 14;
    info.width = Get32(infoHeader + 4);
    info.height = Get32(infoHeader + 8);
    info.bitCount = static_cast<uint16_t>(infoHeader[14] | infoHeader[15] << 8);
    if (info.width <= 0 || info.height <= 0 || info.width > MaxSide || info.height > MaxSide)
        return InvalidFile;
    switch (info.bitCount) {
    case 1:
    case 4:
    case 8:
        info.colourTableBytes = 4u << info.bitCount;
        break;
    case 16:
    case 24:
    case 32:
        info.colourTableBytes = 0;
        break;
    default:
        return InvalidFile;
    }
    const uint32_t rowBytes = ((uint32_t(info.width) * info.bitCount + 31) / 32) * 4;
    info.pixelBytes = uint32_t(info.height) * rowBytes;
    return 0;
}

}  // namespace bitmapfile
