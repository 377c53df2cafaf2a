// qrbset.cfg from both writers, byte for byte, and the card table's lists.
#include "QrbConfig.h"
#include "SoundCardTable.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string TempDir()
{
    const auto seed = std::chrono::steady_clock::now().time_since_epoch().count();
    for (unsigned attempt = 0; attempt < 1000; attempt++) {
        const fs::path dir = fs::temp_directory_path() / ("qrbcfg-" + std::to_string((seed + attempt) % 1000000007));
        std::error_code error;
        if (fs::create_directory(dir, error))
            return dir.string();
    }
    return "";
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return in ? text.str() : "(missing)";
}

int Row(const char* name)
{
    for (int i = 0; i < SoundCardCount; i++) {
        if (std::string(SoundCardTable[i].name) == name)
            return i;
    }
    return -1;
}

class ConfigFileTest : public ::testing::Test {
protected:
    void SetUp() override { dir_ = TempDir(); ASSERT_FALSE(dir_.empty()); }
    void TearDown() override
    {
        std::error_code error;
        fs::remove_all(dir_, error);
    }
    std::string File() const { return dir_ + "/qrbset.cfg"; }
    std::string dir_;
};

const char* const Row2Text =
    "\r\n[DIGITAL]\r\n"
    "DeviceName  = Sound Blaster 16/AWE32\r\n"
    "DeviceIRQ   = 5\r\n"
    "DeviceDMA   = 1\r\n"
    "DevicePort  = 0x220\r\n"
    "DeviceID    = 0xe015\r\n";

}  // namespace

// Lists that fill all their slots have no end marker: counting stops at
// the slot count and never runs into the next list.
TEST(CardTable, ListsEndAtTheirMarkerOrTheirSlotCount)
{
    struct Counts { const char* name; int ports, dma, irq; } rows[] = {
        {"Sound Blaster", 6, 1, 4},           {"Roland RAP-10", 7, 1, 0},  {"Pro Audio Spectrum 16", 1, 6, 0},
        {"Gravis UltraSound", 6, 5, 7},       {"NewMedia .WAVJammer", 4, 0, 0}, {"Interwave", 1, 0, 0},
        {"Microsoft Sound System", 4, 3, 0},
    };
    for (const Counts& c : rows) {
        const SoundCard& card = SoundCardTable[Row(c.name)];
        EXPECT_EQ(CardPortCount(card), c.ports) << c.name;
        EXPECT_EQ(CardDmaCount(card), c.dma) << c.name;
        EXPECT_EQ(CardIrqCount(card), c.irq) << c.name;
    }
    const SoundCard& roland = SoundCardTable[Row("Roland RAP-10")];
    EXPECT_EQ(CardPort(roland, 6), 0x350);
    EXPECT_EQ(CardPort(roland, 7), 0);
    const SoundCard& gravis = SoundCardTable[Row("Gravis UltraSound")];
    EXPECT_EQ(CardIrq(gravis, 6), 15);
    EXPECT_EQ(CardIrq(gravis, 7), -1);
    EXPECT_EQ(CardDma(SoundCardTable[Row("Pro Audio Spectrum 16")], 5), 7);
}

TEST(CardWriter, Row2WithPort220Dma1Irq5)
{
    EXPECT_EQ(CardConfigText(SoundCardTable[2], 0, 1, 1), Row2Text);
}

TEST(CardWriter, CardsWithoutIrqOrDmaWriteMinusOne)
{
    EXPECT_EQ(CardConfigText(SoundCardTable[Row("Ensoniq SoundScape")], 2, 0, 0),
              "\r\n[DIGITAL]\r\nDeviceName  = Ensoniq SoundScape\r\nDeviceIRQ   = -1\r\nDeviceDMA   = 0\r\n"
              "DevicePort  = 0x340\r\nDeviceID    = 0xe01d\r\n");
    EXPECT_EQ(CardConfigText(SoundCardTable[Row("NewMedia .WAVJammer")], 2, 0, 0),
              "\r\n[DIGITAL]\r\nDeviceName  = NewMedia .WAVJammer\r\nDeviceIRQ   = -1\r\nDeviceDMA   = -1\r\n"
              "DevicePort  = 0xe80\r\nDeviceID    = 0xe02b\r\n");
}

