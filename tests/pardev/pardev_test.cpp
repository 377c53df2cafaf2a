// PARDEV.dll under Wine, against the stand-in driver (tests/support/qrbdivd)
// and wave devices written into the registry here: the library's own
// CreateFileA/DeviceIoControl path and its registry search.
#include "PardevLibrary.h"
#include "QrbConfig.h"
#include "test_bed.h"

#include <cstring>
#include <string>
#include <vector>

using namespace pardevtest;

TEST_F(Pardev, WithoutTheWaveKeyNoDevicesThenFirstNotCalled)
{
    ASSERT_EQ(qrbDIInitSystem(0), QrbOk);
    EXPECT_EQ(qrbDIGetFirstDevice(&record_), QrbNoDevices);
    EXPECT_EQ(qrbDIGetNextDevice(&record_), QrbFirstNotCalled);
    EXPECT_EQ(qrbDIUnInitSystem(), QrbOk);
}

// An existing wave key without subkeys: "no more devices", and the next
// search was never advanced.
TEST_F(Pardev, AnEmptyWaveKey)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, WaveKey, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(qrbDIInitSystem(0), QrbOk);
    EXPECT_EQ(qrbDIGetFirstDevice(&record_), QrbNoMoreDevices);
    EXPECT_EQ(qrbDIGetNextDevice(&record_), QrbFirstNotCalled);
}

TEST_F(Pardev, InitialisedOnceAndInOrder)
{
    EXPECT_EQ(qrbDIUnInitSystem(), QrbNotInitialized);
    EXPECT_EQ(qrbDIGetFirstDevice(&record_), QrbNotInitialized);
    EXPECT_EQ(qrbDIGetNextDevice(&record_), QrbNotInitialized);
    EXPECT_EQ(qrbDIGetFirstDevice(nullptr), QrbNullPointer);
    ASSERT_EQ(qrbDIInitSystem(0), QrbOk);
    EXPECT_EQ(qrbDIInitSystem(0), QrbAlreadyInitialized);
    EXPECT_TRUE(DriverClientsBecome(clients_ + 1)) << "one handle open";
    EXPECT_EQ(qrbDIGetFirstDevice(nullptr), QrbNullPointer);
    EXPECT_EQ(qrbDIGetNextDevice(nullptr), QrbNullPointer);
    EXPECT_EQ(qrbDIUnInitSystem(), QrbOk);
    EXPECT_TRUE(DriverClientsBecome(clients_)) << "the handle is closed";
    EXPECT_EQ(qrbDIUnInitSystem(), QrbNotInitialized);
    // The option word does not make the library initialised by itself.
    EXPECT_EQ(qrbDIInitSystem(4), QrbOk);
    EXPECT_EQ(qrbDIUnInitSystem(), QrbOk);
}

// The service control manager stops and starts the driver service.
bool DriverServiceTo(bool running)
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = manager ? OpenServiceA(manager, "qrbdivd", SERVICE_ALL_ACCESS) : nullptr;
    SERVICE_STATUS status = {};
    if (service) {
        if (running)
            StartServiceA(service, 0, nullptr);
        else
            ControlService(service, SERVICE_CONTROL_STOP, &status);
    }
    const DWORD want = running ? SERVICE_RUNNING : SERVICE_STOPPED;
    bool reached = false;
    for (int i = 0; service && i < 200 && !reached; i++) {
        reached = QueryServiceStatus(service, &status) && status.dwCurrentState == want;
        if (!reached)
            Sleep(25);
    }
    if (service)
        CloseServiceHandle(service);
    if (manager)
        CloseServiceHandle(manager);
    return reached;
}

TEST_F(Pardev, WithoutTheDriver)
{
    ASSERT_TRUE(DriverServiceTo(false));
    EXPECT_EQ(qrbDIInitSystem(0), QrbVxdOpenFailed);
    EXPECT_EQ(qrbDIGetFirstDevice(&record_), QrbNotInitialized);
    // An option word with the state's "initialised" bit does not make the
    // library initialised without its driver.
    EXPECT_EQ(qrbDIInitSystem(4), QrbVxdOpenFailed);
    EXPECT_EQ(qrbDIGetFirstDevice(&record_), QrbNotInitialized);
    EXPECT_EQ(qrbDIUnInitSystem(), QrbNotInitialized);
    ASSERT_TRUE(DriverServiceTo(true));
    EXPECT_EQ(qrbDIInitSystem(0), QrbOk);
}

