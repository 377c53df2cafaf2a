#include "WinInit.h"

#include "Files.h"
#include "PathNames.h"
#include "Text.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace wininit {
namespace {

struct Line {
    std::string text;  // without its line end
    std::string end;   // "\r\n", "\r", "\n", or "" for a last line without one
};

// The lines of a text as Windows reads WININIT.INI: CR LF, CR alone and LF
// alone each end a line.
void AppendLines(const std::string& text, std::vector<Line>& lines)
{
    std::string::size_type start = 0;
    while (start < text.size()) {
        const std::string::size_type at = text.find_first_of("\r\n", start);
        if (at == std::string::npos) {
            lines.push_back({text.substr(start), ""});
            return;
        }
        const std::string::size_type length = text.compare(at, 2, "\r\n") == 0 ? 2 : 1;
        lines.push_back({text.substr(start, at - start), text.substr(at, length)});
        start = at + length;
    }
}

// A text as lines, in two parts: those before its first Ctrl-Z, the DOS end
// of file, where Windows 95 stops reading, and those from the Ctrl-Z on,
// which are kept but never take new entries.
struct Lines {
    std::vector<Line> lines;
    std::size_t readable = 0;  // lines before the Ctrl-Z
};

Lines SplitLines(const std::string& text)
{
    Lines split;
    const std::string::size_type eof = std::min(text.find('\x1A'), text.size());
    AppendLines(text.substr(0, eof), split.lines);
    split.readable = split.lines.size();
    AppendLines(text.substr(eof), split.lines);
    return split;
}

std::string Join(const std::vector<Line>& lines)
{
    std::string text;
    for (const Line& line : lines)
        text += line.text + line.end;
    return text;
}

using text::Trim;

// The section a line opens ("[Rename]" gives "Rename"), or false.
bool SectionHeader(const std::string& line, std::string& name)
{
    const std::string trimmed = Trim(line);
    if (trimmed.size() < 2 || trimmed.front() != '[')
        return false;
    std::string::size_type close = trimmed.find(']');
    if (close == std::string::npos)
        return false;
    name = Trim(trimmed.substr(1, close - 1));
    return true;
}

bool ReadText(const std::string& path, std::string& text, bool& exists)
{
    unsigned cause;
    text.clear();
    // An entry another program has just written through the profile
    // functions may still sit in Windows 95's cache.
    files::FlushProfileCache(path);
    std::FILE* file = files::Open(path, "rb", cause);
    exists = file != nullptr;
    if (!file)
        return cause == files::FileNotFound || cause == files::BadPath;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, n);
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

// The file holds other programs' pending entries: it is replaced only by a
// complete new text, never truncated and rewritten in place, so that a full
// disk or a locked file cannot lose them. A read-only file is left alone.
bool WriteText(const std::string& path, const std::string& text)
{
    if (files::IsReadOnly(path))
        return false;
    std::string temp;
    std::FILE* file = files::CreateTemporaryBeside(path, temp);
    if (!file)
        return false;
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    written = std::fclose(file) == 0 && written;
    if (written && files::PutInPlace(temp, path))
        return true;
    files::RemoveFile(temp);
    return false;
}

}  // namespace

std::string AppendEntry(const std::string& text, const std::string& section, const std::string& key,
                        const std::string& value)
{
    Lines split = SplitLines(text);
    std::vector<Line>& lines = split.lines;
    // After the last non-blank line of the section, before the Ctrl-Z.
    std::string name;
    bool inSection = false;
    std::size_t insertAt = split.readable;
    bool found = false;
    for (std::size_t i = 0; i < split.readable; i++) {
        if (SectionHeader(lines[i].text, name)) {
            if (inSection)
                break;
            inSection = paths::SameName(name, section);
            if (inSection) {
                found = true;
                insertAt = i + 1;
            }
            continue;
        }
        if (inSection && !Trim(lines[i].text).empty())
            insertAt = i + 1;
    }
    std::vector<Line> added;
    if (!found)
        added.push_back({"[" + section + "]", "\r\n"});
    added.push_back({key + "=" + value, "\r\n"});
    // Only the last line Windows 95 reads can lack its end.
    if (insertAt > 0 && lines[insertAt - 1].end.empty())
        lines[insertAt - 1].end = "\r\n";
    lines.insert(lines.begin() + static_cast<long>(insertAt), added.begin(), added.end());
    return Join(lines);
}

std::string RemoveEntry(const std::string& text, const std::string& section, const std::string& key,
                        const std::vector<std::string>& values)
{
    auto listed = [&values](const std::string& value) {
        for (const std::string& v : values)
            if (paths::SameName(value, v))
                return true;
        return false;
    };
    const std::vector<Line> lines = SplitLines(text).lines;
    std::vector<Line> kept;
    std::string name;
    bool inSection = false;
    for (const Line& line : lines) {
        if (SectionHeader(line.text, name)) {
            inSection = paths::SameName(name, section);
        } else if (inSection) {
            std::string::size_type equals = line.text.find('=');
            if (equals != std::string::npos && paths::SameName(Trim(line.text.substr(0, equals)), key) &&
                listed(Trim(line.text.substr(equals + 1))))
                continue;
        }
        kept.push_back(line);
    }
    return Join(kept);
}

std::string AppendEntries(std::string text, const std::string& section, const std::vector<Entry>& entries)
{
    for (const Entry& entry : entries)
        text = RemoveEntry(text, section, entry.key, {entry.value});
    for (const Entry& entry : entries)
        text = AppendEntry(text, section, entry.key, entry.value);
    return text;
}

bool AppendEntryToFile(const std::string& path, const std::string& section, const std::string& key,
                       const std::string& value)
{
    std::string text;
    bool exists;
    if (!ReadText(path, text, exists))
        return false;
    return WriteText(path, AppendEntry(text, section, key, value));
}

bool RemoveEntryFromFile(const std::string& path, const std::string& section, const std::string& key,
                         const std::vector<std::string>& values)
{
    std::string text;
    bool exists;
    if (!ReadText(path, text, exists))
        return false;
    if (!exists)
        return true;
    const std::string edited = RemoveEntry(text, section, key, values);
    return edited == text || WriteText(path, edited);
}

bool AppendEntriesToFile(const std::string& path, const std::string& section, const std::vector<Entry>& entries)
{
    std::string text;
    bool exists;
    if (!ReadText(path, text, exists))
        return false;
    return WriteText(path, AppendEntries(text, section, entries));
}

}  // namespace wininit
