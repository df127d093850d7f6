#pragma once

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>

namespace tonarion {

// Whether the text is one or more decimal digits and nothing else: no sign, no blank.
inline bool isDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The number the whole text writes, in base; nothing for an empty text, any character that
// does not belong to the number, or a value the type cannot hold. Names, index lines and
// command lines all need the whole text to be the number, never just its start.
template <typename Number = int>
std::optional<Number> wholeNumber(std::string_view text, int base = 10) {
    Number value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

} // namespace tonarion
