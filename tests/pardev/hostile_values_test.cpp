// Hostile registry values that PARDEV.dll reads, through the test bed of
// tests/pardev: a wave device's "Active", "DeviceID", "Driver" and
// "Description" of every type and of lengths 0, 255, 256, 1000, a field's
// size and one more, with and without a terminator; and what the stand-in
// driver makes of its service key (its device list, a record it writes
// over). Whatever they hold, the search passes the device over or hands it
// back with its texts ending inside their fields and the library's flags,
// the devices after it are still found, and qrbset.cfg has its six lines.
#include "test_bed.h"

#include <cstring>
#include <string>
#include <vector>

using namespace pardevtest;

namespace {

// A value the library reads, and the field it is read into.
struct ValueField {
    const char* name;
    size_t size;
};

const ValueField Fields[] = {{"Active", 16}, {"DeviceID", 64}, {"Driver", 64}, {"Description", 96}};

enum Outcome { Accepted, PassedOver, EitherWay };

struct Hostile {
    std::string label;
    bool present;
    DWORD type;
    std::string bytes;  // as stored
    Outcome outcome;
};

// The forms of one value. "Active" must read as a number other than 0 for
// the device to count, so its texts are made of digits.
std::vector<Hostile> HostileForms(const ValueField& field)
{
    const bool active = std::string(field.name) == "Active";
    const char fill = active ? '1' : 'x';
    const std::string nul(1, '\0');
    auto text = [&](size_t n) { return std::string(n, fill); };
    // A string of n bytes with its terminator fits when n + 1 bytes do.
    auto fits = [&](size_t n) { return n + 1 <= field.size ? Accepted : PassedOver; };
    std::vector<Hostile> forms = {
        {"missing", false, REG_SZ, "", PassedOver},
        {"REG_SZ of no bytes", true, REG_SZ, "", active ? PassedOver : Accepted},
        {"REG_SZ empty", true, REG_SZ, nul, active ? PassedOver : Accepted},
        {"REG_NONE of no bytes", true, REG_NONE, "", active ? PassedOver : Accepted},
        {"REG_SZ filling the field", true, REG_SZ, text(field.size - 1) + nul, Accepted},
        {"REG_SZ one past the field", true, REG_SZ, text(field.size) + nul, PassedOver},
        // Wine reads a string stored without its terminator as if it had one.
        {"REG_SZ without terminator, short", true, REG_SZ, text(field.size / 2), Accepted},
        {"REG_SZ without terminator, the field's size", true, REG_SZ, text(field.size), EitherWay},
        {"REG_BINARY the field's size, no terminator", true, REG_BINARY, text(field.size), Accepted},
        {"REG_BINARY one past the field", true, REG_BINARY, text(field.size + 1), PassedOver},
        {"REG_DWORD", true, REG_DWORD, active ? "1111" : "xxxx", Accepted},
        {"REG_DWORD 0", true, REG_DWORD, std::string(4, '\0'), active ? PassedOver : Accepted},
        {"REG_MULTI_SZ", true, REG_MULTI_SZ, (active ? "1" : "a") + nul + "b" + nul + nul, Accepted},
        {"REG_EXPAND_SZ", true, REG_EXPAND_SZ, (active ? "1%WINDIR%" : "%WINDIR%") + nul, Accepted},
        {"control characters", true, REG_SZ, (active ? "1" : "") + std::string("\r\n\x1A\t\x7F") + nul, Accepted},
        {"bytes above 0x7F", true, REG_SZ, (active ? "1" : "") + std::string("\xC1\xE9\xFF\x80") + nul, Accepted},
    };
    for (size_t n : {255, 256, 1000}) {
        forms.push_back({"REG_SZ of " + std::to_string(n) + " bytes", true, REG_SZ, text(n - 1) + nul, fits(n - 1)});
        forms.push_back({"REG_BINARY of " + std::to_string(n) + " bytes", true, REG_BINARY, text(n), PassedOver});
    }
    return forms;
}

// The wave device 0000 with one hostile value, the others sound, and a
// sound device 0001 after it. The driver knows 0000 by its device ID and by
// its driver name, so that either one alone being hostile leaves it known.
void AddDevices(const ValueField& field, const Hostile& form)
{
    AddWaveDevices({{"0000", "1", "0xe00b", "sb16.drv", "primero"}, {"0001", "1", "0xe00b", "sb16.drv", "despues"}});
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, (std::string(WaveKey) + "\\0000").c_str(), 0, KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    if (form.present) {
        RegSetValueExA(key, field.name, 0, form.type, reinterpret_cast<const BYTE*>(form.bytes.data()),
                       static_cast<DWORD>(form.bytes.size()));
    } else {
        RegDeleteValueA(key, field.name);
    }
    RegCloseKey(key);
}

// What every record handed back keeps to.
void ExpectSoundRecord(const QrbDeviceRecord& record)
{
    EXPECT_EQ(record.flags, QrbRecordFilled);
    EXPECT_NE(std::memchr(record.description, 0, sizeof record.description), nullptr) << "description";
    EXPECT_NE(std::memchr(record.driverName, 0, sizeof record.driverName), nullptr) << "driver name";
    EXPECT_NE(std::memchr(record.deviceIdText, 0, sizeof record.deviceIdText), nullptr) << "device ID";
    for (const char* c = record.driverName; *c; c++)
        EXPECT_FALSE(*c >= 'A' && *c <= 'Z') << "driver name " << record.driverName;
}

// qrbset.cfg as the library writes it for the record: "[DIGITAL]" and the
// five keys, each on a line of its own, with no control character inside.
void ExpectSixLines(const QrbDeviceRecord& record)
{
    ScratchDir scratch;
    ASSERT_EQ(qrbDIWriteQRBConfig(&record, nullptr), QrbOk);
    const std::string file = ReadAll(scratch.Path() / "qrbset.cfg");
    std::vector<std::string> lines;
    for (size_t start = 0;;) {
        const size_t end = file.find("\r\n", start);
        lines.push_back(file.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 2;
    }
    const char* const starts[] = {"[DIGITAL]",      "DeviceName  = ",   "DeviceIRQ   = ",
                                  "DeviceDMA   = ", "DevicePort  = 0x", "DeviceID    = 0x"};
    ASSERT_EQ(lines.size(), 6u) << file;
    for (size_t i = 0; i < 6; i++) {
        EXPECT_EQ(lines[i].rfind(starts[i], 0), 0u) << lines[i];
        for (char c : lines[i])
            EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 || c == 0x7F) << "line " << i << ": " << lines[i];
    }
}

TEST_F(Pardev, HostileWaveDeviceValues)
{
    ASSERT_EQ(qrbDIInitSystem(0), QrbOk);
    for (const ValueField& field : Fields) {
        for (const Hostile& form : HostileForms(field)) {
            SCOPED_TRACE(std::string(field.name) + ", " + form.label);
            RegDeleteTreeA(HKEY_LOCAL_MACHINE, WaveKey);
            ASSERT_NO_FATAL_FAILURE(AddDevices(field, form));
            ASSERT_EQ(qrbDIGetFirstDevice(&record_), QrbOk);
            ExpectSoundRecord(record_);
            ExpectSixLines(record_);
            const bool accepted = std::string(record_.description) != "despues";
            if (form.outcome != EitherWay) {
                EXPECT_EQ(accepted, form.outcome == Accepted) << "description " << record_.description;
            }
            if (accepted) {
                ASSERT_EQ(qrbDIGetNextDevice(&record_), QrbOk);
                EXPECT_STREQ(record_.description, "despues");
            }
            EXPECT_EQ(qrbDIGetNextDevice(&record_), QrbNoMoreDevices);
        }
    }
}

void SetDriverBytes(const char* name, DWORD type, const std::string& bytes)
{
    HKEY key = Service();
    RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
}

// The driver's device list in its service key: names of every length and
// form, numbers at the ends of their range. A wave device is found when
// the driver knows it; every record it fills keeps to the rules.
TEST_F(Pardev, HostileDriverDeviceLists)
{
    const std::string nul(1, '\0');
    const struct {
        std::string label;
        DWORD type;
        std::string device0;
        const char* driver;   // the wave device's "Driver"
        bool found;
        uint32_t port;
    } cases[] = {
        {"empty", REG_SZ, nul, "sb16.drv", false, 0},
        {"no bytes", REG_SZ, "", "sb16.drv", false, 0},
        {"a name of 63", REG_SZ, std::string(63, 'd') + " 1 0x300 1 5 1" + nul, nullptr, true, 0x300},
        {"a name of 64", REG_SZ, std::string(64, 'd') + " 1 0x300 1 5 1" + nul, nullptr, false, 0},
        // The driver reads up to 128 UTF-16 characters, terminator included.
        {"127 characters", REG_SZ, "sb16.drv 1 0x300 1 5 1" + std::string(105, ' ') + nul, "sb16.drv", true, 0x300},
        {"128 characters", REG_SZ, "sb16.drv 1 0x300 1 5 1" + std::string(106, ' ') + nul, "sb16.drv", false, 0},
        {"255 bytes", REG_SZ, "sb16.drv 1 0x300 1 5 1" + std::string(232, ' ') + nul, "sb16.drv", false, 0},
        {"1000 bytes", REG_SZ, "sb16.drv 1 0x300 1 5 1" + std::string(977, ' ') + nul, "sb16.drv", false, 0},
        {"no terminator", REG_SZ, "sb16.drv 1 0x300 1 5 1", "sb16.drv", true, 0x300},
        {"binary", REG_BINARY, "sb16.drv 1 0x300 1 5 1", "sb16.drv", false, 0},
        {"numbers at their ends", REG_SZ, "sb16.drv 0xFFFFFFFF 0xFFFFFFFF -1 -2147483648 0x7FFFFFFF" + nul, "sb16.drv",
         true, 0xFFFFFFFF},
        {"numbers missing", REG_SZ, "sb16.drv 1 0x300" + nul, "sb16.drv", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        SetDriverDevices({});
        SetDriverBytes("Device0", c.type, c.device0);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, WaveKey);
        const std::string driver = c.driver ? c.driver : std::string(63, 'D');
        AddWaveDevice({"0000", "1", "0x1", driver.c_str(), "Tarjeta"});
        ASSERT_EQ(qrbDIInitSystem(0), QrbOk);
        const int32_t result = qrbDIGetFirstDevice(&record_);
        EXPECT_EQ(result, c.found ? QrbOk : QrbNoMoreDevices);
        if (result == QrbOk) {
            ExpectSoundRecord(record_);
            ExpectSixLines(record_);
            EXPECT_EQ(record_.port, c.port);
        }
        ASSERT_EQ(qrbDIUnInitSystem(), QrbOk);
    }
}

// A driver that writes over the whole record with one byte, control
// characters among them: texts end inside their fields, the flags are the
// library's, and the file keeps its lines.
TEST_F(Pardev, RecordsTheDriverWritesOver)
{
    AddWaveDevice({"0000", "1", "0x1", "sb16.drv", "Tarjeta"});
    for (DWORD fill : {0x41, 0x0A, 0x0D, 0x1A, 0x7F, 0x80, 0xFF}) {
        SCOPED_TRACE("fill " + std::to_string(fill));
        SetDriverValue("FillRecord", fill);
        ASSERT_EQ(qrbDIInitSystem(0), QrbOk);
        ASSERT_EQ(qrbDIGetFirstDevice(&record_), QrbOk);
        EXPECT_EQ(record_.flags, QrbRecordFilled);
        EXPECT_EQ(std::string(record_.description), std::string(95, static_cast<char>(fill)));
        EXPECT_EQ(std::string(record_.driverName), std::string(63, static_cast<char>(fill)));
        EXPECT_EQ(std::string(record_.deviceIdText), std::string(63, static_cast<char>(fill)));
        ExpectSixLines(record_);
        ASSERT_EQ(qrbDIUnInitSystem(), QrbOk);
    }
}

}  // namespace
