#include "DeviceEnumeration.h"

#include <cstring>

namespace {

// The first search. Anything but success ends the enumeration with no
// device: a wave key without subkeys answers "no more devices", and asking
// for the next one then could never succeed.
bool FindFirst(DeviceLibrary& library, QrbDeviceRecord (&records)[QrbDeviceSlots], int32_t& count)
{
    std::memset(records, 0, sizeof records);
    count = 0;
    if (library.GetFirstDevice(&records[0]) != QrbOk)
        return false;
    count = 1;
    return true;
}

void FindRest(DeviceLibrary& library, QrbDeviceRecord (&records)[QrbDeviceSlots], int32_t& count)
{
    int asks = 0;
    while (count < QrbDeviceSlots) {
        const int32_t result = library.GetNextDevice(&records[count]);
        if (result == QrbNoMoreDevices)
            return;
        if (result == QrbFirstNotCalled || result == QrbNotInitialized) {
            if (++asks == DeviceAsksPerRecord)
                return;
            continue;
        }
        asks = 0;
        count++;
    }
}

}  // namespace

bool ProbeInstallerDevices(DeviceLibrary& library, QrbDeviceRecord (&records)[QrbDeviceSlots], int32_t& count)
{
    count = 0;
    if (library.InitSystem(0) != QrbOk)
        return true;
    if (!FindFirst(library, records, count))
        return true;
    const bool usable = records[0].port != 0;
    FindRest(library, records, count);
    return usable;
}

bool ProbeAudioSetupDevices(DeviceLibrary& library, QrbDeviceRecord (&records)[QrbDeviceSlots], int32_t& count)
{
    count = 0;
    if (library.InitSystem(0) != QrbOk)
        return false;
    if (!FindFirst(library, records, count))
        return false;
    if (records[0].port == 0)
        return false;
    FindRest(library, records, count);
    return true;
}
