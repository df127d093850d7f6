#include "storage/CommitToStick.h"

#include "model/EntryName.h"
#include "model/ShortList.h"
#include "model/SoundTable.h"
#include "model/WaitIndicator.h"
#include "storage/CommitPlan.h"
#include "storage/IndexFile.h"
#include "storage/StickChange.h"
#include "storage/StickFiles.h"
#include "storage/WriteAndReplace.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace tonarion {
namespace {

constexpr std::size_t MaxListedFailures = 10;

class CommitRun {
public:
    CommitRun(Session& session, FileOperations& files, UserInterface& ui)
        : m_session(session)
        , m_files(files)
        , m_ui(ui)
        , m_stick(files, session.stick().root(), session.stick().identity(),
                  &session.stick().fileCache()) {}

    CommitResult run();

private:
    // Everything the commit writes, under the wait window; the failures it meets are kept.
    void writeToStick();
    std::vector<PlannedCopy> planMoves();
    bool isMoveTarget(const std::string& name) const;
    bool isWrittenWhereAFileLeaves(int row);
    bool fitsOnStick(const std::vector<PlannedCopy>& copies);
    void makeRoomToWrite(const StickChange& change, const std::string& plannedIndex,
                         const std::vector<PlannedCopy>& copies);
    std::uintmax_t bytesNeeded(const std::vector<PlannedCopy>& copies, std::uintmax_t unit) {
        return tonarion::bytesNeeded(copies, m_moves, m_session.table(), m_stick, unit);
    }
    bool createsNames(const std::vector<PlannedCopy>& copies) const;
    StickChange plannedChange(const std::vector<PlannedCopy>& copies) const;
    std::vector<std::string> namesToDelete() const;
    std::vector<SoundEntry> rowsAfterMoves(const std::function<bool(std::size_t)>& arrived) const;
    void copyWhenChanged(const PlannedCopy& planned, bool announced);
    void writePrepared(const PlannedCopy& planned, bool announced);
    void takePreparedIntoRows();
    void takeMovesIntoRows(const StickChangeRun& change);
    void markNotFound(int row, bool notFound) { m_session.table().setSoundNotFound(row, notFound); }
    bool stickLacks(const std::string& name) {
        return tonarion::stickLacks(m_files, m_session.stick().root(), name);
    }
    bool acceptsNewFiles();
    std::string indexFileBytes(const std::vector<SoundEntry>& rows) const;
    void writeSettingFiles();
    void fail(FileResult failure) { m_failures.push_back(std::move(failure)); }
    void fail(const std::string& name, std::error_code error) {
        m_failures.emplace_back(name, error);
    }
    void failAll(const std::vector<FileResult>& failures) {
        m_failures.insert(m_failures.end(), failures.begin(), failures.end());
    }
    void undoCopies();
    void checkEverythingArrived();
    void reportFailures();
    bool reportSoundsNotFound();
    bool reportUnreadableSources();
    // In thousandths of a sound, so that the bar moves within a large file too.
    void reportProgress() { m_ui.reportProgress(++m_done * PerSound, m_total * PerSound); }
    void reportProgressWithin(std::uintmax_t copied, std::uintmax_t size) {
        const int part = size == 0 ? 0 : static_cast<int>(copied * PerSound / size);
        if (part != m_lastPart) {
            m_lastPart = part;
            m_ui.reportProgress(m_done * PerSound + part, m_total * PerSound);
        }
    }
    static constexpr int PerSound = 1000;

