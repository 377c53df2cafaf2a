// Where each resource archive is unpacked, and which rows are left out.
#include "Archives.h"
#include "Tables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

class FakeArchiveHost : public ArchiveHost {
public:
    void ShowMessage(const std::string& text, unsigned style) override
    {
        calls.push_back((style == InformationBox ? "box i " : "box - ") + text);
    }
    int ComponentState(int) override { return state; }
    std::string CurrentDir() override { return current; }
    bool EnterDir(const std::string& dir) override
    {
        calls.push_back("cd " + dir);
        if (dir == unenterable)
            return false;
        current = dir;
        return true;
    }
    int ExtractAll(const std::string& path) override
    {
        calls.push_back("extract " + path);
        return result;
    }
    Strings calls;
    std::string current = "X:\\ANTES\\";
    std::string unenterable;
    int state = 1;
    int result = 1;
};

const InstallDirs Dirs = {"D:\\", "C:\\DemoMB\\", "C:\\WINDOWS\\", "C:\\WINDOWS\\SYSTEM\\"};

// Runs with sLZH's one row replaced by the given one.
Strings Unpack(const ArchiveRow& row, FakeArchiveHost& host, bool& result)
{
    const ArchiveRow shipped = sLZH[0];
    sLZH[0] = row;
    result = ExtractResourceArchives(host, Dirs);
    sLZH[0] = shipped;
    return host.calls;
}

TEST(ResourceArchives, ShippedRowGoesToTheDestination)
{
    FakeArchiveHost host;
    bool result = false;
    EXPECT_EQ(Strings({"cd C:\\DemoMB\\", "extract D:\\Resource.lzh", "cd X:\\ANTES\\"}), Unpack(sLZH[0], host, result));
    EXPECT_TRUE(result);
}

TEST(ResourceArchives, DirectoryKinds)
{
    const struct {
        int kind;
        int kind3Box;
        int state;           // of the component's check box
        const char* target;  // null: the row is refused
    } cases[] = {
        {1, -1, 1, "D:\\"},
        {2, -1, 1, "C:\\DemoMB\\"},
        {3, 0, 1, "C:\\DemoMB\\"},
        {3, 0, 2, "C:\\DemoMB\\"},  // any state but unchecked
        {3, 0, 0, "D:\\"},
        {3, -1, 1, nullptr},
        {3, 1, 1, nullptr},
        {4, -1, 1, "C:\\WINDOWS\\"},
        {5, -1, 1, "C:\\WINDOWS\\SYSTEM\\"},
        {6, -1, 1, "E:\\FIJO\\"},
        {0, -1, 1, nullptr},
        {-1, -1, 1, nullptr},
        {7, -1, 1, nullptr},
    };
    for (const auto& c : cases) {
        FakeArchiveHost host;
        host.state = c.state;
        ArchiveRow row = {"Resource.lzh", "E:\\FIJO\\", 2, c.kind3Box, -1, 0, c.kind};
        bool result = false;
        Strings calls = Unpack(row, host, result);
        if (c.target)
            EXPECT_EQ(Strings({std::string("cd ") + c.target, "extract D:\\Resource.lzh", "cd X:\\ANTES\\"}), calls)
                << c.kind;
        else
            EXPECT_EQ(Strings({"box i Error en el sLZH[0]", "cd X:\\ANTES\\"}), calls) << c.kind;
        EXPECT_TRUE(result) << c.kind;
    }
}

TEST(ResourceArchives, ConditionsAndResults)
{
    bool result = false;
    ArchiveRow conditional = {"Resource.lzh", nullptr, 100, -1, 0, 0, 2};
    // Only a checked condition box lets the row through.
    for (int state : {0, 2}) {
        FakeArchiveHost unchecked;
        unchecked.state = state;
        EXPECT_EQ(Strings({"cd X:\\ANTES\\"}), Unpack(conditional, unchecked, result)) << state;
        EXPECT_TRUE(result);
    }

    FakeArchiveHost checked;
    EXPECT_EQ(Strings({"cd C:\\DemoMB\\", "extract D:\\Resource.lzh", "cd X:\\ANTES\\"}),
              Unpack(conditional, checked, result));

    // A missing archive (-2) is silent and no failure; a failed entry (0) is
    // reported by the archive's name, and the next rows still run.
    FakeArchiveHost missing;
    missing.result = -2;
    EXPECT_EQ(Strings({"cd C:\\DemoMB\\", "extract D:\\Resource.lzh", "cd X:\\ANTES\\"}),
              Unpack(sLZH[0], missing, result));
    EXPECT_TRUE(result);
    FakeArchiveHost failed;
    failed.result = 0;
    EXPECT_EQ(Strings({"cd C:\\DemoMB\\", "extract D:\\Resource.lzh", "box i ERROR al instalar el fichero Resource.lzh",
                       "cd X:\\ANTES\\"}),
              Unpack(sLZH[0], failed, result));
    EXPECT_FALSE(result);
}

TEST(ResourceArchives, TargetThatCannotBeEnteredUnpacksNothing)
{
    // Unpacked below whatever directory was current, the entries would land
    // outside the installation.
    FakeArchiveHost host;
    host.unenterable = "C:\\DemoMB\\";
    bool result = true;
    EXPECT_EQ(Strings({"cd C:\\DemoMB\\", "box i ERROR al instalar el fichero Resource.lzh", "cd X:\\ANTES\\"}),
              Unpack(sLZH[0], host, result));
    EXPECT_FALSE(result);
}

}  // namespace
