#include "InstallList.h"

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

Kind ClassifyForSize(const std::string& line, std::string& name)
{
    if (line.empty() || line[0] == '*')
        return Kind::Skip;
    if (line.size() < 3)
        return Kind::Error;
    Kind kind;
    switch (std::toupper(static_cast<unsigned char>(line[0]))) {
    case 'D':
        kind = Kind::Directory;
        break;
    case 'F':
        kind = Kind::File;
        break;
    case 'X':
        kind = Kind::Tree;
        break;
    default:
        return Kind::Error;
    }
    if (line[1] != ' ' || line[2] == ' ')
        return Kind::Error;
    name = line.substr(2);
    if (kind == Kind::File) {
        std::string::size_type arrow = name.find(RenameSeparator);
        if (arrow != std::string::npos)
            name.erase(arrow);
    }
    return kind;
}

Kind ClassifyForCopy(const std::string& line, std::string& name)
{
    const std::string trimmed = text::Trim(line);
    if (trimmed.empty() || trimmed[0] == '*')
        return Kind::Skip;
    if (trimmed.size() < 3)
        return Kind::Other;
    name = trimmed.substr(2);
    switch (std::toupper(static_cast<unsigned char>(trimmed[0]))) {
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

}  // namespace installlist
