// The sound card table's writer of "qrbset.cfg" (the file and the library's
// own writer are in pardev/QrbConfigFile.h): it starts with an empty line and
// ends every line, with the port in at least three digits and the card's ID
// text. The installer closes the last line of the library's file afterwards.
#pragma once

#include "QrbConfigFile.h"
#include "SoundCardTable.h"

#include <cstdint>
#include <string>

// The bytes of the card-table writer for one card with the port, DMA and
// IRQ at these positions of its lists.
std::string CardConfigText(const SoundCard& card, int portIndex, int dmaIndex, int irqIndex);

// The card-table writer: row of SoundCardTable into directory\qrbset.cfg.
bool WriteCardConfig(const std::string& directory, int row, int portIndex, int dmaIndex, int irqIndex);

// The installer's closing line end: one more line end at the end of
// directory\qrbset.cfg, which is created when missing.
bool AppendConfigLineEnd(const std::string& directory);