    Session& m_session;
    FileOperations& m_files;
    UserInterface& m_ui;
    StickFiles m_stick;
    std::vector<PlannedMove> m_moves;
    std::vector<std::string> m_parkedToDelete;
    // Names this run gave a sound that the stick did not hold before.
    std::vector<std::string> m_created;
    // Rows whose sound this run wrote from memory.
    std::vector<int> m_writtenPrepared;
    std::vector<FileResult> m_failures;
    // Rows whose changed source could not be read, with what reading it met.
    std::vector<std::pair<int, FileResult>> m_unreadable;
    int m_done = 0;
    int m_total = 0;
    int m_lastPart = -1; // of the sound being copied, in thousandths
};

CommitResult CommitRun::run() {
    writeToStick();
    if (!m_failures.empty()) {
        // Whatever the stick refused, it may hold anything now: the next run looks again.
        m_session.stick().fileCache().clear();
        reportFailures();
        return CommitResult::Failed;
    }
    m_session.settings().StoredSettings = m_session.settings().CurrentSettings;
    takePreparedIntoRows();
    m_session.committed();
    const bool unreadable = reportUnreadableSources();
    return reportSoundsNotFound() || unreadable ? CommitResult::SoundsNotFound
                                                : CommitResult::Written;
}

void CommitRun::writeToStick() {
    const WaitIndicator waiting(m_ui);
    // Before anything changes, the journal says where the stick is going, so that whoever
    // opens it next can finish the way if this run is cut short. Sounds from the computer
    // come first; a failure there takes them back and leaves the stick as it was. Then the
    // stick files move, and last the index file goes in place and stale files go.
    const std::vector<PlannedCopy> copies = planMoves();
    std::vector<int> waitingCopies;
    m_total = static_cast<int>(copies.size() + m_moves.size());
    if (fitsOnStick(copies)) {
        const std::string plannedIndex =
            indexFileBytes(rowsAfterMoves([](std::size_t) { return true; }));
        StickChangeRun change(m_stick, plannedChange(copies), plannedIndex);
        makeRoomToWrite(change.change(), plannedIndex, copies);
        // A change that only rewrites the index file and then deletes leaves nothing to
        // finish: a file the index no longer lists is taken back as a row at the next start,
        // as before the change. Everything else is announced first, a sound copied over
        // another one too: cut short, the old index file would list the new sound under the
        // old one's source, and no later commit would notice. So is every change after a run
        // that left its journal: the next start must not finish that older plan.
        const bool replacesSounds =
            std::any_of(copies.begin(), copies.end(), [](const PlannedCopy& planned) {
                return planned.copy && planned.isNeeded();
            });
        const bool needsJournal = createsNames(copies) || replacesSounds ||
                                  !change.change().moves.empty() || m_stick.exists(JournalName);
        if (needsJournal) {
            if (const auto announced = change.announce(m_session.stick().indexFileName());
                announced.failed()) {
                fail(announced.namedAs(JournalName));
            }
        }
        for (const auto& planned : copies) {
            if (!m_failures.empty()) {
                break;
            }
            if (isMoveTarget(m_session.table().row(planned.row).entryName)) {
                waitingCopies.push_back(planned.row);
                continue;
            }
            copyWhenChanged(planned, needsJournal);
            reportProgress();
        }
        if (!m_failures.empty()) {
            undoCopies();
        } else {
            const bool refillsFreedName =
                std::any_of(waitingCopies.begin(), waitingCopies.end(),
                            [&](int row) { return isWrittenWhereAFileLeaves(row); });
            if (refillsFreedName) {
                change.parkEveryMove();
            }
            failAll(change.moveFiles());
            takeMovesIntoRows(change);
            // The moves changed the files these copies go to: they are looked at anew.
            for (const int row : waitingCopies) {
                copyWhenChanged(
                    planCopy(m_session, m_files, m_stick, row, m_session.table().row(row)), false);
                reportProgress();
            }
            writeSettingFiles();
            failAll(change.finish(m_session.stick().indexFileName(),
                                  indexFileBytes(m_session.table().entries())));
            checkEverythingArrived();
        }
    }
}

// Which rows' sounds come from the computer, and which stick files take another name; the
// session takes the rows as the plan has them.
std::vector<PlannedCopy> CommitRun::planMoves() {
    CommitPlan plan = CommitPlanner(m_session, m_files, m_stick).plan();
    for (int row = 1; row < m_session.table().nextRow(); ++row) {
        const SoundEntry& planned = plan.rows[static_cast<std::size_t>(row - 1)];
        if (!(planned == m_session.table().row(row))) {
            m_session.table().replaceRow(row, planned);
        }
    }
    for (const std::string& from : plan.renamesGone) {
        m_session.forgetRenameFrom(from);
    }
    m_moves = std::move(plan.moves);
    m_parkedToDelete = std::move(plan.parkedToDelete);
    return std::move(plan.copies);
}

// Whether the row's sound is to be written, after the moves, under a name a file moves away
// from: a sound made in memory always is, a copy from the computer unless the file that moves
// to that name is the same version. Parking costs a journal rewrite, which a full stick may
// refuse, so the moves stay in order when nothing is written there.
bool CommitRun::isWrittenWhereAFileLeaves(int row) {
    const SoundEntry& entry = m_session.table().row(row);
    const auto moves = [&](auto StickMove::*end) {
        return std::find_if(m_moves.begin(), m_moves.end(), [&](const PlannedMove& planned) {
            return !planned.move.copy && sameFileName(planned.move.*end, entry.entryName);
        });
    };
    if (moves(&StickMove::from) == m_moves.end()) {
        return false;
    }
    if (m_session.preparedSoundOf(entry.sourcePath)) {
        return true;
    }
    const auto source = m_files.status(entry.sourcePath);
    const auto arriving = moves(&StickMove::to);
    const auto file =
        arriving == m_moves.end() ? std::nullopt : m_stick.status(arriving->move.from).optional();
    return source && !(file && isSameFileVersion(*source, *file));
}

bool CommitRun::isMoveTarget(const std::string& name) const {
    return std::any_of(m_moves.begin(), m_moves.end(), [&](const PlannedMove& planned) {
        return sameFileName(planned.move.to, name) || sameFileName(planned.move.from, name);
    });
}

// A stick too full for the sounds to copy is refused before anything is written, so that the
// user can make room and nothing is left half done.
bool CommitRun::fitsOnStick(const std::vector<PlannedCopy>& copies) {
    const auto space = m_files.freeSpace(m_session.stick().root())
                           .value_or(FreeSpace{std::numeric_limits<std::uintmax_t>::max(), 1});
    if (bytesNeeded(copies, space.unit) <= space.bytes) {
        return true;
    }
    fail("", std::make_error_code(std::errc::no_space_on_device));
    return false;
}

// Every commit writes its index file beside the old one, and a journal, before anything
// goes. On a stick too full for them, the files that go are deleted first, so that a change
// that frees room is never refused for want of it. Cut short after that, the old index file
// lists sounds the user had deleted: they show as missing, or come back from the computer.
void CommitRun::makeRoomToWrite(const StickChange& change, const std::string& plannedIndex,
                                const std::vector<PlannedCopy>& copies) {
    const auto space = m_files.freeSpace(m_session.stick().root());
    if (!space || change.deletions.empty()) {
        return;
    }
    const std::uintmax_t unit = std::max<std::uintmax_t>(space->unit, 1);
    const std::uintmax_t bookkeeping =
        2 * ((plannedIndex.size() + unit - 1) / unit * unit) + bytesNeeded(copies, unit);
    if (space->bytes >= bookkeeping) {
        return;
    }
    const IndexContent planned = parseIndexFile(plannedIndex);
    for (const std::string& name : change.deletions) {
        // A name the planned index lists stays, unless a file moves there and replaces it.
        const bool listed = std::any_of(
            planned.entries.begin(), planned.entries.end(),
            [&](const IndexEntryLine& line) { return sameFileName(line.entryName, name); });
        const bool replaced =
            std::any_of(change.moves.begin(), change.moves.end(),
                        [&](const StickMove& move) { return sameFileName(move.to, name); });
        if (!listed || replaced) {
            m_stick.deleteFile(name);
        }
    }
}

// Whether the module would find a sound or setting under a name it did not have before.
bool CommitRun::createsNames(const std::vector<PlannedCopy>& copies) const {
    const ModuleSettings& settings = m_session.settings();
    return std::any_of(
               copies.begin(), copies.end(),
               [](const PlannedCopy& planned) { return planned.isNeeded() && !planned.copy; }) ||
           std::any_of(AllSettings.begin(), AllSettings.end(), [&](Setting setting) {
               const std::string& current = settings.CurrentSettings[setting];
               return !current.empty() && !sameFileName(current, settings.StoredSettings[setting]);
           });
}

StickChange CommitRun::plannedChange(const std::vector<PlannedCopy>& copies) const {
    StickChange change;
    for (const auto& planned : copies) {
        const std::string& name = m_session.table().row(planned.row).entryName;
        if (planned.isNeeded() && !planned.copy && !isMoveTarget(name)) {
            change.newFiles.push_back({name, planned.source->size});
        }
    }
    for (const auto& planned : m_moves) {
        change.moves.push_back(planned.move);
    }
    change.deletions = namesToDelete();
    return change;
}

// Stale stick files, and the file of every setting whose name changed, once nothing needs
// them any more.
std::vector<std::string> CommitRun::namesToDelete() const {
    std::vector<std::string> names = m_session.staleStickFiles();
    names.insert(names.end(), m_parkedToDelete.begin(), m_parkedToDelete.end());
    const ModuleSettings& settings = m_session.settings();
    for (const Setting setting : AllSettings) {
        const std::string& current = settings.CurrentSettings[setting];
        const std::string stored = settings.StoredSettings[setting].substr(0, EntryNameLength);
        if (!stored.empty() && current.size() > 18 && !sameFileName(stored, current)) {
            names.push_back(stored);
        }
    }
    std::erase_if(names, [this](const std::string& name) {
        return std::any_of(m_moves.begin(), m_moves.end(), [&](const PlannedMove& planned) {
            return sameFileName(planned.move.from, name) && !planned.move.copy;
        });
    });
    return names;
}

// The rows as they stand once the moves that arrived have: a moved sound's source is its new
// stick file, and so is that of every row that named the old one. Every row is looked at as
// it stood before, so that files that swap their names do not carry a row along twice. A row
// under the old name itself keeps its source: its sound arrived there while the moving one
// waited under its parking name.
std::vector<SoundEntry>
CommitRun::rowsAfterMoves(const std::function<bool(std::size_t)>& arrived) const {
    std::vector<SoundEntry> rows = m_session.table().entries();
    for (auto& entry : rows) {
        const auto name = m_stick.nameInRoot(entry.sourcePath);
        for (std::size_t i = 0; name && i < m_moves.size(); ++i) {
            const StickMove& move = m_moves[i].move;
            if (!move.copy && arrived(i) && sameFileName(*name, move.from) &&
                !sameFileName(entry.entryName, move.from)) {
                entry.sourcePath = m_session.stick().root() + move.to;
                break;
            }
        }
    }
    for (std::size_t i = 0; i < m_moves.size(); ++i) {
        if (m_moves[i].row > 0 && arrived(i)) {
            rows[static_cast<std::size_t>(m_moves[i].row - 1)].sourcePath =
                m_session.stick().root() + m_moves[i].move.to;
        }
    }
    return rows;
}

void CommitRun::takeMovesIntoRows(const StickChangeRun& change) {
    const auto rows = rowsAfterMoves([&](std::size_t i) { return change.arrived(i); });
    // A sound made in memory for a moved file goes over it under its new name.
    std::vector<std::pair<std::string, std::string>> sources;
    for (int row = 1; row < m_session.table().nextRow(); ++row) {
        sources.emplace_back(m_session.table().row(row).sourcePath,
                             rows[static_cast<std::size_t>(row - 1)].sourcePath);
    }
    m_session.keepPreparedSoundsOf(sources);
    for (int row = 1; row < m_session.table().nextRow(); ++row) {
        const std::string& after = rows[static_cast<std::size_t>(row - 1)].sourcePath;
        if (after != m_session.table().row(row).sourcePath) {
            SoundEntry entry = m_session.table().row(row);
            entry.sourcePath = after;
            m_session.table().replaceRow(row, std::move(entry));
        }
    }
    // A rename that arrived is done, whatever becomes of the rest of the run; so is a setting
    // file that took its new name, which the next run must not look for under the old one.
    ModuleSettings& settings = m_session.settings();
    for (std::size_t i = 0; i < m_moves.size(); ++i) {
        if (change.arrived(i)) {
            const StickMove& move = m_moves[i].move;
            m_session.forgetRenameFrom(move.from);
            const auto setting = settingOfName(move.to);
            if (setting && !move.copy &&
                sameFileName(settings.CurrentSettings[*setting], move.to)) {
                settings.StoredSettings[*setting] = settings.CurrentSettings[*setting];
            }
        }
        reportProgress();
    }
}

std::string CommitRun::indexFileBytes(const std::vector<SoundEntry>& rows) const {
    std::vector<IndexEntryLine> lines;
    for (const SoundEntry& entry : rows) {
        if (!entry.isBound()) {
            continue;
        }
        // A sound made in memory has no file but the one this commit writes.
        const bool prepared = m_session.preparedSoundOf(entry.sourcePath) != nullptr;
        lines.push_back({entry.entryName,
                         prepared ? m_session.stick().root() + entry.entryName : entry.sourcePath});
    }
    return composeIndexFile(lines, m_session.settings().CurrentSettings, {});
}

// A sound announced in the journal as new is written under its name at once; the next start
// removes it when it was cut short. Every other copy goes by a temporary name.
void CommitRun::copyWhenChanged(const PlannedCopy& planned, bool announced) {
    const int row = planned.row;
    const SoundEntry& entry = m_session.table().row(row);
    const auto& source = planned.source;
    const auto& copy = planned.copy;
    // A sound that is neither at its source nor on the stick cannot be had by trying again:
    // the row is shown as lacking its sound, and every other row is written all the same.
    const bool nowhere = !source && !copy && stickLacks(entry.entryName);
    markNotFound(row, nowhere);
    if (!source) {
        // A sound whose source has gone keeps the copy the stick already holds; a stick that
        // cannot be read is a failure to report, not a missing sound.
        if (!copy && !nowhere) {
            fail(entry.entryName, std::make_error_code(std::errc::no_such_device));
        }
        return;
    }
    if (planned.prepared) {
        writePrepared(planned, announced);
        return;
    }
    if (copy && isSameFileVersion(*source, *copy)) {
        return;
    }
    m_lastPart = -1;
    const auto progress = [this](std::uintmax_t copied, std::uintmax_t size) {
        reportProgressWithin(copied, size);
    };
    auto copied = copy || !announced ? m_stick.copyIn(entry.sourcePath, entry.entryName, progress)
                                     : m_stick.copyNew(entry.sourcePath, entry.entryName, progress);
    if (copied.failed()) {
        // A source that cannot be read (its permissions, a share that went away) is this row's
        // trouble alone: the stick keeps its last copy, and every other change goes through.
        if (auto read = m_files.readFile(entry.sourcePath); read.failed()) {
            if (!copy) {
                m_stick.deleteFile(entry.entryName); // what a new copy left
            }
            markNotFound(row, !copy);
            m_unreadable.emplace_back(row, FileResult(entry.sourcePath, read.error()));
            return;
        }
        fail(std::move(copied));
    } else if (!copy) {
        m_created.push_back(entry.entryName);
    }
}

// A sound made in memory goes in like a copy: new under its name when the journal announced it,
// otherwise beside the old file, which it then replaces.
void CommitRun::writePrepared(const PlannedCopy& planned, bool announced) {
    const std::string& name = m_session.table().row(planned.row).entryName;
    auto written = planned.copy || !announced ? writeAndReplace(m_stick, name + CopySuffix, name,
                                                                *planned.prepared, Flush::Now)
                                              : m_stick.writeDurably(name, *planned.prepared);
    if (written.failed()) {
        // What a replacement cut short left goes now, or with the next commit that gets
        // through: the stick may have gone in between.
        if (const std::string temporary = name + CopySuffix;
            m_stick.deleteFile(temporary).failed()) {
            m_session.rememberStaleFile(temporary);
        }
        fail(std::move(written));
        return;
    }
    if (!planned.copy) {
        m_created.push_back(name);
    }
    m_writtenPrepared.push_back(planned.row);
}

// The rows whose sound was made in memory name their stick file from now on, and the bytes
// are let go once no row needs them any more.
void CommitRun::takePreparedIntoRows() {
    std::vector<std::pair<std::string, std::string>> waiting;
    for (int row = 1; row < m_session.table().nextRow(); ++row) {
        const std::string& source = m_session.table().row(row).sourcePath;
        if (std::find(m_writtenPrepared.begin(), m_writtenPrepared.end(), row) ==
            m_writtenPrepared.end()) {
            waiting.emplace_back(source, source);
        }
    }
    m_session.keepPreparedSoundsOf(waiting);
    for (const int row : m_writtenPrepared) {
        SoundEntry entry = m_session.table().row(row);
        entry.sourcePath = m_session.stick().root() + entry.entryName;
        m_session.table().replaceRow(row, std::move(entry));
    }
}

// A run that could not copy every sound takes back the names it added, its journal and the
// planned index file, so that the stick stays exactly as its index file says. A journal with
// moves stays: files an earlier run parked may wait for it, and the next start or commit
// finishes the way.
void CommitRun::undoCopies() {
    if (!m_moves.empty()) {
        return;
    }
    for (const auto& name : m_created) {
        m_stick.deleteFile(name);
    }
    m_stick.deleteFile(IndexTempName);
    m_stick.deleteFile(JournalName);
}

// Whether an empty file can still be made on the stick: a write-protected one takes none.
bool CommitRun::acceptsNewFiles() {
    constexpr const char* Probe = "tonkat.prb";
    m_stick.ensureFile(Probe);
    const bool made = m_stick.exists(Probe);
    m_stick.deleteFile(Probe);
    return made;
}

// Creates the file of every current setting; the files of changed settings go with the
// stale files once the index file is in place.
void CommitRun::writeSettingFiles() {
    for (const Setting setting : AllSettings) {
        const std::string& current = m_session.settings().CurrentSettings[setting];
        if (current.empty()) {
            continue;
        }
        // The module reads a setting from its name alone, and the file stays empty; one that
        // has somehow got content is made anew. An empty one is left as it is.
        const auto file = m_stick.status(current);
        if (file && file->size == 0) {
            continue;
        }
        if (file) {
            m_stick.deleteFile(current);
        }
        m_stick.ensureFile(current);
    }
}

void CommitRun::checkEverythingArrived() {
    // The files are looked up in what this run knows; a stick pulled at the last step would
    // go unnoticed there.
    if (!m_stick.isStillTheStick()) {
        fail("", std::make_error_code(std::errc::no_such_device));
        return;
    }
    const auto missing = [this](const std::string& name) {
        for (const auto& failure : m_failures) {
            if (sameFileName(failure.file(), name)) {
                return;
            }
        }
        if (!m_stick.exists(name)) {
            fail(name, std::make_error_code(std::errc::no_such_file_or_directory));
        }
    };
    for (const SoundEntry& entry : m_session.table().entries()) {
        if (entry.isBound() && !entry.sourcePath.empty() && !entry.soundNotFound) {
            missing(entry.entryName);
        }
    }
    for (const Setting setting : AllSettings) {
        if (!m_session.settings().CurrentSettings[setting].empty()) {
            missing(m_session.settings().CurrentSettings[setting]);
        }
    }
}

void CommitRun::reportFailures() {
    std::string text = std::string(CommitFailedMessage) + "\r\n\r\n";
    const char* cause = causeOf(m_failures);
    if (cause == WriteProtectedMessage && acceptsNewFiles()) {
        // Some FAT drivers (fusefat) answer a full stick with "not permitted".
        cause = NotEnoughSpaceMessage;
    }
    if (cause) {
        text += std::string(cause) + "\r\n\r\n";
    }
    ShortList files(MaxListedFailures);
    for (const auto& failure : m_failures) {
        // A refusal before anything was written concerns no single file.
        if (!failure.file().empty()) {
            files.add(failure.file() + ": " + causeInGerman(failure.error()));
        }
    }
    if (files.count() > 0) {
        text += files.text() + "\r\n";
    }
    text += cause == NotEnoughSpaceMessage ? NotEnoughSpaceAdvice : CommitFailedAdvice;
    showCritical(m_ui, text);
}

bool CommitRun::reportUnreadableSources() {
    if (m_unreadable.empty()) {
        return false;
    }
    std::string text = std::string(SourcesUnreadableMessage) + "\r\n\r\n";
    ShortList rows(MaxListedFailures);
    for (const auto& [row, failure] : m_unreadable) {
        rows.add("Zeile " + std::to_string(row) + ": " + failure.file() + ": " +
                 causeInGerman(failure.error()));
    }
    showCritical(m_ui, text + rows.text() + "\r\n" + SourcesUnreadableAdvice);
    return true;
}

// Tells the user which rows lack their sound; true when there are any.
bool CommitRun::reportSoundsNotFound() {
    std::string text = std::string(SoundsNotFoundMessage) + "\r\n\r\n";
    ShortList rows(MaxListedFailures);
    const SoundTable& table = m_session.table();
    for (int row = 1; row < table.nextRow(); ++row) {
        const SoundEntry& entry = table.row(row);
        const bool toldUnreadable =
            std::any_of(m_unreadable.begin(), m_unreadable.end(),
                        [row](const auto& unreadable) { return unreadable.first == row; });
        if (!entry.soundNotFound || toldUnreadable) {
            continue;
        }
        rows.add("Zeile " + std::to_string(row) + ": " + entry.entryName + " (" + entry.sourcePath +
                 ")");
    }
    if (rows.count() == 0) {
        return false;
    }
    showCritical(m_ui, text + rows.text() + "\r\n" + SoundsNotFoundAdvice);
    return true;
}

} // namespace

