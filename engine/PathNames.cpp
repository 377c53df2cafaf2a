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

enum class Part { Same, Up, Name, Bad };

// One component as Windows reads it: empty (doubled separators) and "." name
// the same directory, ".." the one above; any other component loses its
// trailing dots and spaces, and is no plain name when nothing is left or it
// holds a drive, stream or wildcard character.
Part ReadComponent(std::string& part)
{
    if (part.empty() || part == ".")
        return Part::Same;
    if (part == "..")
        return Part::Up;
    const std::string::size_type last = part.find_last_not_of(". ");
    if (last == std::string::npos)
        return Part::Bad;
    part.erase(last + 1);
    return part.find_first_of(":*?\"<>|") == std::string::npos ? Part::Name : Part::Bad;
}

// Calls take(component) for each component between separators, the empty
// ones included, until it answers false; false then.
template <typename Take>
bool ForEachComponent(const std::string& text, std::string::size_type from, Take take)
{
    while (from <= text.size()) {
        std::string::size_type end = from;
        while (end < text.size() && !IsSeparator(text[end]))
            end++;
        if (!take(text.substr(from, end - from)))
            return false;
        from = end + 1;
    }
    return true;
}

bool HasControlCharacter(const std::string& text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20)
            return true;
    return false;
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
    const bool ok = ForEachComponent(text, 3, [&parts](std::string part) {
        switch (ReadComponent(part)) {
        case Part::Same:
            break;
        case Part::Up:
            if (!parts.empty())
                parts.pop_back();
            break;
        case Part::Name:
            parts.push_back(Upper(part));
            break;
        case Part::Bad:
            return false;
        }
        return true;
    });
    if (!ok)
        return false;
    full = std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])))) + ":";
    for (const std::string& part : parts)
        full += "\\" + part;
    return true;
}

bool StaysBelow(const std::string& relative)
{
    if (relative.empty() || IsSeparator(relative[0]) || HasControlCharacter(relative))
        return false;
    int depth = 0;
    const bool ok = ForEachComponent(relative, 0, [&depth](std::string part) {
        switch (ReadComponent(part)) {
        case Part::Same:
            return true;
        case Part::Up:
            return depth-- > 0;
        case Part::Name:
            depth++;
            return !IsDeviceName(part);
        case Part::Bad:
            break;
        }
        return false;
    });
    return ok && depth > 0;
}

bool IsDeviceName(const std::string& component)
{
    static const char* const Devices[] = {"CON", "PRN", "AUX", "NUL", "CLOCK$", "CONFIG$", "CONIN$", "CONOUT$"};
    // The part before the first dot, without the spaces around it.
    std::string base = component.substr(0, component.find('.'));
    const std::string::size_type first = base.find_first_not_of(' ');
    if (first == std::string::npos)
        return false;
    base = Upper(base.substr(first, base.find_last_not_of(' ') + 1 - first));
    for (const char* device : Devices)
        if (base == device)
            return true;
    // COM and LPT with a digit, or with a superscript one, two or three in
    // code page 1252 (0xB9, 0xB2, 0xB3).
    const std::string digits = "0123456789\xB9\xB2\xB3";
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           digits.find(base[3]) != std::string::npos;
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
