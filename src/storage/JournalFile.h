#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tonarion {

// The sound module plays every file under a sound's name, whatever the index file says. So
// before the program renames, copies into place or deletes anything on the stick, it writes
// down there what it is about to do; whoever opens the stick next finishes that work, however
// the program ended. The journal is no sound's name, so the module ignores it.
inline constexpr const char* JournalName = "tonkat.jnl";
// A new version of the journal is written under this name and then takes the journal's place,
// so that the stick always holds one complete journal once it holds one at all.
inline constexpr const char* JournalTempName = "tonkat.jnl.tmp";

// A stick file that takes another name. A copy leaves the file where it is, for another row
// that still needs it there.
struct StickMove {
    std::string from;
    std::string to;
    bool copy = false;
    bool operator==(const StickMove&) const = default;
};

// A sound copied from the computer under a name that held no file: until it has all its
// bytes, an interruption leaves part of it there.
struct NewStickFile {
    std::string name;
    std::uintmax_t size = 0;
    bool operator==(const NewStickFile&) const = default;
};

// What tells one index file from another: its size and a CRC-32 of its bytes.
struct IndexStamp {
    std::uintmax_t size = 0;
    std::uint32_t checksum = 0;
    bool operator==(const IndexStamp&) const = default;
};
IndexStamp stampOf(std::string_view bytes);

struct StickChange {
    std::vector<NewStickFile> newFiles;
    std::vector<StickMove> moves;
    // Names that go once the planned index file is in place.
    std::vector<std::string> deletions;
    // The index file the change was planned from, and the one it heads for: a journal is
    // carried out only on the stick whose index file is one of them, never on another stick
    // that a user copied it to. The planned bytes wait under IndexTempName, written before
    // the journal, so that the journal stays small. A missing index file counts as empty.
    IndexStamp startIndex;
    IndexStamp plannedIndex;
    // Set once every moving file waits under its parking name: from then on a file under a
    // move's old name is one that already arrived there.
    bool movesParked = false;
    // Where files stand that earlier runs moved under an index file that never took effect:
    // the name the start index file gives each, and the name it has now. A run that replaces
    // such a journal keeps them, or its start index file would name files that have moved.
    std::vector<StickMove> movedBefore;
    bool operator==(const StickChange&) const = default;
};

// The journal's bytes: a line per fact, its words separated by tabs, ended by a line that says
// it was written to its end.
std::string composeJournal(const StickChange& change);
// A journal written to its end, or nothing: a journal cut short was written before the change
// began, so there is nothing to finish. The bytes come from the stick: every name in a
// journal that is read is a plain file name, never a path.
std::optional<StickChange> parseJournal(std::string_view bytes);

} // namespace tonarion
