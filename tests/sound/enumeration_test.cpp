// Both forms of the device enumeration against a scripted library: what
// each answer of the library leads to, and that no answer makes them loop.
#include "DeviceEnumeration.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Answers InitSystem with init, then the first and following searches with
// the answers in order, the last one for ever. A found device (answer 0)
// gets the next port of ports (0x220 when they run out).
class ScriptedLibrary : public DeviceLibrary {
public:
    ScriptedLibrary(int32_t init, std::vector<int32_t> answers, std::vector<uint32_t> ports = {})
        : init_(init), answers_(std::move(answers)), ports_(std::move(ports)) {}

    int32_t InitSystem(uint32_t) override { return init_; }
    int32_t GetFirstDevice(QrbDeviceRecord* record) override
    {
        firstCalls++;
        return Answer(record);
    }
    int32_t GetNextDevice(QrbDeviceRecord* record) override
    {
        nextCalls++;
        return Answer(record);
    }

    int firstCalls = 0;
    int nextCalls = 0;

private:
    int32_t Answer(QrbDeviceRecord* record)
    {
        const int32_t answer = answers_[calls_ < answers_.size() ? calls_ : answers_.size() - 1];
        calls_++;
        if (answer == QrbOk) {
            record->port = found_ < ports_.size() ? ports_[found_] : 0x220;
            record->deviceId = ++found_;
        }
        return answer;
    }

    int32_t init_;
    std::vector<int32_t> answers_;
    std::vector<uint32_t> ports_;
    size_t calls_ = 0;
    size_t found_ = 0;
};

struct Outcome {
    bool usable;
    int32_t count;
};

Outcome Installer(ScriptedLibrary& library, QrbDeviceRecord (&records)[QrbDeviceSlots])
{
    int32_t count = -1;
    const bool usable = ProbeInstallerDevices(library, records, count);
    return {usable, count};
}

Outcome AudioSetup(ScriptedLibrary& library, QrbDeviceRecord (&records)[QrbDeviceSlots])
{
    int32_t count = -1;
    const bool usable = ProbeAudioSetupDevices(library, records, count);
    return {usable, count};
}

}  // namespace

// No library or no device: the installer keeps its box ticked, the audio
// setup program goes to the card table.
TEST(Enumeration, NothingFound)
{
    for (int32_t init : {QrbVxdOpenFailed, QrbVxdIoctlFailed, QrbAlreadyInitialized}) {
        QrbDeviceRecord records[QrbDeviceSlots];
        ScriptedLibrary a(init, {QrbOk}), b(init, {QrbOk});
        Outcome installer = Installer(a, records), setup = AudioSetup(b, records);
        EXPECT_TRUE(installer.usable);
        EXPECT_EQ(installer.count, 0);
        EXPECT_FALSE(setup.usable);
        EXPECT_EQ(setup.count, 0);
        EXPECT_EQ(a.firstCalls + b.firstCalls, 0) << "init " << init;
    }
    for (int32_t first : {QrbNoDevices, QrbNotInitialized}) {
        QrbDeviceRecord records[QrbDeviceSlots];
        ScriptedLibrary a(QrbOk, {first}), b(QrbOk, {first});
        EXPECT_TRUE(Installer(a, records).usable);
        EXPECT_FALSE(AudioSetup(b, records).usable);
        EXPECT_EQ(a.nextCalls + b.nextCalls, 0);
    }
}

// An empty wave key: the first search answers "no more devices" and every
// next one "first device not asked for". Neither form asks on.
TEST(Enumeration, AnEmptyWaveKeyEndsAtTheFirstSearch)
{
    QrbDeviceRecord records[QrbDeviceSlots];
    ScriptedLibrary a(QrbOk, {QrbNoMoreDevices, QrbFirstNotCalled}), b(QrbOk, {QrbNoMoreDevices, QrbFirstNotCalled});
    Outcome installer = Installer(a, records), setup = AudioSetup(b, records);
    EXPECT_EQ(installer.count, 0);
    EXPECT_TRUE(installer.usable);
    EXPECT_EQ(setup.count, 0);
    EXPECT_FALSE(setup.usable);
    EXPECT_EQ(a.nextCalls + b.nextCalls, 0);
}

// A library that answers 6 or 2 for ever is asked a bounded number of times.
TEST(Enumeration, AskingAgainIsBounded)
{
    for (int32_t again : {QrbFirstNotCalled, QrbNotInitialized}) {
        QrbDeviceRecord records[QrbDeviceSlots];
        ScriptedLibrary a(QrbOk, {QrbOk, again}), b(QrbOk, {QrbOk, again});
        EXPECT_EQ(Installer(a, records).count, 1);
        EXPECT_EQ(AudioSetup(b, records).count, 1);
        EXPECT_EQ(a.nextCalls, DeviceAsksPerRecord);
        EXPECT_EQ(b.nextCalls, DeviceAsksPerRecord);
    }
    // Asked again, the same record is filled; the bound counts per record.
    QrbDeviceRecord records[QrbDeviceSlots];
    ScriptedLibrary library(QrbOk, {QrbOk, QrbFirstNotCalled, QrbFirstNotCalled, QrbOk, QrbNotInitialized, QrbOk,
                                    QrbNoMoreDevices});
    EXPECT_EQ(Installer(library, records).count, 3);
    EXPECT_EQ(records[1].deviceId, 2u);
    EXPECT_EQ(records[2].deviceId, 3u);
}

TEST(Enumeration, AtMostEightRecordsClearedFirst)
{
    QrbDeviceRecord records[QrbDeviceSlots];
    std::memset(records, 0xAB, sizeof records);
    ScriptedLibrary library(QrbOk, {QrbOk});
    Outcome outcome = Installer(library, records);
    EXPECT_EQ(outcome.count, 8);
    EXPECT_EQ(library.nextCalls, 7);
    EXPECT_EQ(records[7].deviceId, 8u);
    EXPECT_EQ(records[7].flags, 0u);

    std::memset(records, 0xAB, sizeof records);
    ScriptedLibrary two(QrbOk, {QrbOk, QrbOk, QrbNoMoreDevices});
    EXPECT_EQ(AudioSetup(two, records).count, 2);
    EXPECT_EQ(records[2].port, 0u);
    EXPECT_EQ(records[7].irq, 0u);
}

// A first device with port 0: the installer looks on and unticks its box;
// the audio setup program stops there and uses the card table.
TEST(Enumeration, AFirstDeviceWithoutPort)
{
    QrbDeviceRecord records[QrbDeviceSlots];
    ScriptedLibrary a(QrbOk, {QrbOk, QrbOk, QrbNoMoreDevices}, {0, 0x330});
    Outcome installer = Installer(a, records);
    EXPECT_FALSE(installer.usable);
    EXPECT_EQ(installer.count, 2);
    EXPECT_EQ(records[1].port, 0x330u);

    ScriptedLibrary b(QrbOk, {QrbOk, QrbOk, QrbNoMoreDevices}, {0, 0x330});
    Outcome setup = AudioSetup(b, records);
    EXPECT_FALSE(setup.usable);
    EXPECT_EQ(setup.count, 1);
    EXPECT_EQ(b.nextCalls, 0);

    // Only the first device's port counts.
    ScriptedLibrary c(QrbOk, {QrbOk, QrbOk, QrbNoMoreDevices}, {0x220, 0});
    EXPECT_TRUE(Installer(c, records).usable);
}
