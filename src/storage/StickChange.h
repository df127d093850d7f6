#pragma once

#include "storage/IndexFile.h"
#include "storage/JournalFile.h"
#include "storage/StickFiles.h"

#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace tonarion {

// A stick file that moves waits under its name and this until every name it may take is free.
inline constexpr const char* MoveSuffix = ".tonarion-mv";

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
    // Sounds written after moveFiles under a name a file moved away from would look, to a run
    // resumed after an interruption, like that file still waiting to move. Their run moves
    // every file by its parking name, which the journal notes: from then on a file under an
    // old name is one that arrived there.
    void parkEveryMove() { m_parkEveryMove = true; }
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

    FileResult writeJournal();
    FileResult putIndexInPlace(const std::string& indexName, const std::string& indexBytes);

    StickFiles& m_stick;
    StickChange m_change;
    std::string m_plannedIndex;
    bool m_announced;
    bool m_resumedAfterParking;
    bool m_inOrder = false;
    bool m_parkEveryMove = false;
    std::vector<bool> m_arrived;
};

// Finishes the change an interrupted run left on the stick, if any: the moves are completed,
// the planned index file is put in place and the deletions made. True when there was one,
// or one that seems not begun; the next commit then copies what only the computer still
// holds. A journal of another index file is left as it is, for the stick check to report.
bool finishInterruptedChange(StickFiles& stick, const std::string& indexName);

} // namespace tonarion
