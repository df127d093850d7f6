#pragma once

#include "model/KindCounters.h"
#include "model/SoundEntry.h"
#include "model/UserInterface.h"

#include <string>
#include <string_view>

namespace tonarion {

// Turns an entry of the index file into a row of the table: the letters of its EntryName are
// decoded into the display texts, the numbers are shown as they stand, and the entry is
// counted into its group. A group over its limit is reported; the row is loaded all the same.
SoundEntry loadEntry(std::string_view entryName, std::string sourcePath, KindCounters& counters,
                     UserInterface& ui);

} // namespace tonarion
