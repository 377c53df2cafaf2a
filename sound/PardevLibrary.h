// The device enumeration's library: PARDEV.dll itself.
#pragma once

#include "DeviceEnumeration.h"
#include "Pardev.h"

class PardevLibrary : public DeviceLibrary {
public:
    int32_t InitSystem(uint32_t options) override { return qrbDIInitSystem(options); }
    int32_t GetFirstDevice(QrbDeviceRecord* record) override { return qrbDIGetFirstDevice(record); }
    int32_t GetNextDevice(QrbDeviceRecord* record) override { return qrbDIGetNextDevice(record); }
};
