// The Program Manager commands byte for byte, and what happens to those that
// would not fit their buffers.
#include "ProgmanCommands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

// Records what would be sent; answers from a script of results, then 1.
class RecordingCommands : public ProgmanCommands {
public:
    int Execute(const char* command) override
    {
        sent.push_back(command);
        if (answers.empty())
            return 1;
        const int answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    Strings sent;
    std::vector<int> answers;
};

const char* const Group = "Demo Morvadin Brumaria";

TEST(ProgmanCommands, GroupForms)
{
    RecordingCommands dde;
    EXPECT_EQ(1, dde.CreateGroup(Group, ""));
    EXPECT_EQ(1, dde.CreateGroup(Group, nullptr));
    EXPECT_EQ(1, dde.CreateGroup(Group, "DEMOMB.GRP"));
    EXPECT_EQ(1, dde.ShowGroup(Group, 5));
    EXPECT_EQ(1, dde.ShowGroup(Group, -1));
    EXPECT_EQ(1, dde.DeleteGroup(Group));
    EXPECT_EQ(Strings({"[CreateGroup(Demo Morvadin Brumaria)]", "[CreateGroup(Demo Morvadin Brumaria)]",
                       "[CreateGroup(Demo Morvadin Brumaria,DEMOMB.GRP)]", "[ShowGroup(Demo Morvadin Brumaria,5)]",
                       "[ShowGroup(Demo Morvadin Brumaria,-1)]", "[DeleteGroup(Demo Morvadin Brumaria)]"}),
              dde.sent);
}

TEST(ProgmanCommands, ItemForms)
{
    const struct {
        const char* group;
        const char* icon;
        const char* deleteCommand;
        const char* addCommand;
    } cases[] = {
        {Group, "C:\\DemoMB\\Readme.txt", "[ShowGroup(Demo Morvadin Brumaria,5)][DeleteItem(Readme)]",
         "[ShowGroup(Demo Morvadin Brumaria,5)][AddItem(C:\\DemoMB\\Readme.txt,Readme,C:\\DemoMB\\Readme.txt)]"},
        {Group, nullptr, "[ShowGroup(Demo Morvadin Brumaria,5)][DeleteItem(Readme)]",
         "[ShowGroup(Demo Morvadin Brumaria,5)][AddItem(C:\\DemoMB\\Readme.txt,Readme)]"},
        // An empty icon text is still an icon argument.
        {Group, "", "[ShowGroup(Demo Morvadin Brumaria,5)][DeleteItem(Readme)]",
         "[ShowGroup(Demo Morvadin Brumaria,5)][AddItem(C:\\DemoMB\\Readme.txt,Readme,)]"},
        {"", "C:\\DemoMB\\Readme.txt", "[DeleteItem(Readme)]",
         "[AddItem(C:\\DemoMB\\Readme.txt,Readme,C:\\DemoMB\\Readme.txt)]"},
        {nullptr, "C:\\DemoMB\\Readme.txt", "[DeleteItem(Readme)]",
         "[AddItem(C:\\DemoMB\\Readme.txt,Readme,C:\\DemoMB\\Readme.txt)]"},
        {"", nullptr, "[DeleteItem(Readme)]", "[AddItem(C:\\DemoMB\\Readme.txt,Readme)]"},
    };
    for (const auto& c : cases) {
        RecordingCommands dde;
        EXPECT_EQ(1, dde.AddItem(c.group, "C:\\DemoMB\\Readme.txt", "Readme", c.icon));
        EXPECT_EQ(Strings({c.deleteCommand, c.addCommand}), dde.sent);
    }
}

// Texts go in verbatim: nothing is quoted or escaped.
TEST(ProgmanCommands, TextsAsTheyStand)
{
    RecordingCommands dde;
    dde.AddItem("A,B", "\"C:\\x y\\p.exe\" /z", "It(em)", "[i]");
    EXPECT_EQ(Strings({"[ShowGroup(A,B,5)][DeleteItem(It(em))]",
                       "[ShowGroup(A,B,5)][AddItem(\"C:\\x y\\p.exe\" /z,It(em),[i])]"}),
              dde.sent);
}

TEST(ProgmanCommands, ItemResultIsTheAdds)
{
    RecordingCommands missing;
    missing.answers = {0, 1};  // no such item to delete
    EXPECT_EQ(1, missing.AddItem(Group, "C:\\DemoMB\\Brumaria.EXE", "Demo", "C:\\DemoMB\\BRUMARIA.ICO"));
    RecordingCommands refused;
    refused.answers = {1, 0};
    EXPECT_EQ(0, refused.AddItem(Group, "C:\\DemoMB\\Brumaria.EXE", "Demo", "C:\\DemoMB\\BRUMARIA.ICO"));
    EXPECT_EQ(2u, refused.sent.size());
    RecordingCommands dead;
    dead.answers = {0, 0, 0};
    EXPECT_EQ(0, dead.CreateGroup(Group, ""));
    EXPECT_EQ(0, dead.ShowGroup(Group, 5));
    EXPECT_EQ(0, dead.DeleteGroup(Group));
}

// Group commands have 256 bytes and item commands 512, the zero included:
// a command of 255 (511) characters goes out whole, one more is refused and
// nothing is sent.
TEST(ProgmanCommands, BufferLimits)
{
    const std::string fixedCreate = "[CreateGroup()]";
    const std::string fixedCreateFile = "[CreateGroup(,G)]";
    const std::string fixedShow = "[ShowGroup(,5)]";
    const std::string fixedDelete = "[DeleteGroup()]";
    for (size_t length : {255, 256}) {
        const bool fits = length == 255;
        RecordingCommands dde;
        EXPECT_EQ(fits, dde.CreateGroup(std::string(length - fixedCreate.size(), 'g').c_str(), "")) << length;
        EXPECT_EQ(fits, dde.CreateGroup(std::string(length - fixedCreateFile.size(), 'g').c_str(), "G"));
        EXPECT_EQ(fits, dde.ShowGroup(std::string(length - fixedShow.size(), 'g').c_str(), 5));
        EXPECT_EQ(fits, dde.DeleteGroup(std::string(length - fixedDelete.size(), 'g').c_str()));
        ASSERT_EQ(fits ? 4u : 0u, dde.sent.size());
        for (const std::string& command : dde.sent)
            EXPECT_EQ(length, command.size());
    }

    // "[ShowGroup(G,5)][AddItem(" + command line + ",I,X)]"
    const std::string fixedAdd = "[ShowGroup(G,5)][AddItem(,I,X)]";
    for (size_t length : {511, 512}) {
        RecordingCommands dde;
        const std::string commandLine(length - fixedAdd.size(), 'c');
        EXPECT_EQ(length == 511, dde.AddItem("G", commandLine.c_str(), "I", "X")) << length;
        if (length == 511)
            EXPECT_EQ(Strings({"[ShowGroup(G,5)][DeleteItem(I)]", "[ShowGroup(G,5)][AddItem(" + commandLine + ",I,X)]"}),
                      dde.sent);
        else
            EXPECT_TRUE(dde.sent.empty());
    }

    // The delete command can be the longer one (an empty command line, no
    // icon): 512 bytes there refuse the item although its add would fit.
    const std::string fixedDeleteItem = "[ShowGroup(G,5)][DeleteItem()]";
    for (size_t length : {511, 512}) {
        RecordingCommands dde;
        const std::string item(length - fixedDeleteItem.size(), 'i');
        EXPECT_EQ(length == 511, dde.AddItem("G", "", item.c_str(), nullptr)) << length;
        EXPECT_EQ(length == 511 ? 2u : 0u, dde.sent.size());
    }
}

}  // namespace