// A refusal to attach closes the handle and leaves the library
// uninitialised: nothing later uses the closed handle.
TEST_F(Pardev, TheDriverRefusesToAttach)
{
    SetDriverValue("AttachReply", 2);
    EXPECT_EQ(qrbDIInitSystem(0), QrbVxdOpenFailed);
    EXPECT_TRUE(DriverClientsBecome(clients_)) << "the handle stays open after the refusal";
    EXPECT_EQ(qrbDIGetFirstDevice(&record_), QrbNotInitialized);
    EXPECT_EQ(qrbDIUnInitSystem(), QrbNotInitialized);
    SetDriverValue("AttachReply", 3);  // any other reply is an attachment
    EXPECT_EQ(qrbDIInitSystem(0), QrbOk);
    EXPECT_EQ(qrbDIUnInitSystem(), QrbOk);
}

TEST_F(Pardev, FailedControlRequests)
{
    SetDriverValue("AttachFails", 1);
    EXPECT_EQ(qrbDIInitSystem(0), QrbVxdIoctlFailed);
    EXPECT_TRUE(DriverClientsBecome(clients_)) << "the handle stays open after a failed attach";
    EXPECT_EQ(qrbDIGetFirstDevice(&record_), QrbNotInitialized);
    SetDriverValue("AttachFails", 0);
    SetDriverValue("DetachFails", 1);
    ASSERT_EQ(qrbDIInitSystem(0), QrbOk);
    EXPECT_EQ(qrbDIUnInitSystem(), QrbVxdIoctlFailed);
    leaked_ = 1;
    EXPECT_EQ(qrbDIUnInitSystem(), QrbNotInitialized);
}

// The record as the library and the driver fill it: the texts from the
// registry, the driver name lower-cased before the driver sees it (the
// driver knows "sb16.drv" only), the numbers from the driver.
TEST_F(Pardev, TheRecordOfAnAcceptedDevice)
{
    AddWaveDevice({"0000", "1", "0x0001", "SB16.DRV", "Sound Blaster 16"});
    ASSERT_EQ(qrbDIInitSystem(0), QrbOk);
    std::memset(&record_, 0xCC, sizeof record_);
    ASSERT_EQ(qrbDIGetFirstDevice(&record_), QrbOk);
    EXPECT_EQ(record_.flags, QrbRecordFilled);
    EXPECT_STREQ(record_.driverName, "sb16.drv");
    EXPECT_STREQ(record_.deviceIdText, "0x0001");
    EXPECT_STREQ(record_.description, "Sound Blaster 16");
    EXPECT_EQ(record_.deviceId, 0xe015u);
    EXPECT_EQ(record_.port, 0x220u);
    EXPECT_EQ(record_.dma, 1u);
    EXPECT_EQ(record_.irq, 5u);
    EXPECT_EQ(record_.dma2, 5u);
    EXPECT_EQ(record_.driverData2[0], 0) << "the record is cleared first";
    EXPECT_EQ(qrbDIGetNextDevice(&record_), QrbNoMoreDevices);
}

// Inactive subkeys, subkeys that cannot be read and subkeys the driver
// rejects are passed over, and the search index moves past each of them.
TEST_F(Pardev, SubkeysPassedOver)
{
    AddWaveDevices({
        {"0000", "0", "0xe00b", "sb16.drv", "inactive"},
        {"0001", nullptr, "0xe00b", "sb16.drv", "no Active"},
        {"0002", "1", "0xe00b", "sb16.drv", nullptr},
        {"0003", "1", "0x9999", "otro.drv", "rejected"},
        {"0004", " -1", "0xe00b", "wss.drv", "microsoft"},
        {"0005", "1", "0x9999", "otro.drv", "rejected too"},
    });
    ASSERT_EQ(qrbDIInitSystem(0), QrbOk);
    ASSERT_EQ(qrbDIGetFirstDevice(&record_), QrbOk);
    EXPECT_STREQ(record_.description, "microsoft");
    EXPECT_EQ(record_.port, 0x530u);
    EXPECT_EQ(static_cast<int32_t>(record_.dma2), -1);
    EXPECT_EQ(qrbDIGetNextDevice(&record_), QrbNoMoreDevices);
    EXPECT_EQ(qrbDIGetNextDevice(&record_), QrbNoMoreDevices);
}

