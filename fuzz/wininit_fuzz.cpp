// Fuzz target for the edits of WININIT.INI: every input is the file as
// another program may have left it, and each edit the installation set makes
// goes over it:
//   the installer withdrawing the uninstaller's NUL entry (RemoveEntry),
//   the uninstaller appending its own (AppendEntry),
//   the shared-file step appending a delete and a move (AppendEntries),
//   and the withdrawal after the uninstaller's append.
//
// The invariants, checked with a reader of its own written here:
//   - Taking our own entries out of the output gives back the input with
//     our own entries taken out, byte for byte; the only other additions
//     allowed are a line end after the last line Windows 95 reads when it
//     had none, and a [Rename] header when Windows 95 reads none.
//   - A withdrawal leaves none of our entries; an append leaves exactly one
//     more where Windows 95 reads it: before the first Ctrl-Z, in a [Rename]
//     section, and changes nothing from the Ctrl-Z on. The pair stands once,
//     together, delete first, as the last entries of its section: an equal
//     entry is taken out wherever it was, also past a Ctrl-Z, where Wine
//     reads on.
//   - Withdrawing after appending gives what withdrawing alone gives, but
//     for the same two additions.
// Lines end at CR LF, CR or LF, as Windows reads the file.
#include "WinInit.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char* const Section = "Rename";
const std::string Uninstaller = "C:\\WINDOWS\\Dexal.EXE";
const std::string SharedFile = "C:\\WINDOWS\\SYSTEM\\A.DLL";
const std::string Waiting = "C:\\WINDOWS\\SYSTEM\\A~1.PRO";

[[noreturn]] void Fail(const std::string& what, const std::string& input)
{
    std::fprintf(stderr, "wininit_fuzz: %s\ninput (%zu bytes):", what.c_str(), input.size());
    for (unsigned char c : input)
        std::fprintf(stderr, " %02x", c);
    std::fprintf(stderr, "\n");
    std::abort();
}

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string Trimmed(const std::string& text)
{
    const char* const spaces = " \t\n\v\f\r";
    const std::string::size_type first = text.find_first_not_of(spaces);
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(spaces) + 1 - first);
}

struct Line {
    std::string bytes;  // with its end
    std::string text;   // without it
    bool readable;      // before the first Ctrl-Z
};

void Split(const std::string& text, bool readable, std::vector<Line>& lines)
{
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            end++;
        std::size_t next = end;
        if (next < text.size())
            next += text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n' ? 2 : 1;
        lines.push_back({text.substr(start, next - start), text.substr(start, end - start), readable});
        start = next;
    }
}

std::string::size_type EndOfFile(const std::string& text)
{
    const std::string::size_type eof = text.find('\x1A');
    return eof == std::string::npos ? text.size() : eof;
}

// The lines Windows 95 reads, then the ones from the first Ctrl-Z on.
std::vector<Line> Lines(const std::string& text)
{
    std::vector<Line> lines;
    const std::string::size_type eof = EndOfFile(text);
    Split(text.substr(0, eof), true, lines);
    Split(text.substr(eof), false, lines);
    return lines;
}

bool Header(const std::string& text, std::string& name)
{
    const std::string t = Trimmed(text);
    const std::string::size_type close = t.find(']');
    if (t.size() < 2 || t[0] != '[' || close == std::string::npos)
        return false;
    name = Upper(Trimmed(t.substr(1, close - 1)));
    return true;
}

struct Ours {
    std::string key, value;
};

// Calls visit(line, inRename, isOurs) for each line.
template <typename Visit>
void Read(const std::string& text, const std::vector<Ours>& ours, Visit visit)
{
    bool inRename = false;
    std::string name;
    for (const Line& line : Lines(text)) {
        bool mine = false;
        if (Header(line.text, name)) {
            inRename = name == Upper(Section);
        } else if (inRename) {
            const std::string::size_type equals = line.text.find('=');
            if (equals != std::string::npos) {
                const std::string key = Upper(Trimmed(line.text.substr(0, equals)));
                const std::string value = Upper(Trimmed(line.text.substr(equals + 1)));
                for (const Ours& o : ours)
                    mine = mine || (key == Upper(o.key) && value == Upper(o.value));
            }
        }
        visit(line, inRename, mine);
    }
}

std::string Strip(const std::string& text, const std::vector<Ours>& ours)
{
    std::string kept;
    Read(text, ours, [&kept](const Line& line, bool, bool mine) {
        if (!mine)
            kept += line.bytes;
    });
    return kept;
}

