// Finding the wave devices through the driver information library, in the
// two forms of the installer and the audio setup program. Portable: the
// library is reached through DeviceLibrary.
#pragma once

#include "QrbDeviceRecord.h"

#include <cstdint>

class DeviceLibrary {
public:
    virtual ~DeviceLibrary() = default;
    virtual int32_t InitSystem(uint32_t options) = 0;
    virtual int32_t GetFirstDevice(QrbDeviceRecord* record) = 0;
    virtual int32_t GetNextDevice(QrbDeviceRecord* record) = 0;
};

// How often one record is asked for again while the library answers "not
// initialised" or "first device not asked for"; after that the enumeration
// ends with the records it has. (Neither answer can change between two
// calls, so asking without end would only hang.)
const int DeviceAsksPerRecord = 8;

// The installer's form: initialises the library, clears the records, fills
// up to QrbDeviceSlots of them and sets count. Returns the usable flag: true
// unless a first device was found whose port is 0 (so also when the library
// does not initialise or finds nothing).
bool ProbeInstallerDevices(DeviceLibrary& library, QrbDeviceRecord (&records)[QrbDeviceSlots], int32_t& count);

// The audio setup program's form: usable is false when the library does not
// initialise or finds nothing, and a first device with port 0 ends the
// enumeration there (count 1, not usable).
bool ProbeAudioSetupDevices(DeviceLibrary& library, QrbDeviceRecord (&records)[QrbDeviceSlots], int32_t& count);