// A subkey whose name does not fit the 64-byte buffer is passed over like
// one that cannot be opened: the devices after it are still found.
TEST_F(Pardev, ASubkeyNameTooLong)
{
    const std::string longName = "0001" + std::string(70, 'x');
    AddWaveDevices({
        {"0000", "0", "0x1", "sb16.drv", "inactive"},
        {longName.c_str(), "1", "0x2", "sb16.drv", "long name"},
        {"0002", "1", "0x3", "sb16.drv", "after it"},
    });
    ASSERT_EQ(qrbDIInitSystem(0), QrbOk);
    ASSERT_EQ(qrbDIGetFirstDevice(&record_), QrbOk);
    EXPECT_STREQ(record_.description, "after it");
}

// Subkeys that are all inactive or rejected: the first search answers "no
// more devices" with the index moved past them, so the next search answers
// the same rather than "first device not asked for". Neither program's
// enumeration counts a device then.
TEST_F(Pardev, NoSubkeyAccepted)
{
    AddWaveDevices({
        {"0000", "0", "0xe015", "sb16.drv", "inactive"},
        {"0001", "1", "0x9999", "otro.drv", "rejected"},
    });
    ASSERT_EQ(qrbDIInitSystem(0), QrbOk);
    EXPECT_EQ(qrbDIGetFirstDevice(&record_), QrbNoMoreDevices);
    EXPECT_EQ(qrbDIGetNextDevice(&record_), QrbNoMoreDevices);
    ASSERT_EQ(qrbDIUnInitSystem(), QrbOk);

    PardevLibrary library;
    QrbDeviceRecord records[QrbDeviceSlots];
    int32_t count = -1;
    EXPECT_TRUE(ProbeInstallerDevices(library, records, count));
    EXPECT_EQ(count, 0) << "the installer";
    ASSERT_EQ(qrbDIUnInitSystem(), QrbOk);
    EXPECT_FALSE(ProbeAudioSetupDevices(library, records, count));
    EXPECT_EQ(count, 0) << "the audio setup program";
}

// Nine accepted devices: the library hands out all of them, the programs'
// enumerations keep the first eight, the eighth with its own numbers, and
// that record is written as chosen.
TEST_F(Pardev, NineDevicesTheListsStopAtEight)
{
    std::vector<std::string> known, keys, drivers, descriptions;
    for (int i = 1; i <= 8; i++) {
        known.push_back("d" + std::to_string(i) + ".drv " + std::to_string(0xe000 + i) + " " +
                        std::to_string(0x200 + 16 * i) + " " + std::to_string(i % 4) + " " + std::to_string(i + 2) +
                        " " + std::to_string(i % 4));
    }
    known[7] = "d8.drv 0xe0ff 0x2a0 6 12 7";
    SetDriverDevices(known);
    for (int i = 0; i < 9; i++) {
        keys.push_back("000" + std::to_string(i));
        drivers.push_back("D" + std::to_string(i % 8 + 1) + ".DRV");
        descriptions.push_back("Tarjeta " + std::to_string(i + 1));
    }
    for (int i = 0; i < 9; i++)
        AddWaveDevice({keys[i].c_str(), "1", "0x1", drivers[i].c_str(), descriptions[i].c_str()});

    ASSERT_EQ(qrbDIInitSystem(0), QrbOk);
    ASSERT_EQ(qrbDIGetFirstDevice(&record_), QrbOk);
    for (int i = 2; i <= 9; i++) {
        ASSERT_EQ(qrbDIGetNextDevice(&record_), QrbOk) << i;
        EXPECT_EQ(record_.description, descriptions[i - 1]);
    }
    EXPECT_EQ(qrbDIGetNextDevice(&record_), QrbNoMoreDevices);
    ASSERT_EQ(qrbDIUnInitSystem(), QrbOk);

    PardevLibrary library;
    QrbDeviceRecord installer[QrbDeviceSlots], setup[QrbDeviceSlots];
    int32_t installerCount = 0, setupCount = 0;
    EXPECT_TRUE(ProbeInstallerDevices(library, installer, installerCount));
    ASSERT_EQ(qrbDIUnInitSystem(), QrbOk);
    EXPECT_TRUE(ProbeAudioSetupDevices(library, setup, setupCount));
    ASSERT_EQ(installerCount, 8);
    ASSERT_EQ(setupCount, 8);
    for (const QrbDeviceRecord* records : {installer, setup}) {
        for (int i = 0; i < 8; i++)
            EXPECT_EQ(records[i].description, descriptions[i]);
        EXPECT_EQ(records[7].port, 0x2a0u);
        EXPECT_EQ(records[7].irq, 12u);
        EXPECT_EQ(records[7].dma, 6u);
        EXPECT_EQ(records[7].dma2, 7u);
        EXPECT_EQ(records[7].deviceId, 0xe0ffu);
    }
    ScratchDir scratch;
    setup[7].dma = 7;
    ASSERT_EQ(qrbDIWriteQRBConfig(&setup[7], nullptr), QrbOk);
    EXPECT_EQ(ReadAll(scratch.Path() / "qrbset.cfg"), LibraryConfigText("Tarjeta 8", 12, 7, 0x2a0, 0xe0ff));
}

