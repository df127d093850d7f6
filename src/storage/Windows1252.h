#pragma once

#include <string>
#include <string_view>

namespace tonarion {

// The index file is Windows-1252 text; inside, the program works with UTF-8.

// Every byte maps to one character; the five bytes Windows-1252 leaves undefined map to the
// control characters of the same number, as Windows itself does, so nothing read is lost.
std::string windows1252ToUtf8(std::string_view bytes);

// Whether bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool isValidUtf8(std::string_view bytes);

// Characters that Windows-1252 lacks, and malformed UTF-8, are written as "?".
std::string utf8ToWindows1252(std::string_view utf8);

} // namespace tonarion
