// The driver information library's Win32 layer: the registry search, the
// driver's control codes and the wave-device functions.
#include "Pardev.h"

#include "PardevCore.h"
#include "QrbConfigFile.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstring>

namespace {

// Bit of the state word that marks the library initialised; the rest of
// the word is what qrbDIInitSystem was given.
const uint32_t StateInitialised = 4;

const char* const DriverPath = "\\\\.\\qrbdivd.vxd";
const char* const WaveKey = "System\\CurrentControlSet\\Control\\MediaResources\\wave";

// The driver's control codes. 0x2001 and 0x2002 answer 4 bytes; 0x2000
// takes the 444-byte record and gives it back completed.
const DWORD IdentifyCode = 0x2000;
const DWORD AttachCode = 0x2001;
const DWORD DetachCode = 0x2002;
const DWORD AttachRefused = 2;

const int OpenAttempts = 60;
const DWORD OpenPauseMs = 100;

uint32_t State = 0;
HANDLE Driver = INVALID_HANDLE_VALUE;
// The number of the next subkey of the wave key to examine; 0 until a
// first search has run.
DWORD SearchIndex = 0;

bool Initialised()
{
    return (State & StateInitialised) != 0;
}

void CloseDriver()
{
    CloseHandle(Driver);
    Driver = INVALID_HANDLE_VALUE;
}

// A string value into a field of size bytes, terminated inside it. False
// when the value is missing or longer than the field.
bool ReadText(HKEY key, const char* name, char* field, DWORD size)
{
    DWORD length = size;
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(field), &length) != ERROR_SUCCESS)
        return false;
    TerminateField(field, size, length);
    return true;
}

// Reads an installed wave device's values into the record. False when the
// subkey is to be passed over: it cannot be opened, it is not active or one
// of its values cannot be read.
bool ReadDevice(HKEY wave, const char* name, QrbDeviceRecord& record)
{
    HKEY device;
    if (RegOpenKeyExA(wave, name, 0, KEY_READ, &device) != ERROR_SUCCESS)
        return false;
    char active[16];
    const bool read = ReadText(device, "Active", active, sizeof active) && ActiveValue(active) != 0 &&
                      ReadText(device, "DeviceID", record.deviceIdText, sizeof record.deviceIdText) &&
                      ReadText(device, "Driver", record.driverName, sizeof record.driverName) &&
                      ReadText(device, "Description", record.description, sizeof record.description);
    if (read)
        LowerAsciiAZ(record.driverName, sizeof record.driverName);
    RegCloseKey(device);
    return read;
}

bool DriverAccepts(QrbDeviceRecord& record)
{
    DWORD returned = 0;
    return DeviceIoControl(Driver, IdentifyCode, &record, sizeof record, &record, sizeof record, &returned,
                           nullptr) != FALSE;
}

// Fills the record with the device of the first subkey from the search
// index on that is active and that the driver accepts.
int32_t Search(QrbDeviceRecord& record)
{
    std::memset(&record, 0, sizeof record);
    HKEY wave;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, WaveKey, 0, KEY_ALL_ACCESS, &wave) != ERROR_SUCCESS)
        return QrbNoDevices;
    for (;;) {
        char name[64];
        DWORD length = sizeof name;
        const LONG found = RegEnumKeyExA(wave, SearchIndex, name, &length, nullptr, nullptr, nullptr, nullptr);
        // A name too long for the buffer is a subkey passed over; any other
        // failure ends the list.
        if (found != ERROR_SUCCESS && found != ERROR_MORE_DATA) {
            RegCloseKey(wave);
            return QrbNoMoreDevices;
        }
        SearchIndex++;
        // The record is not cleared between subkeys: the driver sees what
        // the last ones left in the fields this one does not fill.
        if (found == ERROR_SUCCESS && ReadDevice(wave, name, record) && DriverAccepts(record))
            break;
    }
    RegCloseKey(wave);
    FinishRecord(record);
    return QrbOk;
}