TEST_F(Pardev, FourSubkeysTheSecondAccepted)
{
    AddWaveDevices({
        {"0000", "1", "0x1", "uno.drv", "uno"},
        {"0001", "1", "0x2", "sb16.drv", "dos"},
        {"0002", "1", "0x3", "tres.drv", "tres"},
        {"0003", "1", "0xe00b", "cuatro.drv", "cuatro"},
    });
    ASSERT_EQ(qrbDIInitSystem(0), QrbOk);
    ASSERT_EQ(qrbDIGetFirstDevice(&record_), QrbOk);
    EXPECT_STREQ(record_.description, "dos");
    // The next search goes on with the third, which is rejected.
    ASSERT_EQ(qrbDIGetNextDevice(&record_), QrbOk);
    EXPECT_STREQ(record_.description, "cuatro");
    EXPECT_EQ(qrbDIGetNextDevice(&record_), QrbNoMoreDevices);
    // A new first search starts over.
    ASSERT_EQ(qrbDIGetFirstDevice(&record_), QrbOk);
    EXPECT_STREQ(record_.description, "dos");
}

// Values that fill their fields come back terminated inside them; a value
// longer than its field makes the subkey passed over.
TEST_F(Pardev, RegistryTextsEndInsideTheirFields)
{
    // The library does not look at the values' types. Binary values are
    // read back as stored, so they fill a field without a terminator (Wine
    // answers for string values as if they had one).
    const std::string id(64, 'I'), driver(64, 'D'), description(96, 'N');
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, (std::string(WaveKey) + "\\0000").c_str(), &key), ERROR_SUCCESS);
    SetText(key, "Active", "1", 2);
    RegSetValueExA(key, "DeviceID", 0, REG_BINARY, reinterpret_cast<const BYTE*>(id.data()), 64);
    RegSetValueExA(key, "Driver", 0, REG_BINARY, reinterpret_cast<const BYTE*>(driver.data()), 64);
    RegSetValueExA(key, "Description", 0, REG_BINARY, reinterpret_cast<const BYTE*>(description.data()), 96);
    RegCloseKey(key);
    AddWaveDevice({"0001", "1", "0x2", "sb16.drv", std::string(96, 'L').c_str()});
    SetDriverDevices({std::string(63, 'I') + " 7 0x330 3 9 3", "sb16.drv 0xe015 0x220 1 5 5"});
    ASSERT_EQ(qrbDIInitSystem(0), QrbOk);
    ASSERT_EQ(qrbDIGetFirstDevice(&record_), QrbOk);
    EXPECT_EQ(std::string(record_.deviceIdText), std::string(63, 'I'));
    EXPECT_EQ(std::string(record_.driverName), std::string(63, 'd'));
    EXPECT_EQ(std::string(record_.description), std::string(95, 'N'));
    EXPECT_EQ(record_.deviceId, 7u);
    EXPECT_EQ(qrbDIGetNextDevice(&record_), QrbNoMoreDevices) << "a 96-character description does not fit";
}

