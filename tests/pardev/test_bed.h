// The test bed of PARDEV.dll's tests under Wine: wave devices written into
// the registry, the stand-in driver (tests/support/qrbdivd) configured
// through its service key, and a fixture that leaves both as it found them.
#pragma once

#include "Pardev.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace pardevtest {

namespace fs = std::filesystem;


inline const char* const WaveKey = "System\\CurrentControlSet\\Control\\MediaResources\\wave";
inline const char* const ServiceKey = "System\\CurrentControlSet\\Services\\qrbdivd";

struct WaveDevice {
    const char* key;
    const char* active;       // null: the value is missing
    const char* deviceId;
    const char* driver;
    const char* description;
};

inline void SetText(HKEY key, const char* name, const char* text, DWORD bytes)
{
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
}

inline void AddWaveDevice(const WaveDevice& device)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, (std::string(WaveKey) + "\\" + device.key).c_str(), &key),
              ERROR_SUCCESS);
    const char* names[] = {"Active", "DeviceID", "Driver", "Description"};
    const char* values[] = {device.active, device.deviceId, device.driver, device.description};
    for (int i = 0; i < 4; i++) {
        if (values[i])
            SetText(key, names[i], values[i], static_cast<DWORD>(std::strlen(values[i]) + 1));
    }
    RegCloseKey(key);
}

inline void AddWaveDevices(const std::vector<WaveDevice>& devices)
{
    for (const WaveDevice& device : devices)
        AddWaveDevice(device);
}

inline HKEY Service()
{
    HKEY key = nullptr;
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, ServiceKey, 0, KEY_ALL_ACCESS, &key);
    return key;
}

inline void SetDriverValue(const char* name, DWORD value)
{
    HKEY key = Service();
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

// The devices the driver identifies: "NAME ID PORT DMA IRQ DMA2".
inline void SetDriverDevices(const std::vector<std::string>& devices)
{
    HKEY key = Service();
    for (int i = 0; i < 8; i++) {
        const std::string name = "Device" + std::to_string(i);
        if (i < static_cast<int>(devices.size()))
            SetText(key, name.c_str(), devices[i].c_str(), static_cast<DWORD>(devices[i].size() + 1));
        else
            RegDeleteValueA(key, name.c_str());
    }
    RegCloseKey(key);
}

// Open handles as the driver counts them.
inline DWORD DriverClients()
{
    DWORD value = 99, size = sizeof value;
    HKEY key = Service();
    RegQueryValueExA(key, "Clients", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return value;
}

// A closed handle reaches the driver a moment later.
inline bool DriverClientsBecome(DWORD want)
{
    for (int i = 0; i < 100; i++) {
        if (DriverClients() == want)
            return true;
        Sleep(20);
    }
    return false;
}

inline std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return in ? text.str() : "(missing)";
}

class Pardev : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, WaveKey);
        HKEY key = Service();
        ASSERT_NE(key, nullptr) << "the stand-in driver is not installed (qrbdivd.sh install)";
        RegCloseKey(key);
        SetDriverValue("AttachReply", 0);
        SetDriverValue("AttachFails", 0);
        SetDriverValue("DetachFails", 0);
        SetDriverValue("FillRecord", 0);
        SetDriverDevices({"sb16.drv 0xe015 0x220 1 5 5", "0xe00b 0xe00b 0x530 0 7 -1"});
        // Handles a failed detach leaves open stay open until the process ends.
        clients_ = DriverClients();
    }
    void TearDown() override
    {
        qrbDIUnInitSystem();
        // A closed handle reaches the driver a moment later: the next test
        // must not count it as open.
        EXPECT_TRUE(DriverClientsBecome(clients_ + leaked_)) << "handles left open";
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, WaveKey);
        SetDriverDevices({});
        SetDriverValue("FillRecord", 0);
    }
    QrbDeviceRecord record_ = {};
    DWORD clients_ = 0;
    DWORD leaked_ = 0;  // handles the test leaves open on purpose
};

// A scratch directory that is the current directory while it lives.
class ScratchDir {
public:
    ScratchDir()
    {
        path_ = fs::temp_directory_path() / ("pardev-" + std::to_string(GetTickCount()));
        fs::create_directories(path_);
        char previous[MAX_PATH] = "";
        GetCurrentDirectoryA(sizeof previous, previous);
        previous_ = previous;
        SetCurrentDirectoryA(path_.string().c_str());
    }
    ~ScratchDir()
    {
        SetCurrentDirectoryA(previous_.c_str());
        std::error_code error;
        fs::remove_all(path_, error);
    }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
    std::string previous_;
};

}  // namespace pardevtest
