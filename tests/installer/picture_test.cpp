// Which background pictures the installer takes, and how much it reads of them.
#include "BitmapFile.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct Header {
    uint8_t bytes[bitmapfile::HeaderBytes] = {};
    Header(int32_t width, int32_t height, uint16_t bitCount, const char* signature = "BM")
    {
        std::memcpy(bytes, signature, 2);
        Put32(14, 40);
        Put32(18, static_cast<uint32_t>(width));
        Put32(22, static_cast<uint32_t>(height));
        bytes[26] = 1;
        bytes[28] = static_cast<uint8_t>(bitCount);
        bytes[29] = static_cast<uint8_t>(bitCount >> 8);
    }
    void Put32(int at, uint32_t value)
    {
        for (int i = 0; i < 4; i++)
            bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
};

TEST(BackgroundPicture, TakenPicturesAndTheirSizes)
{
    const struct {
        int32_t width, height;
        uint16_t bitCount;
        uint32_t table, pixels;
    } cases[] = {
        {640, 480, 8, 1024, 640 * 480},
        {641, 2, 8, 1024, 644 * 2},      // rows padded to 4 bytes
        {16, 48, 4, 64, 8 * 48},
        {3, 1, 1, 8, 4},
        {3, 3, 24, 0, 12 * 3},
        {640, 480, 16, 0, 1280 * 480},
        {1, 1, 32, 0, 4},
        {4096, 4096, 8, 1024, 4096u * 4096u},
    };
    for (const auto& c : cases) {
        BitmapFileInfo info;
        Header header(c.width, c.height, c.bitCount);
        EXPECT_EQ(0u, bitmapfile::Parse(header.bytes, info)) << c.width << "x" << c.height << "x" << c.bitCount;
        EXPECT_EQ(c.table, info.colourTableBytes) << c.bitCount;
        EXPECT_EQ(c.pixels, info.pixelBytes) << c.width << "x" << c.height << "x" << c.bitCount;
    }
}

TEST(BackgroundPicture, RefusedPictures)
{
    const Header refused[] = {
        Header(640, 480, 8, "MB"),
        Header(640, 480, 8, "B\0"),
        Header(640, -480, 8),  // top-down rows
        Header(640, 0, 8),
        Header(0, 480, 8),
        Header(-640, 480, 8),
        Header(640, 480, 9),   // a colour table of 2 KB and more
        Header(640, 480, 15),
        Header(640, 480, 0),
        Header(640, 480, 2),
        Header(640, 480, 64),
        Header(4097, 480, 8),
        Header(640, 100000, 8),
    };
    for (const Header& header : refused) {
        BitmapFileInfo info;
        EXPECT_EQ(6u, bitmapfile::Parse(header.bytes, info));
    }
}

}  // namespace
