// The DDE client against a recording Program Manager: what arrives, byte for
// byte, in which conversations, and what the client answers when the server
// refuses, stalls or is not there.
#include "PeerProcess.h"
#include "ProgmanDde.h"
#include "ProgramItems.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

const char* const LogFile = "progman_recorder.log";
const char* const Group = "Demo Morvadin Brumaria";

// The recorder's line for an execute of this text and its zero.
std::string Executed(const std::string& text)
{
    std::string line = "execute " + std::to_string(text.size() + 1) + " ";
    for (unsigned char c : text) {
        char hex[3];
        snprintf(hex, sizeof hex, "%02x", c);
        line += hex;
    }
    return line + "00";
}

// connect, execute, disconnect: one conversation per command.
Strings Conversations(const Strings& commands)
{
    Strings lines;
    for (const std::string& command : commands)
        lines.insert(lines.end(), {"connect", Executed(command), "disconnect"});
    return lines;
}

class Recorder {
public:
    explicit Recorder(const char* mode = "ack") : process_(RecorderProgram, std::string(LogFile) + " " + mode)
    {
    }
    bool Ready() const { return process_.Ready(); }

    // Every line logged since the last look.
    Strings Lines()
    {
        Strings lines;
        std::ifstream log(LogFile);
        std::string line;
        for (size_t i = 0; std::getline(log, line); i++)
            if (i >= seen_)
                lines.push_back(line);
        seen_ += lines.size();
        return lines;
    }

private:
    struct Fresh {
        Fresh() { DeleteFileA(LogFile); }
    } fresh_;
    PeerProcess process_;
    size_t seen_ = 0;
};

TEST(ProgmanDde, CommandsAsSent)
{
    Recorder recorder;
    ASSERT_TRUE(recorder.Ready());
    ProgmanDde dde;
    EXPECT_EQ(1, dde.CreateGroup(Group, ""));
    // 37 characters go out as 38 bytes.
    const Strings lines = recorder.Lines();
    EXPECT_EQ(Conversations({"[CreateGroup(Demo Morvadin Brumaria)]"}), lines);
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(0u, lines[1].find("execute 38 5b43"));

    // The item forms with a group come with the items below.
    EXPECT_EQ(1, dde.CreateGroup(Group, "DEMOMB.GRP"));
    EXPECT_EQ(1, dde.AddItem("", "C:\\DemoMB\\Readme.txt", "Readme", nullptr));
    EXPECT_EQ(1, dde.ShowGroup(Group, 5));
    EXPECT_EQ(1, dde.DeleteGroup(Group));
    EXPECT_EQ(Conversations({
                  "[CreateGroup(Demo Morvadin Brumaria,DEMOMB.GRP)]",
                  "[DeleteItem(Readme)]",
                  "[AddItem(C:\\DemoMB\\Readme.txt,Readme)]",
                  "[ShowGroup(Demo Morvadin Brumaria,5)]",
                  "[DeleteGroup(Demo Morvadin Brumaria)]",
              }),
              recorder.Lines());

    // Code page 1252 text passes unchanged; the longest commands that fit
    // arrive whole, longer ones never leave.
    EXPECT_EQ(1, dde.CreateGroup("Configuración", ""));
    const std::string longest(255 - 15, 'g');
    EXPECT_EQ(1, dde.DeleteGroup(longest.c_str()));
    EXPECT_EQ(0, dde.DeleteGroup((longest + "g").c_str()));
    const std::string longestLine(511 - 31, 'c');
    EXPECT_EQ(1, dde.AddItem("G", longestLine.c_str(), "I", "X"));
    EXPECT_EQ(0, dde.AddItem("G", (longestLine + "c").c_str(), "I", "X"));
    EXPECT_EQ(Conversations({"[CreateGroup(Configuración)]", "[DeleteGroup(" + longest + ")]",
                             "[ShowGroup(G,5)][DeleteItem(I)]", "[ShowGroup(G,5)][AddItem(" + longestLine + ",I,X)]"}),
              recorder.Lines());
}

