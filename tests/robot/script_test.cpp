// The robot's script parser: arguments, escapes, numbers and the errors a
// script writer gets.
#include "Script.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct Good {
    const char* line;
    Op op;
    std::vector<long long> numbers;
    const char* text;
};

TEST(ScriptParser, ReadsArguments)
{
    const Good cases[] = {
        {"expect-box \"¿Desea ejecutarlo?\"", Op::ExpectBox, {}, "¿Desea ejecutarlo?"},
        {"  wait-window Instalador  ", Op::WaitWindow, {}, "Instalador"},
        {"wait-class #32770", Op::WaitClass, {}, "#32770"},
        {"type 1000 \"C:\\\\DEMO \\\"x\\\"\\t\\n\\x41\"", Op::Type, {1000}, "C:\\DEMO \"x\"\t\nA"},
        {"press IDYES", Op::Press, {6}, ""},
        {"read IDC_STATIC", Op::Read, {-1}, ""},
        {"command 0x3E8", Op::Command, {1000}, ""},
        {"expect-buttons IDYES IDNO 10", Op::ExpectButtons, {6, 7, 10}, ""},
        {"expect-exit 0xC0000005", Op::ExpectExit, {0xC0000005LL}, ""},
        {"sleep 010", Op::Sleep, {10}, ""}, // decimal, not octal
        {"expect-exit -1", Op::ExpectExit, {-1}, ""},
        {"expect-no-window\r", Op::ExpectNoWindow, {}, ""},
        {"echo \"\"", Op::Echo, {}, ""},
        {"expect-icon information", Op::ExpectIcon, {}, "information"},
        {"expect-range 1037 0 2", Op::ExpectRange, {1037, 0, 2}, ""},
        {"select 1038 \"Pro Audio Spectrum 16\"", Op::Select, {1038}, "Pro Audio Spectrum 16"},
        {"expect-items 1039 \"5|1\"", Op::ExpectItems, {1039}, "5|1"},
        {"expect-state 1045 disabled", Op::ExpectState, {1045}, "disabled"},
        {"key escape", Op::Key, {}, "escape"},
        {"expect-dword HKLM\\Services\\qrbdivd\\Clients 1", Op::ExpectDword, {1}, "HKLM\\Services\\qrbdivd\\Clients"},
    };
    for (const Good& c : cases) {
        std::vector<ScriptCommand> commands;
        std::string error;
        ASSERT_TRUE(ParseScript(c.line, commands, error)) << c.line << ": " << error;
        ASSERT_EQ(commands.size(), 1u) << c.line;
        EXPECT_EQ(commands[0].op, c.op) << c.line;
        EXPECT_EQ(commands[0].numbers, c.numbers) << c.line;
        EXPECT_EQ(commands[0].text, c.text) << c.line;
    }
}

TEST(ScriptParser, NamesTheLineOfAMistake)
{
    const struct {
        const char* script;
        const char* error;
    } cases[] = {
        {"pulsar IDOK", "line 1: unknown command \"pulsar\""},
        {"expect-state 1045 gone", "line 1: \"gone\" is not a state (visible, hidden, enabled, disabled)"},
        {"key tab", "line 1: \"tab\" is not a key (escape, enter)"},
        {"select 1038", "line 1: a text is missing"},
        {"# comment\n\npress", "line 3: a control id is missing"},
        {"press OK", "line 1: \"OK\" is not a control id"},
        {"press \"1\"", "line 1: \"1\" is not a control id"},
        {"sleep 1.5", "line 1: \"1.5\" is not a number"},
        {"expect-exit 0x100000000", "line 1: \"0x100000000\" is not a number"},
        {"sleep 0x", "line 1: \"0x\" is not a number"},
        {"expect-box Desea ejecutarlo", "line 1: too many arguments (\"ejecutarlo\"; quote texts with spaces)"},
        {"expect-box \"Desea", "line 1: unterminated string"},
        {"expect-box \"a\"b", "line 1: text right after a closing quote"},
        {"expect-box \"\\q\"", "line 1: unknown escape \\q"},
        {"expect-box \"\\x4\"", "line 1: \\x needs two hex digits"},
        {"windows now", "line 1: too many arguments"},
        {"expect-icon error", "line 1: \"error\" is not an icon (none, information, exclamation, stop, question)"},
        {"expect-icon unknown", "line 1: \"unknown\" is not an icon"},
        {"expect-range 1037 0", "line 1: a number is missing"},
    };
    for (const auto& c : cases) {
        std::vector<ScriptCommand> commands;
        std::string error;
        EXPECT_FALSE(ParseScript(c.script, commands, error)) << c.script;
        EXPECT_EQ(error.compare(0, std::strlen(c.error), c.error), 0) << c.script << " gave: " << error;
    }
}

TEST(ScriptParser, KeepsLineNumbersAndSource)
{
    std::vector<ScriptCommand> commands;
    std::string error;
    ASSERT_TRUE(ParseScript("# start\r\n  wait-window \"A B\"\r\n\r\n\tpress 1\r\n", commands, error)) << error;
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0].line, 2);
    EXPECT_EQ(commands[0].source, "wait-window \"A B\"");
    EXPECT_EQ(commands[1].line, 4);
    EXPECT_EQ(commands[1].source, "press 1");
}

} // namespace