// "Active" beyond 32 bits is no 0: a multiple of 2^32 does not wrap round
// and make the device pass for inactive. (The value is read into 16 bytes:
// a longer one makes the device passed over anyway.)
TEST_F(Pardev, ActiveBeyond32Bits)
{
    AddWaveDevices({
        {"0000", "4294967296", "0x1", "sb16.drv", "2^32"},
        {"0001", "-4294967296", "0x1", "sb16.drv", "-2^32"},
        {"0002", "0000000000000000000000", "0x1", "sb16.drv", "zero"},
    });
    ASSERT_EQ(qrbDIInitSystem(0), QrbOk);
    ASSERT_EQ(qrbDIGetFirstDevice(&record_), QrbOk);
    EXPECT_STREQ(record_.description, "2^32");
    ASSERT_EQ(qrbDIGetNextDevice(&record_), QrbOk);
    EXPECT_STREQ(record_.description, "-2^32");
    EXPECT_EQ(qrbDIGetNextDevice(&record_), QrbNoMoreDevices);
}

// A driver that writes over the whole record, the library's texts and flags
// included: the texts are handed back ending inside their fields, and the
// flags are the library's own.
TEST_F(Pardev, ADriverThatWritesOverTheTexts)
{
    AddWaveDevice({"0000", "1", "0x0001", "SB16.DRV", "Sound Blaster 16"});
    SetDriverValue("FillRecord", 0x41);
    ASSERT_EQ(qrbDIInitSystem(0), QrbOk);
    ASSERT_EQ(qrbDIGetFirstDevice(&record_), QrbOk);
    EXPECT_EQ(record_.flags, QrbRecordFilled);
    EXPECT_EQ(std::string(record_.description), std::string(95, 'A'));
    EXPECT_EQ(std::string(record_.driverName), std::string(63, 'A'));
    EXPECT_EQ(std::string(record_.deviceIdText), std::string(63, 'A'));
    EXPECT_EQ(record_.port, 0x220u) << "the driver's numbers";
    EXPECT_EQ(record_.driverData2[0], 0x41) << "the driver's own data stays as it wrote it";
}

// A description with control characters: they are written as spaces, so
// that the value stays on its key's line.
TEST_F(Pardev, ControlCharactersStayOnTheirLine)
{
    const struct {
        const char* description;
        const char* written;
    } cases[] = {
        {"SB\nDeviceIRQ   = 99", "SB DeviceIRQ   = 99"},
        {"SB\r\n", "SB  "},
        {"SB\x1A" "16", "SB 16"},
    };
    ScratchDir scratch;
    for (const auto& c : cases) {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, WaveKey);
        AddWaveDevice({"0000", "1", "0x1", "sb16.drv", c.description});
        ASSERT_EQ(qrbDIInitSystem(0), QrbOk);
        ASSERT_EQ(qrbDIGetFirstDevice(&record_), QrbOk);
        EXPECT_STREQ(record_.description, c.description) << "the record keeps the text as read";
        ASSERT_EQ(qrbDIWriteQRBConfig(&record_, nullptr), QrbOk);
        EXPECT_EQ(ReadAll(scratch.Path() / "qrbset.cfg"),
                  "[DIGITAL]\r\nDeviceName  = " + std::string(c.written) +
                      "\r\nDeviceIRQ   = 5\r\nDeviceDMA   = 1\r\nDevicePort  = 0x220\r\nDeviceID    = 0xe015")
            << c.written;
        ASSERT_EQ(qrbDIUnInitSystem(), QrbOk);
    }
}

