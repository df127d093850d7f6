#pragma once

#include <array>
#include <string>

namespace tonarion {

// The nine columns of the sound table, in grid order.
enum class Column { Nr, Filename, Pfad, Ereignis, Status, Modus, Prio, Adr1, Adr2, Count };

inline constexpr int ColumnCount = static_cast<int>(Column::Count);

// One row of the sound table. The row number (column NR) is not stored: it is always the
// row's position, so the table never needs renumbering by hand.
struct SoundEntry {
    std::string entryName{};  // Filename: the 19-character EntryName, empty while unbound
    std::string sourcePath{}; // Pfad: where the sound came from
    std::string eventText{};  // Ereigniss
    std::string statusText{}; // Status
    std::string modeText{};   // Modus
    std::string prioText{};   // Priorität /Ausblendzeit
    std::string address1{};   // Adresse 1. /von
    std::string address2{};   // Adresse 2. /bis
    // Not a cell: set when the sound is neither at its source nor on the stick, so the
    // table can show the user which row needs a new file.
    bool soundNotFound = false;

    bool isBound() const { return !entryName.empty(); }
    bool operator==(const SoundEntry&) const = default;
};

// The header texts exactly as the grid's format string gives them, blanks included.
inline constexpr std::array<const char*, ColumnCount> ColumnHeaders = {
    " NR ",
    " Filename  ",
    "  Pfad ",
    " Ereigniss  ",
    "  Status  ",
    " Modus ",
    " Priorität /Ausblendzeit ",
    " Adresse 1. /von ",
    " Adresse 2. /bis",
};

// The text of one cell of an entry; the NR column is the caller's row number.
const std::string& cellText(const SoundEntry& entry, Column column);
std::string& cellText(SoundEntry& entry, Column column);

} // namespace tonarion