// The installer's items, twice: each run creates the group and sends, for
// every item, its delete before its add; the second run sends the same.
TEST(ProgmanDde, ItemsTwice)
{
    class Host : public ProgramItemHost {
    public:
        void ShowMessage(const std::string& text, unsigned) override { ADD_FAILURE() << "message " << text; }
        int ComponentState(int) override { return 1; }
    } host;
    Recorder recorder;
    ASSERT_TRUE(recorder.Ready());
    const InstallDirs dirs = {"D:\\", "C:\\DemoMB\\", "C:\\WINDOWS\\", "C:\\WINDOWS\\SYSTEM\\"};
    const std::string show = "[ShowGroup(Demo Morvadin Brumaria,5)]";
    const Strings expected = Conversations({
        "[CreateGroup(Demo Morvadin Brumaria)]",
        show + "[DeleteItem(Demo Morvadin Brumaria)]",
        show + "[AddItem(C:\\DemoMB\\Brumaria.EXE,Demo Morvadin Brumaria,C:\\DemoMB\\BRUMARIA.ICO)]",
        show + "[DeleteItem(Desinstalar Demo Morvadin Brumaria)]",
        show + "[AddItem(C:\\WINDOWS\\Dexal.EXE,Desinstalar Demo Morvadin Brumaria,C:\\WINDOWS\\Dexal.EXE)]",
        show + "[DeleteItem(Readme)]",
        show + "[AddItem(C:\\DemoMB\\Readme.txt,Readme,C:\\DemoMB\\Readme.txt)]",
        show + "[DeleteItem(Setup Audio)]",
        show + "[AddItem(C:\\DemoMB\\AUDSETUP.EXE,Setup Audio,C:\\DemoMB\\AUDSETUP.EXE)]",
        show + "[DeleteItem(Setup Video)]",
        show + "[AddItem(C:\\DemoMB\\ESCRANO.EXE,Setup Video,C:\\DemoMB\\Escrano.exe)]",
    });
    for (int run = 1; run <= 2; run++) {
        ProgmanDde dde;
        CreateProgramItems(host, dde, dirs);
        EXPECT_EQ(expected, recorder.Lines()) << "run " << run;
    }
}

// A server that answers "not processed", or not at all within the time-out,
// makes the command fail; the client goes on.
TEST(ProgmanDde, RefusedOrStalled)
{
    {
        Recorder refusing("refuse");
        ASSERT_TRUE(refusing.Ready());
        ProgmanDde dde;
        EXPECT_EQ(0, dde.DeleteGroup(Group));
        EXPECT_EQ(Conversations({"[DeleteGroup(Demo Morvadin Brumaria)]"}), refusing.Lines());
    }
    Recorder stalling("block");
    ASSERT_TRUE(stalling.Ready());
    ProgmanDde dde;
    const DWORD start = GetTickCount();
    EXPECT_EQ(0, dde.DeleteGroup(Group));
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 900u);
    EXPECT_LT(elapsed, 5000u);
    const Strings lines = stalling.Lines();
    ASSERT_LE(2u, lines.size());
    EXPECT_EQ(Strings({"connect", Executed("[DeleteGroup(Demo Morvadin Brumaria)]")}),
              Strings(lines.begin(), lines.begin() + 2));
}

// The Program Manager's window is found by its class and restored.
TEST(ProgmanDde, ShowProgramManager)
{
    Recorder recorder;
    ASSERT_TRUE(recorder.Ready());
    HWND window = FindWindowA("Progman", nullptr);
    ASSERT_NE(nullptr, window);
    EXPECT_FALSE(IsWindowVisible(window));
    ProgmanDde dde;
    dde.ShowProgramManager();
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(IsIconic(window));
    EXPECT_EQ(Strings({"shown"}), recorder.Lines());
}

// Nobody answers "PROGMAN": every command fails at once and nothing waits.
TEST(ProgmanDde, NoServer)
{
    ProgmanDde dde;
    const DWORD start = GetTickCount();
    dde.ShowProgramManager();
    EXPECT_EQ(0, dde.CreateGroup(Group, ""));
    EXPECT_EQ(0, dde.AddItem(Group, "C:\\DemoMB\\Readme.txt", "Readme", "C:\\DemoMB\\Readme.txt"));
    EXPECT_EQ(0, dde.ShowGroup(Group, 5));
    EXPECT_EQ(0, dde.DeleteGroup(Group));
    EXPECT_EQ(0, dde.Execute("[CreateGroup(X)]"));
    EXPECT_LT(GetTickCount() - start, 2000u);
}

}  // namespace
