// The device record of the driver information library: 444 bytes that the
// library, the virtual device driver "qrbdivd.vxd" and the callers share by
// address. Numbers are little-endian 32-bit, texts zero-terminated within
// their fields. The driver fills the numbers and its own data; the library
// fills the texts from the registry. Portable: no Windows types.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct QrbDeviceRecord {
    uint32_t flags;                 // QrbRecordFilled once handed back filled
    uint32_t deviceId;              // numeric device ID
    uint8_t driverData0[12];
    char description[96];           // "Description", as shown to the user
    uint8_t driverData1[8];
    char driverName[64];            // "Driver", lower-cased (A to Z only)
    char deviceIdText[64];          // "DeviceID"
    uint8_t driverData2[156];
    uint32_t port;
    uint32_t dma;                   // callers may put the user's choice here
    uint32_t irq;
    uint8_t driverData3[12];
    uint32_t dma2;                  // second DMA channel
    uint8_t driverData4[8];
};
#pragma pack(pop)

const uint32_t QrbRecordFilled = 0x100;
const int QrbDeviceSlots = 8;

static_assert(sizeof(QrbDeviceRecord) == 444, "the device record is 444 bytes");
static_assert(offsetof(QrbDeviceRecord, flags) == 0, "record layout");
static_assert(offsetof(QrbDeviceRecord, deviceId) == 4, "record layout");
static_assert(offsetof(QrbDeviceRecord, driverData0) == 8, "record layout");
static_assert(offsetof(QrbDeviceRecord, description) == 20, "record layout");
static_assert(offsetof(QrbDeviceRecord, driverData1) == 116, "record layout");
static_assert(offsetof(QrbDeviceRecord, driverName) == 124, "record layout");
static_assert(offsetof(QrbDeviceRecord, deviceIdText) == 188, "record layout");
static_assert(offsetof(QrbDeviceRecord, driverData2) == 252, "record layout");
static_assert(offsetof(QrbDeviceRecord, port) == 408, "record layout");
static_assert(offsetof(QrbDeviceRecord, dma) == 412, "record layout");
static_assert(offsetof(QrbDeviceRecord, irq) == 416, "record layout");
static_assert(offsetof(QrbDeviceRecord, driverData3) == 420, "record layout");
static_assert(offsetof(QrbDeviceRecord, dma2) == 432, "record layout");
static_assert(offsetof(QrbDeviceRecord, driverData4) == 436, "record layout");

// Result codes of the library's functions; qrbDIGetErrorString gives their texts.
enum QrbResult : int32_t {
    QrbOk = 0,
    QrbAlreadyInitialized = 1,
    QrbNotInitialized = 2,
    QrbNoDevices = 3,
    QrbNoMoreDevices = 4,
    QrbNullPointer = 5,
    QrbFirstNotCalled = 6,
    QrbInvalidHandle = 7,
    QrbVxdOpenFailed = 8,
    QrbVxdCloseFailed = 9,
    QrbVxdIoctlFailed = 10,
    QrbWaveDriverInUse = 11,
    QrbBadCapabilities = 12,
};
