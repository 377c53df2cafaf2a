#include "InstallList.h"

#include "PathNames.h"
#include "Text.h"

#include <cctype>

namespace installlist {

bool ReadLine(std::FILE* file, std::string& line)
{
    line.clear();
    int c;
    while ((c = std::getc(file)) != EOF) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return true;
        }
        line.push_back(static_cast<char>(c));
    }
    return !line.empty() && !std::ferror(file);
}

namespace {

// D, F or X by the line's first character, else Other.
Kind KindOf(char letter)
{
    switch (std::toupper(static_cast<unsigned char>(letter))) {
    case 'D':
        return Kind::Directory;
    case 'F':
        return Kind::File;
    case 'X':
        return Kind::Tree;
    default:
        return Kind::Other;
    }
}

// The names of a line of that kind whose name begins at its third character;
// Error when one would leave its directory.
Kind SplitNames(Kind kind, const std::string& line, Names& names)
{
    names.source = line.substr(2);
    names.target = names.source;
    if (kind == Kind::File) {
        const std::string::size_type arrow = names.source.find(RenameSeparator);
        if (arrow != std::string::npos) {
            names.target = names.source.substr(arrow + std::char_traits<char>::length(RenameSeparator));
            names.source.erase(arrow);
        }
    }
    return paths::StaysBelow(names.source) && paths::StaysBelow(names.target) ? kind : Kind::Error;
}

}  // namespace

Kind ClassifyForSize(const std::string& line, Names& names)
{
    if (line.empty() || line[0] == '*')
        return Kind::Skip;
    if (line.size() < 3)
        return Kind::Error;
    const Kind kind = KindOf(line[0]);
    if (kind == Kind::Other || line[1] != ' ' || line[2] == ' ')
        return Kind::Error;
    return SplitNames(kind, line, names);
}

Kind ClassifyForCopy(const std::string& line, Names& names)
{
    const std::string trimmed = text::Trim(line);
    if (trimmed.empty() || trimmed[0] == '*')
        return Kind::Skip;
    if (trimmed.size() < 3)
        return Kind::Other;
    const Kind kind = KindOf(trimmed[0]);
    return kind == Kind::Other ? kind : SplitNames(kind, trimmed, names);
}

}  // namespace installlist
