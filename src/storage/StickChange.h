#pragma once

#include "storage/IndexFile.h"
#include "storage/StickFiles.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
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
// A stick file that moves waits under its name and this until every name it may take is free.
inline constexpr const char* MoveSuffix = ".tonarion-mv";

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
    bool operator==(const StickChange&) const = default;
};

std::string composeJournal(const StickChange& change);
// A journal written to its end, or nothing: a journal cut short was written before the change
// began, so there is nothing to finish.
std::optional<StickChange> parseJournal(std::string_view bytes);

// Whether a name is one the program leaves only while it works: a copy or a move not yet in
// place, or the journal.
bool isWorkingFileName(std::string_view name);

// How the journal on a stick stands to the index file there.
enum class JournalState {
    None,     // there is no journal
    CutShort, // written only in part: nothing had begun
    NotBegun, // complete, but the planned index file is not: the first flush never came
    Waiting,  // the planned index file waits under its temporary name
    InEffect, // the planned index file took effect; deletions may be left
    Foreign,  // neither index file it names is the stick's: it is never carried out
};
JournalState journalStateOf(StickFiles& stick, const std::string& indexName);

// Carries out a change in the order that keeps it finishable: journal, parking, the moves,
// and at the end the index file and the deletions. A stick that loses power keeps unflushed
// writes in any order, so the journal and the planned index file are flushed before the
// first name changes, the parked state before any file leaves its parking name, and
// everything before the index file takes effect.
class StickChangeRun {
public:
    // announced: the journal and the planned index file are on the stick already, as when an
    // interrupted run is resumed.
    StickChangeRun(StickFiles& stick, StickChange change, std::string plannedIndex,
                   bool announced = false);

    // Writes the planned index file under its temporary name, then the journal, naming the
    // index file indexName as it stands, and flushes both. Nothing may change on the stick
    // before this succeeded.
    FileResult announce(const std::string& indexName = IndexFileName);
    // Makes the copies and gives every moving file its new name. Each failure names the file
    // that did not get its name.
    std::vector<FileResult> moveFiles();
    // Whether every rename has arrived, after moveFiles.
    bool renamesDone();
    // Whether the i-th move reached its new name in moveFiles.
    bool arrived(std::size_t i) const { return i < m_arrived.size() && m_arrived[i]; }
    // Puts the index file in place, deletes what has to go and then the journal; a journal
    // that cannot go is a failure too. Nothing for indexBytes: the index file took effect
    // before an interruption.
    std::vector<FileResult> finish(const std::string& indexName,
                                   const std::optional<std::string>& indexBytes);

    const StickChange& change() const { return m_change; }

private:
    std::vector<FileResult> moveInOrder(const std::vector<std::vector<std::size_t>>& chains);
    std::vector<FileResult> moveOverParkingNames();
    bool isListed(const std::string& name, const IndexContent& content) const;

    FileResult writeJournal();
    FileResult putIndexInPlace(const std::string& indexName, const std::string& indexBytes);

    StickFiles& m_stick;
    StickChange m_change;
    std::string m_plannedIndex;
    bool m_announced;
    bool m_resumedAfterParking;
    bool m_inOrder = false;
    std::vector<bool> m_arrived;
};

// Finishes the change an interrupted run left on the stick, if any: the moves are completed,
// the planned index file is put in place and the deletions made. True when there was one;
// the next commit then copies what only the computer still holds. A journal of another
// index file is left as it is, for the stick check to report.
bool finishInterruptedChange(StickFiles& stick, const std::string& indexName);

} // namespace tonarion