// The card-table writer pads the port to three digits, the library writer
// does not; three-digit ports look the same from both.
TEST(Writers, PortDigits)
{
    SoundCard card = SoundCardTable[0];
    card.ports[0] = 0x20;
    const std::string fromCard = CardConfigText(card, 0, 0, 0);
    EXPECT_NE(fromCard.find("DevicePort  = 0x020\r\n"), std::string::npos) << fromCard;
    const std::string fromLibrary = LibraryConfigText("X", 5, 1, 0x20, 0xe015);
    EXPECT_NE(fromLibrary.find("DevicePort  = 0x20\r\n"), std::string::npos) << fromLibrary;
    EXPECT_NE(CardConfigText(SoundCardTable[Row("Adlib Gold")], 0, 0, 0).find("DevicePort  = 0x38c\r\n"),
              std::string::npos);
    EXPECT_NE(LibraryConfigText("X", 5, 1, 0x38c, 1).find("DevicePort  = 0x38c\r\n"), std::string::npos);
}

TEST(LibraryWriter, SectionFirstAndNoFinalLineEnd)
{
    EXPECT_EQ(LibraryConfigText("Sound Blaster 16", 5, 1, 0x220, 0xe015),
              "[DIGITAL]\r\nDeviceName  = Sound Blaster 16\r\nDeviceIRQ   = 5\r\nDeviceDMA   = 1\r\n"
              "DevicePort  = 0x220\r\nDeviceID    = 0xe015");
    EXPECT_EQ(LibraryConfigText("", -1, -1, 0xE80, 0), "[DIGITAL]\r\nDeviceName  = \r\nDeviceIRQ   = -1\r\n"
                                                       "DeviceDMA   = -1\r\nDevicePort  = 0xe80\r\nDeviceID    = 0x0");
}

// A text from the registry (the library writer's description) or from the
// table (the card writer's name and ID) never makes a line of its own:
// control characters are written as spaces, other bytes as they are.
TEST(Writers, ControlCharactersInTextsAreSpaces)
{
    const struct {
        const char* text;
        const char* written;
    } cases[] = {
        {"SB\nDeviceIRQ   = 99", "SB DeviceIRQ   = 99"},
        {"SB\r\n", "SB  "},
        {"A\x1A" "B", "A B"},
        {"\x01\t\x1F\x7F", "    "},
        {"T\xEDtulo \x80\xFF", "T\xEDtulo \x80\xFF"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LibraryConfigText(c.text, 5, 1, 0x220, 0xe015),
                  LibraryConfigText(c.written, 5, 1, 0x220, 0xe015)) << c.written;
        SoundCard card = SoundCardTable[2];
        card.name = c.text;
        card.id = c.text;
        const std::string text = CardConfigText(card, 0, 1, 1);
        EXPECT_EQ(text, "\r\n[DIGITAL]\r\nDeviceName  = " + std::string(c.written) +
                            "\r\nDeviceIRQ   = 5\r\nDeviceDMA   = 1\r\nDevicePort  = 0x220\r\nDeviceID    = " +
                            c.written + "\r\n");
    }
}

TEST_F(ConfigFileTest, AnExistingFileIsReplaced)
{
    {
        std::ofstream old(File(), std::ios::binary);
        old << std::string(500, 'x');
    }
    ASSERT_TRUE(WriteCardConfig(dir_, 2, 0, 1, 1));
    EXPECT_EQ(ReadAll(File()), Row2Text);
}

TEST_F(ConfigFileTest, ClosingLineEndAfterEachWriterAndAlone)
{
    ASSERT_TRUE(WriteCardConfig(dir_, 2, 0, 1, 1));
    ASSERT_TRUE(AppendConfigLineEnd(dir_));
    EXPECT_EQ(ReadAll(File()), std::string(Row2Text) + "\r\n");

    const std::string library = LibraryConfigText("Sound Blaster 16", 5, 5, 0x220, 0xe015);
    ASSERT_TRUE(WriteConfigFile(ConfigPath(dir_), library));
    ASSERT_TRUE(AppendConfigLineEnd(dir_));
    EXPECT_EQ(ReadAll(File()), library + "\r\n");

    // A dismissed dialog wrote nothing: the file is only the line end.
    fs::remove(File());
    ASSERT_TRUE(AppendConfigLineEnd(dir_));
    EXPECT_EQ(ReadAll(File()), "\r\n");
}

TEST_F(ConfigFileTest, NothingIsWrittenWhereTheFileCannotBeCreated)
{
    EXPECT_FALSE(WriteCardConfig(dir_ + "/missing", 2, 0, 1, 2));
    EXPECT_FALSE(AppendConfigLineEnd(dir_ + "/missing"));
    EXPECT_EQ(ReadAll(dir_ + "/missing/qrbset.cfg"), "(missing)");
    EXPECT_FALSE(WriteCardConfig(dir_, SoundCardCount, 0, 0, 0));
    EXPECT_EQ(ReadAll(File()), "(missing)");
}
