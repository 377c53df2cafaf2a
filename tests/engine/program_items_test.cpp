// The program group's items: which rows become items, in which directories,
// and the commands that carry them to the Program Manager.
#include "ProgramItems.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

class RecordingProgman : public ProgmanCommands {
public:
    int Execute(const char* command) override
    {
        sent.push_back(command);
        return 1;
    }
    Strings sent;
};

class FakeItemHost : public ProgramItemHost {
public:
    void ShowMessage(const std::string& text, unsigned style) override
    {
        messages.push_back((style == InformationBox ? "i " : "- ") + text);
    }
    int ComponentState(int component) override
    {
        asked.push_back(component);
        return states[component];
    }
    Strings messages;
    std::vector<int> asked;
    std::map<int, int> states;  // unchecked unless set
};

const InstallDirs Dirs = {"E:\\", "C:\\DemoMB\\", "C:\\WINDOWS\\", "C:\\WINDOWS\\SYSTEM\\"};
const std::string Show = "[ShowGroup(Demo Morvadin Brumaria,5)]";
const std::string Create = "[CreateGroup(Demo Morvadin Brumaria)]";

struct ItemTraffic {
    Strings sent;
    Strings messages;
    std::vector<int> asked;
};

ItemTraffic Items(const std::vector<ItemRow>& rows, std::map<int, int> states = {}, const InstallDirs& dirs = Dirs,
          int components = 1)
{
    FakeItemHost host;
    host.states = std::move(states);
    RecordingProgman progman;
    CreateProgramItems(host, progman, dirs, rows.data(), static_cast<int>(rows.size()), components);
    return {progman.sent, host.messages, host.asked};
}

ItemRow Row(DirKind command, DirKind icon, int checkBox = -1, const char* name = "Juego")
{
    return {"Juego.exe", name, "Juego.ico", "F:\\PROPIO\\", 1, checkBox, command, icon};
}

// The add command of one item of the group, as CreateProgramItems sends it.
std::string Add(const std::string& commandLine, const std::string& item, const std::string& icon)
{
    return Show + "[AddItem(" + commandLine + "," + item + "," + icon + ")]";
}

Strings Made(const ItemTraffic& run)
{
    Strings adds;
    for (const std::string& command : run.sent)
        if (command.find("[AddItem(") != std::string::npos)
            adds.push_back(command);
    return adds;
}

TEST(ProgramItems, ShippedTable)
{
    FakeItemHost host;
    RecordingProgman progman;
    CreateProgramItems(host, progman, Dirs);
    const Strings expected = {
        Create,
        Show + "[DeleteItem(Demo Morvadin Brumaria)]",
        Add("C:\\DemoMB\\Brumaria.EXE", "Demo Morvadin Brumaria", "C:\\DemoMB\\BRUMARIA.ICO"),
        Show + "[DeleteItem(Desinstalar Demo Morvadin Brumaria)]",
        Add("C:\\WINDOWS\\Dexal.EXE", "Desinstalar Demo Morvadin Brumaria", "C:\\WINDOWS\\Dexal.EXE"),
        Show + "[DeleteItem(Readme)]",
        Add("C:\\DemoMB\\Readme.txt", "Readme", "C:\\DemoMB\\Readme.txt"),
        Show + "[DeleteItem(Setup Audio)]",
        Add("C:\\DemoMB\\AUDSETUP.EXE", "Setup Audio", "C:\\DemoMB\\AUDSETUP.EXE"),
        Show + "[DeleteItem(Setup Video)]",
        Add("C:\\DemoMB\\ESCRANO.EXE", "Setup Video", "C:\\DemoMB\\Escrano.exe"),
    };
    EXPECT_EQ(expected, progman.sent);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(host.asked.empty());

    // A second run sends the same commands: each item replaces its namesake.
    CreateProgramItems(host, progman, Dirs);
    EXPECT_EQ(Strings(expected.begin(), expected.end()), Strings(progman.sent.begin() + 11, progman.sent.end()));

    const InstallDirs juegos = {"E:\\", "D:\\Juegos\\DemoMB\\", "C:\\WINDOWS\\", "C:\\WINDOWS\\SYSTEM\\"};
    const ItemTraffic other = Items({sItem, sItem + sItemCount}, {}, juegos);
    const Strings adds = Made(other);
    ASSERT_EQ(5u, adds.size());
    for (int i : {0, 2, 3, 4})
        EXPECT_EQ(0u, adds[i].find(Show + "[AddItem(D:\\Juegos\\DemoMB\\")) << adds[i];
}

TEST(ProgramItems, RowsLeftOut)
{
    ItemRow disabled = Row(dirkind::Destination, dirkind::Destination, 2);
    disabled.enabled = 0;
    ItemTraffic run = Items({disabled}, {{2, 1}}, Dirs, 3);
    EXPECT_EQ(Strings({Create}), run.sent);
    EXPECT_TRUE(run.asked.empty());

    // Kinds 3 and 6 need a component box: each such kind of a row without
    // one is reported, and the row gives no item.
    const struct {
        DirKind command, icon;
        int checkBox;
        size_t messages;
    } unboxed[] = {
        {3, 2, -1, 1}, {2, 6, -1, 1}, {3, 6, -1, 2}, {6, 6, -1, 2}, {6, 3, -1, 2}, {6, 2, -2, 1},
    };
    for (const auto& c : unboxed) {
        run = Items({Row(c.command, c.icon, c.checkBox, "Roto"), Row(2, 2)});
        EXPECT_EQ(Strings(c.messages, "i Error en el item: Roto"), run.messages) << c.command << c.icon;
        EXPECT_EQ(Strings({Add("C:\\DemoMB\\Juego.exe", "Juego", "C:\\DemoMB\\Juego.ico")}), Made(run));
        EXPECT_TRUE(run.asked.empty());
    }
}

