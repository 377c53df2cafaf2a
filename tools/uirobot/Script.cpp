#include "Script.h"

#include "BoxIcon.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

// Argument kinds: 's' a string (quoted, or one bare word), 'i' a control id
// (a number or a dialog result name), 'n' a number; '+' after a kind takes any
// number of further arguments of that kind.
struct OpInfo {
    const char* name;
    Op op;
    const char* args;
};

const OpInfo kOps[] = {
    {"expect-box", Op::ExpectBox, "s"},
    {"expect-buttons", Op::ExpectButtons, "i+"},
    {"expect-caption", Op::ExpectCaption, "s"},
    {"expect-icon", Op::ExpectIcon, "s"},
    {"expect-range", Op::ExpectRange, "inn"},
    {"expect-text", Op::ExpectText, "is"},
    {"wait-window", Op::WaitWindow, "s"},
    {"wait-class", Op::WaitClass, "s"},
    {"wait-title", Op::WaitTitle, "s"},
    {"press", Op::Press, "i"},
    {"click-button-text", Op::ClickButtonText, "s"},
    {"command", Op::Command, "i"},
    {"type", Op::Type, "is"},
    {"read", Op::Read, "i"},
    {"screenshot", Op::Screenshot, "s"},
    {"record", Op::Record, "sn"},
    {"stop-recording", Op::StopRecording, ""},
    {"sleep", Op::Sleep, "n"},
    {"timeout", Op::Timeout, "n"},
    {"expect-exit", Op::ExpectExit, "n"},
    {"expect-no-window", Op::ExpectNoWindow, ""},
    {"expect-closed", Op::ExpectClosed, ""},
    {"expect-client-size", Op::ExpectClientSize, "nn"},
    {"echo", Op::Echo, "s"},
    {"windows", Op::Windows, ""},
    {"select", Op::Select, "is"},
    {"expect-items", Op::ExpectItems, "is"},
    {"expect-state", Op::ExpectState, "is"},
    {"key", Op::Key, "s"},
    {"expect-dword", Op::ExpectDword, "sn"},
};

const char* const kStates[] = {"visible", "hidden", "enabled", "disabled"};
const char* const kKeys[] = {"escape", "enter"};

template <size_t N>
bool OneOf(const std::string& text, const char* const (&names)[N])
{
    for (const char* name : names) {
        if (text == name)
            return true;
    }
    return false;
}

struct NamedId {
    const char* name;
    int id;
};

const NamedId kIds[] = {
    {"IDOK", 1},    {"IDCANCEL", 2}, {"IDABORT", 3}, {"IDRETRY", 4},     {"IDIGNORE", 5},    {"IDYES", 6},
    {"IDNO", 7},    {"IDCLOSE", 8},  {"IDHELP", 9},  {"IDTRYAGAIN", 10}, {"IDCONTINUE", 11}, {"IDC_STATIC", -1},
};

struct Token {
    std::string text;
    bool quoted;
};

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A quoted string knows \" \\ \n \t and \xHH.
bool ReadQuoted(const std::string& line, size_t& pos, std::string& out, std::string& error)
{
    for (++pos; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++pos == line.size())
            break;
        switch (line[pos]) {
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case 'x': {
            int high = pos + 1 < line.size() ? HexDigit(line[pos + 1]) : -1;
            int low = pos + 2 < line.size() ? HexDigit(line[pos + 2]) : -1;
            if (high < 0 || low < 0) {
                error = "\\x needs two hex digits";
                return false;
            }
            out += static_cast<char>(high * 16 + low);
            pos += 2;
            break;
        }
        default:
            error = std::string("unknown escape \\") + line[pos];
            return false;
        }
    }
    error = "unterminated string";
    return false;
}

bool Tokenize(const std::string& line, std::vector<Token>& tokens, std::string& error)
{
    size_t pos = 0;
    for (;;) {
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
            ++pos;
        if (pos == line.size())
            return true;
        Token token{std::string(), line[pos] == '"'};
        if (token.quoted) {
            if (!ReadQuoted(line, pos, token.text, error))
                return false;
            if (pos < line.size() && line[pos] != ' ' && line[pos] != '\t') {
                error = "text right after a closing quote";
                return false;
            }
        } else {
            size_t end = line.find_first_of(" \t", pos);
            if (end == std::string::npos)
                end = line.size();
            token.text = line.substr(pos, end - pos);
            pos = end;
        }
        tokens.push_back(token);
    }
}

