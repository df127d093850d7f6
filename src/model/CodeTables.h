#pragma once

#include <string>
#include <string_view>

namespace tonarion {

// Decoders that turn the code letters of a loaded EntryName into the texts of the grid.
// They compare case-sensitively and look at each letter on its own, whatever the kind.

// Event text of a kind letter ("ZIDAS-Empfänger" with a hyphen for L), empty for any other.
std::string EreignisText(std::string_view letter);

// Status text of a status letter, "_" for any letter that has none.
std::string StatusText(std::string_view letter);

// Mode text of a mode letter, "_" for any other.
std::string ModusText(std::string_view letter);

} // namespace tonarion