// Opens wave device number device (output when output) in the library's
// format and closes it again. False when it does not open.
bool OpensAndCloses(bool output, UINT device)
{
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = 11025;
    format.nAvgBytesPerSec = 11025;
    format.nBlockAlign = 1;
    format.wBitsPerSample = 8;
    format.cbSize = 0;
    if (output) {
        HWAVEOUT wave;
        if (waveOutOpen(&wave, device, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR)
            return false;
        waveOutClose(wave);
    } else {
        HWAVEIN wave;
        if (waveInOpen(&wave, device, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR)
            return false;
        waveInClose(wave);
    }
    return true;
}

// The number of the first device that reports productId, or false when the
// walk over the devices ends without one.
bool FindWaveDevice(bool output, uint32_t productId, UINT& device)
{
    for (device = 0;; device++) {
        WORD pid;
        if (output) {
            WAVEOUTCAPSA caps;
            if (waveOutGetDevCapsA(device, &caps, sizeof caps) != MMSYSERR_NOERROR)
                return false;
            pid = caps.wPid;
        } else {
            WAVEINCAPSA caps;
            if (waveInGetDevCapsA(device, &caps, sizeof caps) != MMSYSERR_NOERROR)
                return false;
            pid = caps.wPid;
        }
        if (pid == productId)
            return true;
    }
}

}  // namespace

extern "C" {

int32_t qrbDIInitSystem(uint32_t options)
{
    if (Initialised())
        return QrbAlreadyInitialized;
    State = options & ~StateInitialised;
    SearchIndex = 0;
    // CREATE_NEW and delete-on-close load the driver now and unload it when
    // the handle is closed.
    Driver = CreateFileA(DriverPath, 0, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (Driver == INVALID_HANDLE_VALUE)
        return QrbVxdOpenFailed;
    DWORD reply = 0, returned = 0;
    if (!DeviceIoControl(Driver, AttachCode, nullptr, 0, &reply, sizeof reply, &returned, nullptr)) {
        CloseDriver();
        return QrbVxdIoctlFailed;
    }
    // A refusal leaves nothing open and the library uninitialised, so that
    // no later call uses the closed handle.
    if (reply == AttachRefused) {
        CloseDriver();
        return QrbVxdOpenFailed;
    }
    State |= StateInitialised;
    return QrbOk;
}

int32_t qrbDIUnInitSystem(void)
{
    if (!Initialised())
        return QrbNotInitialized;
    State = 0;
    DWORD reply = 0, returned = 0;
    if (!DeviceIoControl(Driver, DetachCode, nullptr, 0, &reply, sizeof reply, &returned, nullptr))
        return QrbVxdIoctlFailed;
    const BOOL closed = CloseHandle(Driver);
    Driver = INVALID_HANDLE_VALUE;
    return closed ? QrbOk : QrbVxdCloseFailed;
}

int32_t qrbDIGetFirstDevice(QrbDeviceRecord* record)
{
    if (!record)
        return QrbNullPointer;
    if (!Initialised())
        return QrbNotInitialized;
    SearchIndex = 0;
    return Search(*record);
}

int32_t qrbDIGetNextDevice(QrbDeviceRecord* record)
{
    if (!record)
        return QrbNullPointer;
    if (!Initialised())
        return QrbNotInitialized;
    if (SearchIndex == 0)
        return QrbFirstNotCalled;
    const int32_t result = Search(*record);
    return result == QrbNoDevices ? QrbNoMoreDevices : result;
}

int32_t qrbDIWriteQRBConfig(const QrbDeviceRecord* record, const char* directory)
{
    if (!record)
        return QrbNullPointer;
    char path[ConfigPathBytes];
    if (!BuildConfigPath(directory, path))
        return QrbInvalidHandle;
    // The caller's record may hold a description that fills its field.
    char description[sizeof record->description + 1];
    std::memcpy(description, record->description, sizeof record->description);
    description[sizeof record->description] = '\0';
    const std::string text = LibraryConfigText(description, static_cast<int32_t>(record->irq),
                                               static_cast<int32_t>(record->dma), record->port, record->deviceId);
    return WriteConfigFile(path, text) ? QrbOk : QrbInvalidHandle;
}

const char* qrbDIGetErrorString(int32_t code)
{
    return ResultText(code);
}

int32_t qrbDIIsWaveDriverInUse(uint32_t productId, int32_t direction)
{
    const bool output = direction == 1;
    UINT device;
    if (!FindWaveDevice(output, productId, device))
        return 0;
    for (int attempt = 0; attempt < OpenAttempts; attempt++) {
        if (OpensAndCloses(output, device))
            return 0;
        Sleep(OpenPauseMs);
    }
    return 1;
}

}  // extern "C"
