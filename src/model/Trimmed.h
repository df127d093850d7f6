#pragma once

#include <string>
#include <string_view>

namespace tonarion {

// A text without the blanks around it: some captions of the code tables carry blanks, and
// users type blanks around the numbers in a box.
inline std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

} // namespace tonarion
