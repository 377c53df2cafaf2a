#include "SoundChoices.h"

#include <cstdio>
#include <cstdlib>

const char* const NoChoiceText = "N/A";

namespace {

std::string Text(const char* format, long value)
{
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Hex(const char* format, uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, format, static_cast<unsigned long>(value));
    return text;
}

std::vector<std::string> NumbersOrNone(int count, int32_t (*at)(const SoundCard&, int), const SoundCard& card)
{
    if (count == 0)
        return {NoChoiceText};
    std::vector<std::string> texts;
    for (int i = 0; i < count; i++)
        texts.push_back(Text("%ld", at(card, i)));
    return texts;
}

}  // namespace

std::vector<std::string> CardPortChoices(const SoundCard& card)
{
    std::vector<std::string> texts;
    for (int i = 0; i < CardPortCount(card); i++)
        texts.push_back(Hex("%lx", static_cast<uint32_t>(CardPort(card, i))));
    return texts;
}

std::vector<std::string> CardDmaChoices(const SoundCard& card)
{
    return NumbersOrNone(CardDmaCount(card), CardDma, card);
}

std::vector<std::string> CardIrqChoices(const SoundCard& card)
{
    return NumbersOrNone(CardIrqCount(card), CardIrq, card);
}

int32_t LargerDma(const QrbDeviceRecord& record)
{
    const auto dma = static_cast<int32_t>(record.dma), dma2 = static_cast<int32_t>(record.dma2);
    if (dma < 0 && dma2 >= 0)
        return dma2;
    if (dma2 < 0 && dma >= 0)
        return dma;
    return dma > dma2 ? dma : dma2;
}

std::vector<std::string> DetectedDmaChoices(const QrbDeviceRecord& record)
{
    const auto dma = static_cast<int32_t>(record.dma), dma2 = static_cast<int32_t>(record.dma2);
    const int32_t larger = LargerDma(record);
    const int32_t smaller = dma > dma2 ? dma2 : dma;
    std::vector<std::string> texts = {Text("%ld", larger)};
    if (smaller != larger && smaller >= 0)
        texts.push_back(Text("%ld", smaller));
    return texts;
}

std::string DetectedPortText(const QrbDeviceRecord& record)
{
    return Hex("%lX", record.port);
}

std::string DetectedIrqText(const QrbDeviceRecord& record)
{
    return Text("%ld", static_cast<int32_t>(record.irq));
}

int32_t DmaFromText(const std::string& text)
{
    return static_cast<int32_t>(std::atol(text.c_str()));
}
