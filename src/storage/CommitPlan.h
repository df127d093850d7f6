#pragma once

#include "model/SoundEntry.h"
#include "model/SoundTable.h"
#include "storage/FileOperations.h"
#include "storage/JournalFile.h"
#include "storage/Session.h"
#include "storage/StickFiles.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tonarion {

// A stick file that takes the name of a row's entry; row 0 for a pending rename of a row whose
// source stays on the computer.
struct PlannedMove {
    int row;
    StickMove move;
};

// A row whose sound comes from the computer, with both files as they stood when planned: one
// look at each per commit. A sound made in memory is written whatever the stick holds.
struct PlannedCopy {
    int row;
    std::optional<FileStatus> source;
    std::optional<FileStatus> copy;
    const std::string* prepared = nullptr;
    bool isNeeded() const;
};

// The copy a row's sound needs, looked at now: from its source, or the bytes the session made.
PlannedCopy planCopy(const Session& session, FileOperations& files, StickFiles& stick, int row,
                     const SoundEntry& entry);

// What a commit is to do, worked out from the session and the stick without changing either,
// so that the space a commit needs is known before it starts.
struct CommitPlan {
    // The table's rows as the commit takes them: the stick's own sounds taken back, and a row
    // whose stick file is gone marked as lacking its sound or naming what stands under its
    // new name.
    std::vector<SoundEntry> rows;
    std::vector<PlannedCopy> copies;
    std::vector<PlannedMove> moves;
    // What an earlier, failed run was to delete, and the files it parked for a name nobody
    // wants any more.
    std::vector<std::string> parkedToDelete;
    // Pending renames whose file is gone: nothing is left to move.
    std::vector<std::string> renamesGone;
};

// Plans a commit from the session as it stands: it only looks at the stick (the lookups go
// into the stick's cache, if it has one) and changes nothing else, so that the check can size
// a commit it does not make, and a commit is planned once before it writes.
class CommitPlanner {
public:
    CommitPlanner(const Session& session, FileOperations& files, StickFiles& stick)
        : m_session(session)
        , m_files(files)
        , m_stick(stick) {}

    CommitPlan plan();

private:
    void takeBackOwnSounds();
    void takeOverParkedFiles(std::vector<PlannedMove>& moves);
    bool isNeededInPlace(const std::string& name, int exceptRow,
                         const std::vector<PlannedMove>& moves);
    SoundEntry& row(int row) { return m_plan.rows[static_cast<std::size_t>(row - 1)]; }

    const Session& m_session;
    FileOperations& m_files;
    StickFiles& m_stick;
    CommitPlan m_plan;
};

// Only a stick that can be read as a whole lacks a file: a pulled one lacks nothing, so that
// a pulled stick never makes a row look as if its sound were gone.
bool stickLacks(FileOperations& files, const std::string& root, const std::string& name);

// What the planned copies write beside what the stick holds, in whole allocation units.
std::uintmax_t bytesNeeded(const std::vector<PlannedCopy>& copies,
                           const std::vector<PlannedMove>& moves, const SoundTable& table,
                           StickFiles& stick, std::uintmax_t unit);

} // namespace tonarion
