#pragma once

#include "model/KindCounters.h"
#include "model/SoundEntry.h"
#include "model/UserInterface.h"

#include <array>
#include <string>
#include <string_view>

namespace tonarion {

// The capacity messages of one load. A damaged index file can hold hundreds of surplus lines
// of one group; the user learns once per group that it is full instead of clicking away a
// box for every line.
class LoadReport {
public:
    explicit LoadReport(UserInterface& ui)
        : m_ui(ui) {}

    void groupOverflowed(KindGroup group);

private:
    UserInterface& m_ui;
    std::array<bool, KindGroupCount> m_reported{};
};

// The row an EntryName makes, its texts decoded from the name's letters as loading shows them.
SoundEntry decodedEntry(std::string_view entryName, std::string sourcePath);

// Turns an entry of the index file into a row of the table: the letters of its EntryName are
// decoded into the display texts, the numbers are shown as they stand, and the entry is
// counted into its group. A group over its limit is reported; the row is loaded all the same.
SoundEntry loadEntry(std::string_view entryName, std::string sourcePath, KindCounters& counters,
                     LoadReport& report);

} // namespace tonarion
