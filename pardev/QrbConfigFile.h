// "qrbset.cfg", the sound configuration that the game's sound library reads:
// a section "[DIGITAL]" with the keys DeviceName, DeviceIRQ, DeviceDMA,
// DevicePort and DeviceID, each padded so that "=" is the thirteenth
// character. Lines end in CR LF (the file is written as text).
//
// This library's writer (qrbDIWriteQRBConfig) starts with the section line,
// begins every key line with a line end and leaves the last one open, with
// the port in as many digits as it needs and the numeric device ID in
// hexadecimal. The sound card table's writer (sound/QrbConfig.h) lays the
// same keys out its own way.
#pragma once

#include <cstdint>
#include <string>

// directory + "\qrbset.cfg".
std::string ConfigPath(const std::string& directory);

// printf into the bytes of a text-mode file: every "\n" becomes CR LF.
std::string ConfigText(const char* format, ...);

// A text as it stands after its key: control characters (below 0x20, and
// DEL) are written as spaces, so that no value ends its line, makes a line
// of its own or ends the file early (Ctrl-Z). Both writers put every text
// through it.
std::string ConfigValue(const char* text);

// The bytes of the library writer for a detected device.
std::string LibraryConfigText(const char* description, int32_t irq, int32_t dma, uint32_t port, uint32_t deviceId);

// Creates or truncates path and writes bytes. False when the file cannot be
// created (nothing is written then) or not completely written.
bool WriteConfigFile(const std::string& path, const std::string& bytes);
