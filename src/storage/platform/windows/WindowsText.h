#pragma once

#ifdef _WIN32

#include <string>
#include <string_view>

namespace tonarion {

// Inside the program every text is UTF-8; the wide-character calls of Windows take UTF-16.
// Converting at that boundary lets a folder named in Polish or Greek work, which the ANSI
// calls would turn into question marks. Malformed input becomes U+FFFD, so that it names no
// file rather than a wrong one. NUL characters pass through.
std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view wide);

} // namespace tonarion

#endif