CommitSpace spaceForCommit(const Session& session, FileOperations& files) {
    // The stick is looked at through a copy of what the session knows of it: sizing the plan
    // leaves the session as it is.
    StickFileCache known = session.stick().fileCache();
    StickFiles stick(files, session.stick().root(), session.stick().identity(), &known);
    const CommitPlan plan = CommitPlanner(session, files, stick).plan();
    const auto space = files.freeSpace(session.stick().root());
    return {bytesNeeded(plan.copies, plan.moves, session.table(), stick,
                        space ? std::max<std::uintmax_t>(space->unit, 1) : 1),
            space ? std::optional(space->bytes) : std::nullopt};
}

bool takeBackOwnSounds(Session& session, FileOperations& files) {
    const StickFiles stick(files, session.stick().root(), session.stick().identity());
    bool changed = false;
    for (int row = 1; row < session.table().nextRow(); ++row) {
        const SoundEntry& entry = session.table().row(row);
        if (const auto own = stick.ownFileMountedElsewhere(entry.sourcePath, entry.entryName)) {
            SoundEntry moved = entry;
            moved.sourcePath = session.stick().root() + *own;
            session.table().replaceRow(row, std::move(moved));
            changed = true;
        }
    }
    return changed;
}

const char* causeOf(const std::vector<FileResult>& failures) {
    const auto any = [&](std::initializer_list<std::errc> codes) {
        return std::any_of(failures.begin(), failures.end(), [&](const FileResult& failure) {
            return std::any_of(codes.begin(), codes.end(), [&](std::errc code) {
                return failure.error() == std::make_error_condition(code);
            });
        });
    };
    if (any({std::errc::no_space_on_device, std::errc::file_too_large})) {
        return NotEnoughSpaceMessage;
    }
    if (any({std::errc::no_such_device, std::errc::io_error})) {
        return StickRemovedMessage;
    }
    if (any({std::errc::read_only_file_system, std::errc::permission_denied,
             std::errc::operation_not_permitted})) {
        return WriteProtectedMessage;
    }
    return nullptr;
}

