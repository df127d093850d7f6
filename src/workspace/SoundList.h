#pragma once

#include "model/SoundTable.h"

#include <string>
#include <vector>

namespace tonarion {

// The list an operator takes to the layout: which sound sits on which event, grouped by the
// kind of event and ordered by address, each entry in words as one would say it.

struct SoundListLine {
    int row = 0; // the table's row number (NR)
    SoundEntry entry;
    // "Magnetartikel 12, grün, Priorität 2, unterbrechbar – pfiff.mp3"
    std::string description;
};

struct SoundListGroup {
    std::string title; // the kind as the event dialog names it
    std::vector<SoundListLine> lines;
};

struct SoundList {
    std::vector<SoundListGroup> groups;

    int lineCount() const;
};

// The groups in the order of the event dialog's kinds; rows without an event come last.
// Within a group the entries go by their first number, then their second, then table order.
SoundList soundListOf(const SoundTable& table);

// The words for one entry, the sound's file name at the end.
std::string describeEntry(const SoundEntry& entry);

// The title of the group of entries that have no event.
inline constexpr const char* NoEventTitle = "Ohne Ereignis";

// The list for a spreadsheet, as German spreadsheet programs open it with a double click:
// UTF-8 with a byte-order mark (without one they take the text for the ANSI code page),
// fields separated by semicolons (the comma is the decimal sign), a header line of the nine
// table columns and the description. Lines end with CR LF, as Excel writes them itself and
// as RFC 4180 says; every reader takes those, while an older Excel would keep a lone LF
// inside the last field of a line.
std::string soundListCsv(const SoundList& list);

} // namespace tonarion
