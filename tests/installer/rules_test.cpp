// The installer's window-free rules: what it shows and what it accepts.
#include "Formats.h"
#include "Location.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>

namespace {

TEST(Formats, FreeSpaceAtItsBoundaries)
{
    const struct {
        int32_t kb;
        const char* text;
    } cases[] = {
        {0, "0 Kb libres"},
        {8191, "8191 Kb libres"},
        {8192, "8.00 Mb libres"},
        {10000, "9.76 Mb libres"},
        {1048575, "1023.99 Mb libres"},
        {1048576, "1024.00 Mb libres"},
        {INT32_MAX, "2097151.99 Mb libres"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, formats::FreeSpace(c.kb)) << c.kb;
}

TEST(Formats, RequiredSizeAtItsBoundaries)
{
    const struct {
        int32_t bytes;
        const char* text;
    } cases[] = {
        {0, "0 Kb"},
        {1023, "0 Kb"},
        {1024, "1 Kb"},
        {8388607, "8191 Kb"},
        {8388608, "8.00 Mb"},
        {10000000, "9.53 Mb"},
        {10485759, "9.99 Mb"},
        {INT32_MAX, "2047.99 Mb"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, formats::RequiredSize(c.bytes)) << c.bytes;
}

TEST(Formats, ProgressFillNeverOverflowsTheBar)
{
    EXPECT_EQ(0, formats::ProgressFill(0, 500, 500, 180));
    EXPECT_EQ(0, formats::ProgressFill(1000, 0, 0, 180));
    EXPECT_EQ(90, formats::ProgressFill(1000, 400, 100, 180));
    EXPECT_EQ(25, formats::ProgressFill(7, 1, 0, 180));  // 25.7, truncated
    EXPECT_EQ(179, formats::ProgressFill(1000, 999, 0, 180));
    EXPECT_EQ(180, formats::ProgressFill(1000, 1000, 0, 180));
    EXPECT_EQ(180, formats::ProgressFill(1000, 2000, 0, 180));
    EXPECT_EQ(180, formats::ProgressFill(1000, 1500, 500, 180));
    // Large counts are computed without 32-bit overflow.
    EXPECT_EQ(90, formats::ProgressFill(INT32_MAX - 1, INT32_MAX / 2, 0, 180));
}

TEST(Location, DriveStepsCycleFromCToZ)
{
    EXPECT_EQ(3, location::StepForward(2));   // the first step at start-up lands on C
    EXPECT_EQ(3, location::StepForward(26));  // forward from Z comes C
    EXPECT_EQ(26, location::StepBackward(3)); // backward from C comes Z
    EXPECT_EQ(1, location::StepForward(0));   // an earlier installation on A
    EXPECT_EQ(2, location::StepForward(1));   // ... or on B
    for (int step = 0; step < 2; step++) {
        std::set<int> seen;
        int drive = 3;
        for (int i = 0; i < location::DriveCycle; i++) {
            drive = step ? location::StepBackward(drive) : location::StepForward(drive);
            EXPECT_GE(drive, 3);
            EXPECT_LE(drive, 26);
            seen.insert(drive);
        }
        EXPECT_EQ(3, drive) << "one cycle comes back";
        EXPECT_EQ(24u, seen.size());
    }
    for (int d = 3; d <= 26; d++)
        EXPECT_EQ(d, location::StepBackward(location::StepForward(d)));
}

TEST(Location, FreeKbDoesNotWrap)
{
    EXPECT_EQ(4000, location::FreeKb(8, 512, 1000));
    EXPECT_EQ(0, location::FreeKb(8, 512, 0));
    // 8 GiB free: the 32-bit product would wrap to 0.
    EXPECT_EQ(8388608, location::FreeKb(64, 512, 262144));
    EXPECT_EQ(INT32_MAX, location::FreeKb(128, 4096, 0xFFFFFFFF));
    EXPECT_EQ(INT32_MAX, location::FreeKb(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF));
}

TEST(Location, SpaceCheckComparesWholeKb)
{
    EXPECT_TRUE(location::SpaceSuffices(10486783, 10240));  // 10,240 KB and 1,023 bytes
    EXPECT_FALSE(location::SpaceSuffices(10486783, 10239));
    EXPECT_TRUE(location::SpaceSuffices(1023, 0));
    EXPECT_FALSE(location::SpaceSuffices(1024, 0));
}

// The size pass's sums stop at INT32_MAX: such a total may stand for any
// larger one and never fits, whatever the free space; nor does a negative
// one, which no sum of the size pass gives.
TEST(Location, SpaceCheckRefusesTotalsAtTheLimit)
{
    EXPECT_TRUE(location::SpaceSuffices(INT32_MAX - 1, INT32_MAX));
    EXPECT_FALSE(location::SpaceSuffices(INT32_MAX, INT32_MAX));
    EXPECT_FALSE(location::SpaceSuffices(INT32_MIN, 100));
    EXPECT_FALSE(location::SpaceSuffices(-1, 100));
}

TEST(Location, DirectoryPaths)
{
    using location::PathCheck;
    const struct {
        const char* path;
        PathCheck check;
        std::vector<std::string> components;
    } cases[] = {
        {"DemoMB", PathCheck::Ok, {"DemoMB"}},
        {"DemoMB\\", PathCheck::Ok, {"DemoMB"}},
        {"Juegos\\DemoMB", PathCheck::Ok, {"Juegos", "DemoMB"}},
        {"Juegos\\Demo MB\\", PathCheck::Ok, {"Juegos", "Demo MB"}},
        {"", PathCheck::Empty, {}},
        {"\\DemoMB", PathCheck::LeadingBackslash, {}},
        {"\\", PathCheck::LeadingBackslash, {}},
        {"Juegos\\\\DemoMB", PathCheck::DoubleBackslash, {}},
        {"\\\\Juegos", PathCheck::DoubleBackslash, {}},
        {"DemoMB.", PathCheck::TrailingDot, {}},
        {".", PathCheck::TrailingDot, {}},
        {"DemoMB.\\", PathCheck::TrailingDot, {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> components;
        EXPECT_EQ(c.check, location::CheckDirectoryPath(c.path, components)) << c.path;
        EXPECT_EQ(c.components, components) << c.path;
    }
    EXPECT_STREQ("Debe introducir un nombre para el directorio", location::PathCheckMessage(PathCheck::Empty));
    EXPECT_STREQ("Nombre de directorio no válido", location::PathCheckMessage(PathCheck::DoubleBackslash));
    EXPECT_STREQ("Nombre de directorio no válido", location::PathCheckMessage(PathCheck::TrailingDot));
    EXPECT_STREQ("El nombre del directorio no puede comenzar por '\\'",
                 location::PathCheckMessage(PathCheck::LeadingBackslash));
}

TEST(Location, InstalledPathValue)
{
    const struct {
        const char* value;
        bool earlier;
        const char* dir;
        int drive;
    } cases[] = {
        {"D:\\Juegos\\DemoMB\\", true, "Juegos\\DemoMB", 3},
        {"C:\\DemoMB\\", true, "DemoMB", 2},
        {"C:\\DemoMB\\\\", true, "DemoMB\\", 2},
        {"d:\\Juegos\\", true, "Juegos", 3},
        {"A:\\x", true, "", 0},
        {"", false, "", 0},
        {"C:\\", false, "", 0},
        {"C:", false, "", 0},
        {"CC:\\DemoMB\\", false, "", 0},
        {"1:\\DemoMB\\", false, "", 0},
        {"C:/DemoMB/", false, "", 0},
        {"\\\\server\\share\\", false, "", 0},
    };
    for (const auto& c : cases) {
        std::string dir;
        int drive = 0;
        EXPECT_EQ(c.earlier, location::ParseInstalledPath(c.value, dir, drive)) << c.value;
        EXPECT_EQ(c.dir, dir) << c.value;
        EXPECT_EQ(c.drive, drive) << c.value;
    }
}

TEST(Location, TrimmedDirectoryText)
{
    EXPECT_EQ("DemoMB", location::Trim("  DemoMB \t"));
    EXPECT_EQ("Demo MB", location::Trim("Demo MB"));
    EXPECT_EQ("", location::Trim(" \t "));
}

}  // namespace
