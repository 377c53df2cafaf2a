// What the sound device dialog offers, as texts: the choices of a card of
// SoundCardTable and the values of a detected device. Portable.
#pragma once

#include "QrbDeviceRecord.h"
#include "SoundCardTable.h"

#include <cstdint>
#include <string>
#include <vector>

// Shown in place of a DMA or IRQ list that a card does not have.
extern const char* const NoChoiceText;

// Ports in lower-case hexadecimal without prefix ("388"); DMA channels and
// IRQ lines in decimal, or NoChoiceText alone.
std::vector<std::string> CardPortChoices(const SoundCard& card);
std::vector<std::string> CardDmaChoices(const SoundCard& card);
std::vector<std::string> CardIrqChoices(const SoundCard& card);

// The larger of a device's DMA and second DMA, compared as signed numbers;
// a negative one (the driver's way of saying none) only when both are.
int32_t LargerDma(const QrbDeviceRecord& record);

// The DMA channels offered for a detected device: the larger first, then
// the smaller when they differ; a negative one is left out unless both are.
std::vector<std::string> DetectedDmaChoices(const QrbDeviceRecord& record);

// The port in upper-case hexadecimal without prefix, the IRQ in signed decimal.
std::string DetectedPortText(const QrbDeviceRecord& record);
std::string DetectedIrqText(const QrbDeviceRecord& record);

// A DMA choice read back: a decimal number, as the C library converts it.
int32_t DmaFromText(const std::string& text);
