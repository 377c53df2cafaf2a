// The driver information library's window-free rules.
#include "PardevCore.h"
#include "QrbDeviceRecord.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

TEST(ResultTexts, CodesZeroToTwelveAndNothingElse)
{
    EXPECT_STREQ(ResultText(QrbOk), "ERROR : Error Code Does Not Indicate An Error");
    EXPECT_STREQ(ResultText(QrbNoDevices), "WARNING : No Devices Found On Search");
    EXPECT_STREQ(ResultText(QrbFirstNotCalled), "ERROR : qrbSSGetFirstDevice Not Called Before qrbSSGetNextDevice");
    EXPECT_STREQ(ResultText(QrbVxdIoctlFailed), "ERROR : VxD DeviceIOControl Failed");
    EXPECT_STREQ(ResultText(QrbBadCapabilities), "ERROR : Capabilities Structure Is Not Valid");
    for (int32_t code = 0; code <= 12; code++)
        EXPECT_NE(ResultText(code), nullptr) << code;
    for (int32_t code : {-1, 13, 100, INT32_MIN, INT32_MAX})
        EXPECT_EQ(ResultText(code), nullptr) << code;
}

// A registry value that fills its field comes back without a terminator.
TEST(RegistryTexts, EndInsideTheirField)
{
    char field[8];
    std::memcpy(field, "ABCDEFGH", 8);
    TerminateField(field, sizeof field, 8);
    EXPECT_STREQ(field, "ABCDEFG");
    std::memcpy(field, "abcXXXXX", 8);  // three bytes read, no terminator among them
    TerminateField(field, sizeof field, 3);
    EXPECT_STREQ(field, "abc");
    std::memcpy(field, "ab\0XXXXX", 8);
    TerminateField(field, sizeof field, 3);
    EXPECT_STREQ(field, "ab");
}

TEST(RegistryTexts, DriverNamesLowerCasedAToZOnly)
{
    char name[16] = "SB16\xC4.DRV";
    LowerAsciiAZ(name, sizeof name);
    EXPECT_STREQ(name, "sb16\xC4.drv");
    char full[4] = {'A', 'B', 'C', 'D'};  // no terminator: stops at the field's end
    LowerAsciiAZ(full, sizeof full);
    EXPECT_EQ(std::string(full, 4), "abcd");
}

TEST(RegistryTexts, ActiveAsADecimalNumber)
{
    EXPECT_EQ(ActiveValue("1"), 1);
    EXPECT_EQ(ActiveValue("0"), 0);
    EXPECT_EQ(ActiveValue("  \t-12x"), -12);
    EXPECT_EQ(ActiveValue("+3"), 3);
    EXPECT_EQ(ActiveValue("si"), 0);
    EXPECT_EQ(ActiveValue(""), 0);
}

// Beyond 32 bits the number stops at the end of the range: a multiple of
// 2^32 must not wrap round to 0 and make the device pass for inactive.
TEST(RegistryTexts, ActiveBeyond32BitsDoesNotWrap)
{
    const struct {
        const char* text;
        int32_t value;
    } cases[] = {
        {"2147483647", INT32_MAX},       {"2147483648", INT32_MAX},      {"4294967295", INT32_MAX},
        {"4294967296", INT32_MAX},       {"8589934592", INT32_MAX},      {"99999999999999999999", INT32_MAX},
        {"-2147483648", INT32_MIN},      {"-2147483649", INT32_MIN},     {"-4294967296", INT32_MIN},
        {"00000000000000000000001", 1},  {"-0000000000000000000000", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ActiveValue(c.text), c.value) << c.text;
}

// Whatever the driver wrote over the record, its texts end inside their
// fields and its flags say "filled" and nothing more.
TEST(DeviceRecord, FinishedAfterTheDriverWroteOverIt)
{
    QrbDeviceRecord record;
    std::memset(&record, 0x41, sizeof record);
    FinishRecord(record);
    EXPECT_EQ(record.flags, QrbRecordFilled);
    EXPECT_EQ(std::string(record.description), std::string(95, 'A'));
    EXPECT_EQ(std::string(record.driverName), std::string(63, 'A'));
    EXPECT_EQ(std::string(record.deviceIdText), std::string(63, 'A'));
    EXPECT_EQ(record.port, 0x41414141u) << "the driver's numbers stay";

    std::memset(&record, 0, sizeof record);
    std::strcpy(record.description, "Sound Blaster 16");
    record.flags = 0xFFFFFFFF;
    FinishRecord(record);
    EXPECT_EQ(record.flags, QrbRecordFilled);
    EXPECT_STREQ(record.description, "Sound Blaster 16");
}

TEST(ConfigPath, DirectoryPlusNameWithin256Bytes)
{
    char path[ConfigPathBytes];
    ASSERT_TRUE(BuildConfigPath(nullptr, path));
    EXPECT_STREQ(path, "qrbset.cfg");
    ASSERT_TRUE(BuildConfigPath("C:\\DemoMB", path));
    EXPECT_STREQ(path, "C:\\DemoMB\\qrbset.cfg");
    // 244 + "\" + 10 + terminator = 256 bytes: the longest that fits.
    const std::string longest(244, 'd');
    ASSERT_TRUE(BuildConfigPath(longest.c_str(), path));
    EXPECT_EQ(std::string(path), longest + "\\qrbset.cfg");
    EXPECT_FALSE(BuildConfigPath((longest + "d").c_str(), path));
    EXPECT_STREQ(path, "");
}
