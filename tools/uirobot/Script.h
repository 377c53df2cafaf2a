// The robot's script: one command a line (the language is described in main.cpp).
#pragma once

#include <string>
#include <vector>

enum class Op {
    ExpectBox,
    ExpectButtons,
    ExpectCaption,
    ExpectIcon,
    ExpectRange,
    ExpectText,
    WaitWindow,
    WaitClass,
    WaitTitle,
    Press,
    ClickButtonText,
    Command,
    Type,
    Read,
    Screenshot,
    Record,
    StopRecording,
    Sleep,
    Timeout,
    ExpectExit,
    ExpectNoWindow,
    ExpectClosed,
    ExpectClientSize,
    Echo,
    Windows,
    Select,
    ExpectItems,
    ExpectState,
    Key,
    ExpectDword,
};

struct ScriptCommand {
    int line = 0;
    Op op = Op::Echo;
    std::string source;             // the line as written, for the transcript
    std::vector<long long> numbers; // control ids, milliseconds, seconds or an exit code
    std::string text;               // the string argument
};

// Parses a whole script. Strings keep their bytes: the caller hands over
// code page 1252 text. On a syntax error returns false with "line N: ..." in error.
bool ParseScript(const std::string& text, std::vector<ScriptCommand>& commands, std::string& error);
