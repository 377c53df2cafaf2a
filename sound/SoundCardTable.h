// The sound cards the user can pick by hand, in the order the device list
// shows them. A list that fills all its slots has no end marker: ports end
// at the first 0, DMA channels and IRQ lines at the first -1, or at their
// slot count. A DMA or IRQ list that starts with -1 means the card has none.
#pragma once

#include <cstdint>

struct SoundCard {
    const char* name;
    const char* id;        // written to the configuration unchanged
    int32_t ports[7];
    int32_t dma[6];
    int32_t irq[7];
};

const int SoundCardCount = 19;
extern const SoundCard SoundCardTable[SoundCardCount];

// How many entries of each list a card has (0 to the slot count).
int CardPortCount(const SoundCard& card);
int CardDmaCount(const SoundCard& card);
int CardIrqCount(const SoundCard& card);

// The entry at index of a list, -1 for a DMA or IRQ the card does not have
// (index 0 of an empty list, as the configuration writes it) and 0 for a
// port it does not have.
int32_t CardPort(const SoundCard& card, int index);
int32_t CardDma(const SoundCard& card, int index);
int32_t CardIrq(const SoundCard& card, int index);