TEST_F(Pardev, WritesTheConfiguration)
{
    ScratchDir scratch;
    QrbDeviceRecord record = {};
    std::strcpy(record.description, "Sound Blaster 16");
    record.irq = 5;
    record.dma = 5;
    record.port = 0x220;
    record.deviceId = 0xe015;
    const std::string text = LibraryConfigText("Sound Blaster 16", 5, 5, 0x220, 0xe015);

    ASSERT_EQ(qrbDIWriteQRBConfig(&record, nullptr), QrbOk);
    EXPECT_EQ(ReadAll(scratch.Path() / "qrbset.cfg"), text) << "a null directory is the current one";

    fs::create_directories(scratch.Path() / "sub");
    std::ofstream(scratch.Path() / "sub" / "qrbset.cfg") << std::string(400, 'x');
    ASSERT_EQ(qrbDIWriteQRBConfig(&record, (scratch.Path() / "sub").string().c_str()), QrbOk);
    EXPECT_EQ(ReadAll(scratch.Path() / "sub" / "qrbset.cfg"), text) << "an existing file is replaced";

    // A description that fills its field is written as far as it goes.
    std::memset(record.description, 'N', sizeof record.description);
    record.dma = 0xFFFFFFFF;
    ASSERT_EQ(qrbDIWriteQRBConfig(&record, nullptr), QrbOk);
    EXPECT_EQ(ReadAll(scratch.Path() / "qrbset.cfg"), LibraryConfigText(std::string(96, 'N').c_str(), 5, -1, 0x220,
                                                                         0xe015));
    EXPECT_EQ(qrbDIWriteQRBConfig(nullptr, nullptr), QrbNullPointer);
}

// A directory that leaves no room for "\qrbset.cfg" within 256 bytes, or
// where the file cannot be created: a nonzero code and nothing written.
TEST_F(Pardev, RefusesWhereItCannotWrite)
{
    ScratchDir scratch;
    QrbDeviceRecord record = {};
    std::strcpy(record.description, "x");
    const std::string base = scratch.Path().string() + "\\";
    ASSERT_LT(base.size(), 200u);
    const std::string longest = base + std::string(244 - base.size(), 'd');
    ASSERT_TRUE(CreateDirectoryA(longest.c_str(), nullptr));
    EXPECT_EQ(qrbDIWriteQRBConfig(&record, longest.c_str()), QrbOk);
    EXPECT_NE(ReadAll(longest + "\\qrbset.cfg"), "(missing)");

    const std::string tooLong = longest + "e";
    ASSERT_TRUE(CreateDirectoryA(tooLong.c_str(), nullptr));
    EXPECT_EQ(qrbDIWriteQRBConfig(&record, tooLong.c_str()), QrbInvalidHandle);
    EXPECT_TRUE(fs::is_empty(tooLong));

    EXPECT_EQ(qrbDIWriteQRBConfig(&record, (base + "missing").c_str()), QrbInvalidHandle);
    EXPECT_FALSE(fs::exists(base + "missing"));
}

TEST(PardevLibrary, ErrorStrings)
{
    EXPECT_STREQ(qrbDIGetErrorString(0), "ERROR : Error Code Does Not Indicate An Error");
    EXPECT_STREQ(qrbDIGetErrorString(8), "ERROR : VxD Open Failed");
    EXPECT_STREQ(qrbDIGetErrorString(12), "ERROR : Capabilities Structure Is Not Valid");
    EXPECT_EQ(qrbDIGetErrorString(13), nullptr);
    EXPECT_EQ(qrbDIGetErrorString(-1), nullptr);
}

// Callers link the exports by their plain names; the library says what it
// is in its version information.
TEST(PardevLibrary, ExportsAndIdentification)
{
    HMODULE library = GetModuleHandleA("PARDEV.dll");
    ASSERT_NE(library, nullptr);
    for (const char* name : {"qrbDIInitSystem", "qrbDIUnInitSystem", "qrbDIGetFirstDevice", "qrbDIGetNextDevice",
                             "qrbDIWriteQRBConfig", "qrbDIGetErrorString", "qrbDIIsWaveDriverInUse"})
        EXPECT_NE(GetProcAddress(library, name), nullptr) << name;
    char path[MAX_PATH];
    GetModuleFileNameA(library, path, sizeof path);
    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(path, &ignored));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, static_cast<DWORD>(info.size()), info.data()));
    char* text = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\040904E4\\FileDescription",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(text, "QRB Driver Information Library V0.1");
}
