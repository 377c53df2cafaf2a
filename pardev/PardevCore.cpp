#include "PardevCore.h"

#include <cstring>

namespace {

const char* const ResultTexts[] = {
    "ERROR : Error Code Does Not Indicate An Error",
    "ERROR : System Already Initialized",
    "ERROR : System Not Initialized",
    "WARNING : No Devices Found On Search",
    "WARNING : No More Devices Found On Search",
    "ERROR : NULL Pointer",
    "ERROR : qrbSSGetFirstDevice Not Called Before qrbSSGetNextDevice",
    "ERROR : Handle Passed To Function Is Invalid",
    "ERROR : VxD Open Failed",
    "ERROR : VxD Close Failed",
    "ERROR : VxD DeviceIOControl Failed",
    "ERROR : Wave Driver Currently In Use By Another Device",
    "ERROR : Capabilities Structure Is Not Valid",
};

const char* const ConfigName = "qrbset.cfg";

}  // namespace

const char* ResultText(int32_t code)
{
    const int32_t count = sizeof ResultTexts / sizeof ResultTexts[0];
    return code >= 0 && code < count ? ResultTexts[code] : nullptr;
}

void TerminateField(char* field, size_t size, size_t length)
{
    if (size > 0)
        field[length < size ? length : size - 1] = '\0';
}

void FinishRecord(QrbDeviceRecord& record)
{
    TerminateField(record.description, sizeof record.description, sizeof record.description);
    TerminateField(record.driverName, sizeof record.driverName, sizeof record.driverName);
    TerminateField(record.deviceIdText, sizeof record.deviceIdText, sizeof record.deviceIdText);
    record.flags = QrbRecordFilled;
}

void LowerAsciiAZ(char* field, size_t size)
{
    for (size_t i = 0; i < size && field[i]; i++) {
        if (field[i] >= 'A' && field[i] <= 'Z')
            field[i] = static_cast<char>(field[i] - 'A' + 'a');
    }
}

int32_t ActiveValue(const char* text)
{
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        text++;
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        text++;
    // Beyond the 32-bit range the number stays at its end: it must not wrap
    // round to 0 (4294967296) and pass for an inactive device.
    const uint32_t limit = negative ? 0x80000000u : 0x7FFFFFFFu;
    uint32_t value = 0;
    for (; *text >= '0' && *text <= '9'; text++) {
        const uint32_t digit = static_cast<uint32_t>(*text - '0');
        value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
    }
    return negative ? static_cast<int32_t>(0u - value) : static_cast<int32_t>(value);
}

bool BuildConfigPath(const char* directory, char (&path)[ConfigPathBytes])
{
    path[0] = '\0';
    const size_t nameLength = std::strlen(ConfigName);
    if (!directory) {
        std::memcpy(path, ConfigName, nameLength + 1);
        return true;
    }
    const size_t dirLength = std::strlen(directory);
    if (dirLength + 1 + nameLength + 1 > ConfigPathBytes)
        return false;
    std::memcpy(path, directory, dirLength);
    path[dirLength] = '\\';
    std::memcpy(path + dirLength + 1, ConfigName, nameLength + 1);
    return true;
}
