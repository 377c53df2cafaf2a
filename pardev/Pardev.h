// PARDEV.dll, the driver information library: finds the wave devices that
// Windows has installed, has the sound library's virtual device driver
// "qrbdivd.vxd" identify each one, and writes "qrbset.cfg" for a chosen
// device. Plain C functions (cdecl) exported under their own names.
//
// Calling order: qrbDIInitSystem, qrbDIGetFirstDevice and any number of
// qrbDIGetNextDevice, qrbDIWriteQRBConfig as needed, qrbDIUnInitSystem.
// qrbDIGetErrorString and qrbDIIsWaveDriverInUse need no initialisation.
// The state is per process and unguarded: one thread at a time.
#pragma once

#include "QrbDeviceRecord.h"

#include <cstdint>

extern "C" {

// Opens and attaches the driver. 0; 1 already initialised; 8 the driver
// cannot be opened or refuses to attach (the library stays uninitialised);
// 10 the attach request failed.
int32_t qrbDIInitSystem(uint32_t options);

// Detaches and closes the driver. 0; 2 not initialised; 10 the detach
// request failed (the handle stays open); 9 the handle did not close.
int32_t qrbDIUnInitSystem(void);

// Fill record with the first (next) wave device that the driver accepts.
// 0 filled; 2 not initialised; 3 no wave device key; 4 no more devices;
// 5 null record; 6 (next only) no first search since the initialisation.
int32_t qrbDIGetFirstDevice(QrbDeviceRecord* record);
int32_t qrbDIGetNextDevice(QrbDeviceRecord* record);

// Writes directory\qrbset.cfg (qrbset.cfg in the current directory when
// directory is null) for the record. 0; 5 null record; 7 a directory that
// leaves no room for "\qrbset.cfg" within 256 bytes, or a file that cannot
// be created: nothing is written then.
int32_t qrbDIWriteQRBConfig(const QrbDeviceRecord* record, const char* directory);

// The text of a result code 0 to 12; null for any other code.
const char* qrbDIGetErrorString(int32_t code);

// 1 when the wave device with this product identifier (output for direction
// 1, input otherwise) stays busy for 60 attempts to open it, 100 ms apart;
// 0 when it opens or no device reports that identifier.
int32_t qrbDIIsWaveDriverInUse(uint32_t productId, int32_t direction);
}
