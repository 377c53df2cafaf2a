// Text rules that more than one program applies.
#pragma once

#include <string>

namespace text {

// White space as the C library's isspace knows it in the "C" locale: space,
// tab, CR, LF, vertical tab and form feed.
extern const char* const WhiteSpace;

// Text without leading and trailing white space.
std::string Trim(const std::string& text);

}  // namespace text