// Box 0 is never a condition of its own; boxes above 0 are, and only a
// checked one (1) lets the row through. Kind 3 takes the destination for any
// checked state, kind 6 keeps the row only while its box is unchecked.
TEST(ProgramItems, CheckBoxes)
{
    ItemTraffic run = Items({Row(2, 2, 0)}, {{0, 0}});
    EXPECT_EQ(1u, Made(run).size());
    EXPECT_TRUE(run.asked.empty());

    const struct {
        DirKind command;
        int checkBox;
        int state;
        const char* commandLine;  // null: no item
    } cases[] = {
        {2, 2, 1, "C:\\DemoMB\\Juego.exe"},
        {2, 2, 0, nullptr},
        {2, 2, 2, nullptr},
        {2, 3, 1, nullptr},  // no such component: never checked
        {3, 0, 1, "C:\\DemoMB\\Juego.exe"},
        {3, 0, 2, "C:\\DemoMB\\Juego.exe"},
        {3, 0, 0, "E:\\Juego.exe"},
        {3, 2, 1, "C:\\DemoMB\\Juego.exe"},
        {6, 0, 0, "Juego.exe"},
        {6, 0, 1, nullptr},
        {6, 0, 2, nullptr},
    };
    for (const auto& c : cases) {
        run = Items({Row(c.command, 2, c.checkBox)}, {{c.checkBox, c.state}}, Dirs, 3);
        if (c.commandLine)
            EXPECT_EQ(Strings({Add(c.commandLine, "Juego", "C:\\DemoMB\\Juego.ico")}), Made(run))
                << c.command << " " << c.checkBox << " " << c.state;
        else
            EXPECT_TRUE(Made(run).empty()) << c.command << " " << c.checkBox << " " << c.state;
        EXPECT_TRUE(run.messages.empty());
    }
}

// The command and icon directories outlive their rows: kinds that name no
// directory keep what the row before put there, and both start empty.
TEST(ProgramItems, DirectoriesCarryOver)
{
    const ItemTraffic run = Items({Row(7, -1), Row(4, 5), Row(-1, 7), Row(0, 1), Row(6, 6, 0), Row(2, 100)}, {{0, 0}});
    EXPECT_EQ(Strings({
                  Add("Juego.exe", "Juego", "Juego.ico"),
                  Add("C:\\WINDOWS\\Juego.exe", "Juego", "C:\\WINDOWS\\SYSTEM\\Juego.ico"),
                  Add("C:\\WINDOWS\\Juego.exe", "Juego", "C:\\WINDOWS\\SYSTEM\\Juego.ico"),
                  Add("F:\\PROPIO\\Juego.exe", "Juego", "E:\\Juego.ico"),
                  Add("F:\\PROPIO\\Juego.exe", "Juego", "E:\\Juego.ico"),
                  Add("C:\\DemoMB\\Juego.exe", "Juego", "E:\\Juego.ico"),
              }),
              Made(run));
}

// Paths that the command syntax would split are quoted; others stay as they are.
TEST(ProgramItems, QuotedPaths)
{
    const struct {
        const char* path;
        const char* sent;
    } cases[] = {
        {"C:\\DemoMB\\Brumaria.EXE", "C:\\DemoMB\\Brumaria.EXE"},
        {"", ""},
        {"C:\\Mis Juegos\\x.exe", "\"C:\\Mis Juegos\\x.exe\""},
        {"C:\\a,b\\x.exe", "\"C:\\a,b\\x.exe\""},
        {"C:\\a(b\\x.exe", "\"C:\\a(b\\x.exe\""},
        {"C:\\a)]\\x.exe", "\"C:\\a)]\\x.exe\""},
        {"C:\\[a]\\x.exe", "\"C:\\[a]\\x.exe\""},
        {"C:\\Año_#1\\x.exe", "C:\\Año_#1\\x.exe"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.sent, QuotedPath(c.path));

    // A typed directory cannot close the command and start one of its own.
    const InstallDirs typed = {"E:\\", "C:\\x)][DeleteGroup(Otro)][(\\", "C:\\WINDOWS\\", "C:\\WINDOWS\\SYSTEM\\"};
    const ItemTraffic run = Items({Row(2, 2)}, {}, typed);
    EXPECT_EQ(Strings({Create, Show + "[DeleteItem(Juego)]",
                       Add("\"C:\\x)][DeleteGroup(Otro)][(\\Juego.exe\"", "Juego",
                           "\"C:\\x)][DeleteGroup(Otro)][(\\Juego.ico\"")}),
              run.sent);
}

}  // namespace