int CountReadable(const std::string& text, const std::vector<Ours>& ours)
{
    int count = 0;
    Read(text, ours, [&count](const Line& line, bool, bool mine) { count += line.readable && mine; });
    return count;
}

bool ReadsRename(const std::string& text)
{
    bool found = false;
    std::string name;
    for (const Line& line : Lines(text))
        found = found || (line.readable && Header(line.text, name) && name == Upper(Section));
    return found;
}

// The input with the additions an append may make: a line end after the
// last line Windows 95 reads, a [Rename] header after it.
std::vector<std::string> Allowed(const std::string& input)
{
    const std::string::size_type eof = EndOfFile(input);
    const std::string head = input.substr(0, eof), tail = input.substr(eof);
    std::vector<std::string> ends = {""};
    if (!head.empty() && head.back() != '\r' && head.back() != '\n')
        ends.push_back("\r\n");
    std::vector<std::string> headers = {""};
    if (!ReadsRename(input))
        headers.push_back(std::string("[") + Section + "]\r\n");
    std::vector<std::string> allowed;
    for (const std::string& end : ends)
        for (const std::string& header : headers)
            allowed.push_back(head + end + header + tail);
    return allowed;
}

bool MatchesAllowed(const std::string& stripped, const std::string& input, const std::vector<Ours>& ours)
{
    for (const std::string& candidate : Allowed(input))
        if (Strip(candidate, ours) == stripped)
            return true;
    return false;
}

void CheckAppend(const std::string& input, const std::string& output, const std::vector<Ours>& ours,
                 const char* what)
{
    if (!MatchesAllowed(Strip(output, ours), input, ours))
        Fail(std::string(what) + ": without our entries the output is not the input", input);
}

void CheckWithdrawal(const std::string& input)
{
    const std::vector<Ours> ours = {{"NUL", Uninstaller}};
    const std::string output = wininit::RemoveEntry(input, Section, "NUL", {Uninstaller});
    if (output != Strip(input, ours))
        Fail("the withdrawal took out more or less than our entries", input);
    if (CountReadable(output, ours) != 0)
        Fail("the withdrawal left an entry of ours", input);
}

void CheckUninstallerAppend(const std::string& input)
{
    const std::vector<Ours> ours = {{"NUL", Uninstaller}};
    const std::string output = wininit::AppendEntry(input, Section, "NUL", Uninstaller);
    CheckAppend(input, output, ours, "the uninstaller's append");
    if (output.substr(EndOfFile(output)) != input.substr(EndOfFile(input)))
        Fail("the uninstaller's append changed what follows the Ctrl-Z", input);
    if (CountReadable(output, ours) != CountReadable(input, ours) + 1)
        Fail("the uninstaller's entry is not where Windows 95 reads it", input);
    const std::string withdrawn = wininit::RemoveEntry(output, Section, "NUL", {Uninstaller});
    if (!MatchesAllowed(withdrawn, input, ours))
        Fail("withdrawing after appending did not give the input back", input);
}

void CheckSharedFileAppend(const std::string& input)
{
    const std::vector<Ours> ours = {{"NUL", SharedFile}, {SharedFile, Waiting}};
    const std::string output = wininit::AppendEntries(input, Section, {{"NUL", SharedFile}, {SharedFile, Waiting}});
    CheckAppend(input, output, ours, "the shared-file step's append");
    // Read as Windows 95 reads it: the pair, delete first, ends its section.
    std::vector<std::string> texts;
    std::vector<bool> mine, inRename;
    Read(output, ours, [&](const Line& line, bool rename, bool isMine) {
        if (line.readable) {
            texts.push_back(line.text);
            mine.push_back(isMine);
            inRename.push_back(rename);
        }
    });
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i < texts.size(); i++)
        if (mine[i])
            at.push_back(i);
    if (at.size() != 2 || at[1] != at[0] + 1 || texts[at[0]] != "NUL=" + SharedFile ||
        texts[at[1]] != SharedFile + "=" + Waiting || !inRename[at[0]])
        Fail("the pair does not stand once, together, in order, in [Rename]", input);
    std::string name;
    for (std::size_t i = at[1] + 1; i < texts.size() && !Header(texts[i], name); i++)
        if (!Trimmed(texts[i]).empty())
            Fail("a line follows the pair in its section", input);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    CheckWithdrawal(input);
    CheckUninstallerAppend(input);
    CheckSharedFileAppend(input);
    return 0;
}