// Decimal or 0x hexadecimal, optionally negative; exit codes go up to 0xFFFFFFFF.
bool ParseNumber(const std::string& text, long long& value)
{
    const char* s = text.c_str();
    bool negative = *s == '-';
    if (negative)
        ++s;
    int base = 10;
    if (s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s += 2;
    }
    if (*s == '\0' || *s == '-' || *s == '+')
        return false;
    char* end = nullptr;
    errno = 0;
    unsigned long long magnitude = std::strtoull(s, &end, base);
    if (*end != '\0' || errno != 0 || magnitude > 0xFFFFFFFFull)
        return false;
    value = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    return true;
}

bool ParseId(const std::string& text, long long& value)
{
    for (const NamedId& named : kIds) {
        if (text == named.name) {
            value = named.id;
            return true;
        }
    }
    return ParseNumber(text, value);
}

bool ParseArguments(const OpInfo& info, const std::vector<Token>& tokens, ScriptCommand& command, std::string& error)
{
    size_t next = 1;
    char last = 0;
    for (const char* kind = info.args; *kind; ++kind) {
        bool repeat = *kind == '+';
        char want = repeat ? last : *kind;
        last = want;
        do {
            if (next == tokens.size()) {
                if (repeat)
                    break;
                error = std::string(want == 's' ? "a text" : want == 'i' ? "a control id" : "a number") +
                        " is missing";
                return false;
            }
            const Token& token = tokens[next++];
            long long value = 0;
            if (want == 's') {
                command.text = token.text;
            } else if (token.quoted || !(want == 'i' ? ParseId(token.text, value) : ParseNumber(token.text, value))) {
                error = "\"" + token.text + "\" is not " + (want == 'i' ? "a control id" : "a number");
                return false;
            } else {
                command.numbers.push_back(value);
            }
        } while (repeat);
    }
    if (next != tokens.size()) {
        error = "too many arguments (\"" + tokens[next].text + "\"; quote texts with spaces)";
        return false;
    }
    return true;
}

bool ParseLine(const std::string& line, ScriptCommand& command, bool& empty, std::string& error)
{
    size_t first = line.find_first_not_of(" \t");
    empty = first == std::string::npos || line[first] == '#';
    if (empty)
        return true;
    std::vector<Token> tokens;
    if (!Tokenize(line, tokens, error))
        return false;
    const OpInfo* info = nullptr;
    for (const OpInfo& candidate : kOps) {
        if (!tokens[0].quoted && tokens[0].text == candidate.name)
            info = &candidate;
    }
    if (!info) {
        error = "unknown command \"" + tokens[0].text + "\"";
        return false;
    }
    command.op = info->op;
    command.source = line.substr(first);
    while (!command.source.empty() && (command.source.back() == ' ' || command.source.back() == '\t'))
        command.source.pop_back();
    if (!ParseArguments(*info, tokens, command, error))
        return false;
    if (command.op == Op::ExpectState && !OneOf(command.text, kStates)) {
        error = "\"" + command.text + "\" is not a state (visible, hidden, enabled, disabled)";
        return false;
    }
    if (command.op == Op::Key && !OneOf(command.text, kKeys)) {
        error = "\"" + command.text + "\" is not a key (escape, enter)";
        return false;
    }
    BoxIcon icon;
    if (command.op == Op::ExpectIcon && !ParseBoxIcon(command.text.c_str(), icon)) {
        error = "\"" + command.text + "\" is not an icon (none, information, exclamation, stop, question)";
        return false;
    }
    return true;
}

} // namespace

bool ParseScript(const std::string& text, std::vector<ScriptCommand>& commands, std::string& error)
{
    size_t start = 0;
    for (int number = 1; start < text.size(); ++number) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        ScriptCommand command;
        command.line = number;
        bool empty = false;
        if (!ParseLine(line, command, empty, error)) {
            error = "line " + std::to_string(number) + ": " + error;
            return false;
        }
        if (!empty)
            commands.push_back(command);
    }
    return true;
}
