#include "Text.h"

namespace text {

const char* const WhiteSpace = " \t\r\n\v\f";

std::string Trim(const std::string& text)
{
    const std::string::size_type first = text.find_first_not_of(WhiteSpace);
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(WhiteSpace) - first + 1);
}

}  // namespace text
