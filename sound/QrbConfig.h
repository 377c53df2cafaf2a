// "qrbset.cfg", the sound configuration that the game's sound library reads:
// a section "[DIGITAL]" with the keys DeviceName, DeviceIRQ, DeviceDMA,
// DevicePort and DeviceID, each padded so that "=" is the thirteenth
// character. Lines end in CR LF (the file is written as text).
//
// Two writers lay it out differently: the card-table writer starts with an
// empty line and ends every line, with the port in at least three digits and
// the card's ID text; the library writer (qrbDIWriteQRBConfig) starts with
// the section line, begins every key line with a line end and leaves the
// last one open, with the port in as many digits as it needs and the numeric
// device ID in hexadecimal. The installer closes the last line afterwards.
#pragma once

#include "SoundCardTable.h"

#include <cstdint>
#include <string>

// directory + "\qrbset.cfg".
std::string ConfigPath(const std::string& directory);

// The bytes of the card-table writer for one card with the port, DMA and
// IRQ at these positions of its lists.
std::string CardConfigText(const SoundCard& card, int portIndex, int dmaIndex, int irqIndex);

// The bytes of the library writer for a detected device.
std::string LibraryConfigText(const char* description, int32_t irq, int32_t dma, uint32_t port, uint32_t deviceId);

// Creates or truncates path and writes bytes. False when the file cannot be
// created (nothing is written then) or not completely written.
bool WriteConfigFile(const std::string& path, const std::string& bytes);

// The card-table writer: row of SoundCardTable into directory\qrbset.cfg.
bool WriteCardConfig(const std::string& directory, int row, int portIndex, int dmaIndex, int irqIndex);

// The installer's closing line end: one more line end at the end of
// directory\qrbset.cfg, which is created when missing.
bool AppendConfigLineEnd(const std::string& directory);
