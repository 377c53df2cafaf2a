// The driver information library's rules that need no Windows: its result
// texts, the reading of registry texts and the configuration file's path.
#pragma once

#include "QrbDeviceRecord.h"

#include <cstddef>
#include <cstdint>

// The text of a result code 0 to 12, null for any other.
const char* ResultText(int32_t code);

// A text read into a field of size bytes, of which length came back, ends
// inside the field: a value that filled it loses its last character.
void TerminateField(char* field, size_t size, size_t length);

// The record as the search hands it back, whatever the driver wrote over
// it: the texts end inside their fields and the flags are QrbRecordFilled
// alone.
void FinishRecord(QrbDeviceRecord& record);

// Lower-cases A to Z within the field; other bytes stay.
void LowerAsciiAZ(char* field, size_t size);

// "Active" as a decimal number: leading blanks and a sign allowed, digits
// up to the first other character; 0 when there are none. A number beyond
// the 32-bit range is taken as the nearest end of it.
int32_t ActiveValue(const char* text);

// directory + "\qrbset.cfg", or "qrbset.cfg" for a null directory, into a
// 256-byte buffer. False when it does not fit (path is then empty).
const size_t ConfigPathBytes = 256;
bool BuildConfigPath(const char* directory, char (&path)[ConfigPathBytes]);
