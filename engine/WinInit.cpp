#include "WinInit.h"

#include "Files.h"
#include "PathNames.h"
#include "Text.h"

#include <cstdio>
#include <vector>

namespace wininit {
namespace {

struct Line {
    std::string text;  // without its line end
    std::string end;   // "\r\n", "\n" or "" for a last line without one
};

std::vector<Line> SplitLines(const std::string& text)
{
    std::vector<Line> lines;
    std::string::size_type start = 0;
    while (start < text.size()) {
        std::string::size_type lf = text.find('\n', start);
        if (lf == std::string::npos) {
            lines.push_back({text.substr(start), ""});
            break;
        }
        std::string::size_type end = lf > start && text[lf - 1] == '\r' ? lf - 1 : lf;
        lines.push_back({text.substr(start, end - start), text.substr(end, lf + 1 - end)});
        start = lf + 1;
    }
    return lines;
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
    std::vector<Line> lines = SplitLines(text);
    if (!lines.empty() && lines.back().end.empty())
        lines.back().end = "\r\n";
    const Line entry = {key + "=" + value, "\r\n"};
    // After the last non-blank line of the section.
    std::string name;
    bool inSection = false;
    std::size_t insertAt = lines.size();
    bool found = false;
    for (std::size_t i = 0; i < lines.size(); i++) {
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
    if (!found) {
        lines.push_back({"[" + section + "]", "\r\n"});
        lines.push_back(entry);
    } else {
        lines.insert(lines.begin() + static_cast<long>(insertAt), entry);
    }
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
    std::vector<Line> lines = SplitLines(text);
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
    for (const Entry& entry : entries)
        text = RemoveEntry(text, section, entry.key, {entry.value});
    for (const Entry& entry : entries)
        text = AppendEntry(text, section, entry.key, entry.value);
    return WriteText(path, text);
}

}  // namespace wininit
