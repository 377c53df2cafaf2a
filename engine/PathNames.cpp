#include "PathNames.h"

#include <cctype>
#include <vector>

namespace paths {
namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

bool SameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && Upper(a) == Upper(b);
}

bool FullPath(const std::string& text, std::string& full)
{
    if (text.size() < 3 || !std::isalpha(static_cast<unsigned char>(text[0])) || text[1] != ':' ||
        !IsSeparator(text[2]))
        return false;
    std::vector<std::string> parts;
    std::string::size_type i = 3;
    while (i <= text.size()) {
        std::string::size_type end = i;
        while (end < text.size() && !IsSeparator(text[end]))
            end++;
        std::string part = text.substr(i, end - i);
        i = end + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        const std::string::size_type last = part.find_last_not_of(". ");
        if (last == std::string::npos)
            return false;
        part.erase(last + 1);
        // A drive, a stream or a wildcard inside a component names no plain directory.
        if (part.find_first_of(":*?\"<>|") != std::string::npos)
            return false;
        parts.push_back(Upper(part));
    }
    full = std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])))) + ":";
    for (const std::string& part : parts)
        full += "\\" + part;
    return true;
}

bool SameDirectory(const std::string& a, const std::string& b)
{
    std::string fullA, fullB;
    return FullPath(a, fullA) && FullPath(b, fullB) && fullA == fullB;
}

std::string WithBackslash(std::string dir)
{
    if (dir.empty() || dir.back() != '\\')
        dir += '\\';
    return dir;
}

}  // namespace paths