std::string causeInGerman(std::error_code error) {
    static const std::pair<std::errc, const char*> known[] = {
        {std::errc::no_such_file_or_directory, "Datei oder Ordner nicht gefunden"},
        {std::errc::permission_denied, "Zugriff verweigert"},
        {std::errc::operation_not_permitted, "Vorgang nicht erlaubt"},
        {std::errc::no_space_on_device, "kein Platz mehr auf dem Datenträger"},
        {std::errc::file_too_large, "Datei zu groß für den Datenträger"},
        {std::errc::read_only_file_system, "Datenträger ist schreibgeschützt"},
        {std::errc::io_error, "Ein-/Ausgabefehler beim Lesen oder Schreiben"},
        {std::errc::no_such_device, "Datenträger nicht vorhanden"},
        {std::errc::no_such_device_or_address, "Datenträger nicht vorhanden"},
        {std::errc::file_exists, "Datei existiert bereits"},
        {std::errc::is_a_directory, "ist ein Ordner"},
        {std::errc::not_a_directory, "ist kein Ordner"},
        {std::errc::filename_too_long, "Dateiname zu lang"},
        {std::errc::invalid_argument, "ungültiger Dateiname"},
        {std::errc::device_or_resource_busy, "Datei wird von einem anderen Programm benutzt"},
        {std::errc::text_file_busy, "Datei wird von einem anderen Programm benutzt"},
        {std::errc::timed_out, "Zeitüberschreitung, das Netzlaufwerk antwortet nicht"},
        {std::errc::host_unreachable, "Netzlaufwerk nicht erreichbar"},
        {std::errc::network_unreachable, "Netzlaufwerk nicht erreichbar"},
        {std::errc::connection_aborted, "Verbindung zum Netzlaufwerk abgebrochen"},
        {std::errc::too_many_files_open, "zu viele offene Dateien"},
    };
    for (const auto& [code, text] : known) {
        if (error == std::make_error_condition(code)) {
            return text;
        }
    }
    return error.message();
}

bool isSameFileVersion(const FileStatus& source, const FileStatus& copy) {
    if (source.size != copy.size) {
        return false;
    }
    constexpr double Tolerance = 2.0;
    const double difference = std::fabs(source.modified - copy.modified);
    return difference <= Tolerance || std::fabs(difference - 3600.0) <= Tolerance;
}

CommitResult CommitToStick(Session& session, FileOperations& files, UserInterface& ui) {
    if (!session.SaveNeeded()) {
        return CommitResult::NothingToDo;
    }
    // A stick pulled and put back is mounted anew and has a new identity; it is still ours
    // when it shows our lock. A bare mount point does not.
    if (const auto identity = files.identity(session.stick().root()).optional();
        identity && identity != session.stick().identity() && session.stick().lock() &&
        session.stick().lock()->isShownInFolder()) {
        session.stick().mountedAnew(*identity);
    }
    const auto running = session.stick().beginCommit();
    if (!running) {
        return CommitResult::AlreadyRunning;
    }
    return CommitRun(session, files, ui).run();
}

} // namespace tonarion
