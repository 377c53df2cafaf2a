#include "SoundCardTable.h"

// Every list written out to its slot count, the end marker repeated.
const SoundCard SoundCardTable[SoundCardCount] = {
    {"Sound Blaster", "0xe000", {0x210, 0x220, 0x230, 0x240, 0x250, 0x260, 0},
     {1, -1, -1, -1, -1, -1}, {2, 3, 5, 7, -1, -1, -1}},
    {"Sound Blaster Pro", "0xe001", {0x220, 0x240, 0, 0, 0, 0, 0},
     {0, 1, 3, -1, -1, -1}, {2, 5, 7, 10, -1, -1, -1}},
    {"Sound Blaster 16/AWE32", "0xe015", {0x220, 0x240, 0x260, 0x280, 0, 0, 0},
     {0, 1, 3, -1, -1, -1}, {2, 5, 7, 10, -1, -1, -1}},
    {"Ensoniq SoundScape", "0xe01d", {0x320, 0x330, 0x340, 0x350, 0, 0, 0},
     {0, 1, 3, -1, -1, -1}, {-1, -1, -1, -1, -1, -1, -1}},
    {"Microsoft Sound System", "0xe00b", {0x530, 0x604, 0xE80, 0xF40, 0, 0, 0},
     {0, 1, 3, -1, -1, -1}, {-1, -1, -1, -1, -1, -1, -1}},
    {"Pro Audio Spectrum 16", "0xe003", {0x388, 0, 0, 0, 0, 0, 0},
     {0, 1, 3, 5, 6, 7}, {-1, -1, -1, -1, -1, -1, -1}},
    {"Gravis UltraSound", "0xe023", {0x210, 0x220, 0x230, 0x240, 0x250, 0x260, 0},
     {1, 3, 5, 6, 7, -1}, {2, 3, 5, 7, 11, 12, 15}},
    {"Gravis UltraSound Max", "0xe027", {0x210, 0x220, 0x230, 0x240, 0x250, 0x260, 0},
     {1, 3, 5, 6, 7, -1}, {2, 3, 5, 7, 11, 12, 15}},
    {"ESS AudioDrive", "0xe019", {0x220, 0x230, 0x240, 0x250, 0, 0, 0},
     {0, 1, 3, -1, -1, -1}, {-1, -1, -1, -1, -1, -1, -1}},
    {"Roland RAP-10", "0xe03b", {0x220, 0x240, 0x250, 0x320, 0x330, 0x340, 0x350},
     {5, -1, -1, -1, -1, -1}, {-1, -1, -1, -1, -1, -1, -1}},
    {"Toptek Golden 16", "0xe00b", {0x530, 0x604, 0xE80, 0xF40, 0, 0, 0},
     {0, 1, 3, -1, -1, -1}, {-1, -1, -1, -1, -1, -1, -1}},
    {"Thunderboard", "0xe000", {0x210, 0x220, 0x230, 0x240, 0x250, 0x260, 0},
     {1, -1, -1, -1, -1, -1}, {2, 3, 5, 7, -1, -1, -1}},
    {"Adlib Gold", "0xe009", {0x38C, 0, 0, 0, 0, 0, 0},
     {0, 1, 3, -1, -1, -1}, {-1, -1, -1, -1, -1, -1, -1}},
    {"NewMedia .WAVJammer", "0xe02b", {0x530, 0x640, 0xE80, 0xF40, 0, 0, 0},
     {-1, -1, -1, -1, -1, -1}, {-1, -1, -1, -1, -1, -1, -1}},
    {"I/O Magic Tempo", "0xe02f", {0x38C, 0, 0, 0, 0, 0, 0},
     {-1, -1, -1, -1, -1, -1}, {-1, -1, -1, -1, -1, -1, -1}},
    {"ARIA Chipset", "0xe000", {0x210, 0x220, 0x230, 0x240, 0x250, 0x260, 0},
     {1, -1, -1, -1, -1, -1}, {2, 3, 5, 7, -1, -1, -1}},
    {"Sound Galaxy NX Pro 16", "0xe000", {0x210, 0x220, 0x230, 0x240, 0x250, 0x260, 0},
     {1, -1, -1, -1, -1, -1}, {2, 3, 5, 7, -1, -1, -1}},
    {"Reveal FX/32", "0xe01d", {0x320, 0x330, 0x340, 0x350, 0, 0, 0},
     {0, 1, 3, -1, -1, -1}, {-1, -1, -1, -1, -1, -1, -1}},
    {"Interwave", "0xe040", {0x32C, 0, 0, 0, 0, 0, 0},
     {-1, -1, -1, -1, -1, -1}, {-1, -1, -1, -1, -1, -1, -1}},
};

namespace {

template <int N>
int CountUntil(const int32_t (&list)[N], int32_t marker)
{
    int n = 0;
    while (n < N && list[n] != marker)
        n++;
    return n;
}

}  // namespace

int CardPortCount(const SoundCard& card)
{
    return CountUntil(card.ports, 0);
}

int CardDmaCount(const SoundCard& card)
{
    return CountUntil(card.dma, -1);
}

int CardIrqCount(const SoundCard& card)
{
    return CountUntil(card.irq, -1);
}

int32_t CardPort(const SoundCard& card, int index)
{
    return index >= 0 && index < CardPortCount(card) ? card.ports[index] : 0;
}

int32_t CardDma(const SoundCard& card, int index)
{
    return index >= 0 && index < CardDmaCount(card) ? card.dma[index] : -1;
}

int32_t CardIrq(const SoundCard& card, int index)
{
    return index >= 0 && index < CardIrqCount(card) ? card.irq[index] : -1;
}
