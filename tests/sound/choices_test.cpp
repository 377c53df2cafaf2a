// What the sound device dialog offers for cards and for detected devices.
#include "SoundChoices.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::string>;

const SoundCard& Card(const char* name)
{
    for (const SoundCard& card : SoundCardTable) {
        if (std::string(card.name) == name)
            return card;
    }
    return SoundCardTable[0];
}

QrbDeviceRecord Device(uint32_t dma, uint32_t dma2)
{
    QrbDeviceRecord record = {};
    record.dma = dma;
    record.dma2 = dma2;
    return record;
}

}  // namespace

TEST(CardChoices, PortsInLowerCaseHexadecimal)
{
    EXPECT_EQ(CardPortChoices(Card("Pro Audio Spectrum 16")), Texts({"388"}));
    EXPECT_EQ(CardPortChoices(Card("Microsoft Sound System")), Texts({"530", "604", "e80", "f40"}));
    EXPECT_EQ(CardPortChoices(Card("Roland RAP-10")).size(), 7u);
}

TEST(CardChoices, MissingListsShowNotAvailable)
{
    EXPECT_EQ(CardDmaChoices(Card("NewMedia .WAVJammer")), Texts({"N/A"}));
    EXPECT_EQ(CardIrqChoices(Card("NewMedia .WAVJammer")), Texts({"N/A"}));
    EXPECT_EQ(CardDmaChoices(Card("Pro Audio Spectrum 16")), Texts({"0", "1", "3", "5", "6", "7"}));
    EXPECT_EQ(CardIrqChoices(Card("Gravis UltraSound")), Texts({"2", "3", "5", "7", "11", "12", "15"}));
}

TEST(DetectedChoices, LargerDmaFirstThenTheSmaller)
{
    EXPECT_EQ(DetectedDmaChoices(Device(1, 5)), Texts({"5", "1"}));
    EXPECT_EQ(DetectedDmaChoices(Device(5, 1)), Texts({"5", "1"}));
    EXPECT_EQ(DetectedDmaChoices(Device(3, 3)), Texts({"3"}));
}

// A DMA of -1 is the driver saying "none": compared unsigned it would be
// the larger and be written over a real channel.
TEST(DetectedChoices, ANegativeDmaIsLeftOut)
{
    EXPECT_EQ(LargerDma(Device(1, 0xFFFFFFFF)), 1);
    EXPECT_EQ(LargerDma(Device(0xFFFFFFFF, 5)), 5);
    EXPECT_EQ(LargerDma(Device(0xFFFFFFFF, 0xFFFFFFFE)), -1);
    EXPECT_EQ(LargerDma(Device(1, 5)), 5);
    EXPECT_EQ(DetectedDmaChoices(Device(1, 0xFFFFFFFF)), Texts({"1"}));
    EXPECT_EQ(DetectedDmaChoices(Device(0xFFFFFFFF, 0)), Texts({"0"}));
    EXPECT_EQ(DetectedDmaChoices(Device(0xFFFFFFFF, 0xFFFFFFFF)), Texts({"-1"}));
}

TEST(DetectedChoices, PortAndIrqTexts)
{
    QrbDeviceRecord record = {};
    record.port = 0xe80;
    record.irq = 0xFFFFFFFF;
    EXPECT_EQ(DetectedPortText(record), "E80");
    EXPECT_EQ(DetectedIrqText(record), "-1");
    record.port = 0x220;
    record.irq = 7;
    EXPECT_EQ(DetectedPortText(record), "220");
    EXPECT_EQ(DetectedIrqText(record), "7");
    EXPECT_EQ(DmaFromText("5"), 5);
    EXPECT_EQ(DmaFromText("-1"), -1);
}
