// qrbDIIsWaveDriverInUse under Wine with ALSA's null device as the default
// (one wave output and one input device) and the lock library preloaded, so
// that a device held open by another process (wave_holder) is busy.
//
//   pardev_wave_tests WAVE_HOLDER
#include "Pardev.h"

#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Holder;

DWORD Since(DWORD start)
{
    return GetTickCount() - start;
}

// The product identifier of wave device 0 of that direction.
bool DeviceProduct(bool output, uint32_t& product)
{
    if (output) {
        WAVEOUTCAPSA caps;
        if (waveOutGetDevCapsA(0, &caps, sizeof caps) != MMSYSERR_NOERROR)
            return false;
        product = caps.wPid;
    } else {
        WAVEINCAPSA caps;
        if (waveInGetDevCapsA(0, &caps, sizeof caps) != MMSYSERR_NOERROR)
            return false;
        product = caps.wPid;
    }
    return true;
}

// wave_holder keeping one device open while it lives.
class HeldDevice {
public:
    explicit HeldDevice(bool output)
    {
        const std::string name = "pardev-wave-" + std::to_string(GetCurrentProcessId());
        ready_ = CreateEventA(nullptr, TRUE, FALSE, (name + "-ready").c_str());
        quit_ = CreateEventA(nullptr, TRUE, FALSE, (name + "-quit").c_str());
        std::string command = "\"" + Holder + "\" " + (output ? "out " : "in ") + name;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
            process_ = process.hProcess;
            CloseHandle(process.hThread);
            HANDLE either[2] = {ready_, process_};
            held_ = WaitForMultipleObjects(2, either, FALSE, 20000) == WAIT_OBJECT_0;
        }
    }
    ~HeldDevice()
    {
        SetEvent(quit_);
        if (process_) {
            WaitForSingleObject(process_, 10000);
            CloseHandle(process_);
        }
        CloseHandle(ready_);
        CloseHandle(quit_);
    }
    bool Held() const { return held_; }

private:
    HANDLE ready_ = nullptr, quit_ = nullptr, process_ = nullptr;
    bool held_ = false;
};

class WaveInUse : public ::testing::TestWithParam<bool> {};

}  // namespace

// Direction 1 is output, any other value input.
TEST_P(WaveInUse, NoDeviceReportsTheProduct)
{
    const int32_t direction = GetParam() ? 1 : 0;
    uint32_t product = 0;
    ASSERT_TRUE(DeviceProduct(GetParam(), product)) << "no wave device: is ALSA's null device the default?";
    const DWORD start = GetTickCount();
    EXPECT_EQ(qrbDIIsWaveDriverInUse(product + 1, direction), 0);
    EXPECT_EQ(qrbDIIsWaveDriverInUse(0x7777, direction == 1 ? 1 : 2), 0);
    EXPECT_LT(Since(start), 1000u);
}

TEST_P(WaveInUse, AFreeDevice)
{
    uint32_t product = 0;
    ASSERT_TRUE(DeviceProduct(GetParam(), product));
    const DWORD start = GetTickCount();
    EXPECT_EQ(qrbDIIsWaveDriverInUse(product, GetParam() ? 1 : 0), 0);
    EXPECT_LT(Since(start), 1000u);
}

// Held by another process: busy after 60 attempts 100 ms apart, free again
// once that process lets it go.
TEST_P(WaveInUse, ADeviceAnotherProcessKeepsOpen)
{
    const int32_t direction = GetParam() ? 1 : 0;
    uint32_t product = 0;
    ASSERT_TRUE(DeviceProduct(GetParam(), product));
    {
        HeldDevice held(GetParam());
        ASSERT_TRUE(held.Held()) << "wave_holder did not open the device";
        const DWORD start = GetTickCount();
        EXPECT_EQ(qrbDIIsWaveDriverInUse(product, direction), 1);
        const DWORD took = Since(start);
        EXPECT_GE(took, 5900u);
        EXPECT_LT(took, 15000u);
    }
    EXPECT_EQ(qrbDIIsWaveDriverInUse(product, direction), 0);
}

INSTANTIATE_TEST_SUITE_P(Directions, WaveInUse, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Output" : "Input"; });

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: pardev_wave_tests WAVE_HOLDER\n");
        return 2;
    }
    Holder = argv[1];
    return RUN_ALL_TESTS();
}
