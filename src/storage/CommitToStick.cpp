#include "storage/CommitToStick.h"

#include "model/EntryName.h"
#include "model/SoundTable.h"
#include "storage/IndexFile.h"
#include "storage/StickFiles.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace tonarion {
namespace {

constexpr std::size_t MaxListedFailures = 10;
// While two stick files swap their names, one of them waits under its name and this.
constexpr const char* ParkingSuffix = ".tonarion-tmp";

// A row whose sound is a stick file under another name.
struct Move {
    int row;
    std::string from;
};

class CommitRun {
public:
    CommitRun(Session& session, FileOperations& files, UserInterface& ui)
        : m_session(session)
        , m_files(files)
        , m_ui(ui)
        , m_stick(files, session.stickRoot) {}

    CommitResult run();

private:
    void copyWhenChanged(int row);
    void moveAll(std::vector<Move> moves);
    void moveOne(const Move& move, std::vector<Move>& others);
    void renameOnStick(const std::string& from, const std::string& to, std::vector<Move>& moves,
                       std::error_code& error);
    void markNotFound(int row, bool notFound) { m_session.table.setSoundNotFound(row, notFound); }
    bool stickLacks(const std::string& name);
    void writeIndexFile();
    void writeSettingFiles();
    void removeStaleFiles();
    bool isStillNeeded(const std::string& name) const;
    bool isNeededInPlace(const std::string& name, int exceptRow);
    void fail(const std::string& name, std::error_code error) {
        m_failures.push_back(name + ": " + error.message());
    }
    void checkEverythingArrived();
    void reportFailures();
    bool reportSoundsNotFound();
    void reportProgress() { m_ui.reportProgress(++m_done, m_total); }

    Session& m_session;
    FileOperations& m_files;
    UserInterface& m_ui;
    StickFiles m_stick;
    std::vector<std::string> m_failures;
    int m_done = 0;
    int m_total = 0;
};

bool isSourceOf(const std::vector<Move>& moves, std::string_view name) {
    return std::any_of(moves.begin(), moves.end(),
                       [name](const Move& move) { return sameFileName(move.from, name); });
}

CommitResult CommitRun::run() {
    m_ui.setBusyPointer(true);
    m_ui.processPendingEvents();
    m_ui.showWaitWindow();
    m_ui.processPendingEvents();

    // Sounds from the computer come first. Only when they have all arrived does anything
    // on the stick change its name or go, so that a full or write-protected stick keeps its
    // index file as it was. A copy onto a name whose file another sound has yet to leave
    // waits until the stick files have moved.
    std::vector<int> copies;
    std::vector<int> waitingCopies;
    std::vector<Move> moves;
    SoundTable& table = m_session.table;
    for (int row = 1; row < table.nextRow(); ++row) {
        const SoundEntry& entry = table.row(row);
        if (!entry.isBound() || entry.sourcePath.empty()) {
            continue;
        }
        if (const auto from = m_stick.entryFileInRoot(entry.sourcePath);
            from && !sameFileName(*from, entry.entryName)) {
            moves.push_back({row, *from});
        } else {
            copies.push_back(row);
        }
    }
    m_total = static_cast<int>(copies.size() + moves.size());
    for (const int row : copies) {
        if (isSourceOf(moves, table.row(row).entryName)) {
            waitingCopies.push_back(row);
            continue;
        }
        copyWhenChanged(row);
        reportProgress();
    }
    if (m_failures.empty()) {
        moveAll(std::move(moves));
        for (const int row : waitingCopies) {
            copyWhenChanged(row);
            reportProgress();
        }
        writeSettingFiles();
        writeIndexFile();
        removeStaleFiles();
        checkEverythingArrived();
    }

    m_ui.hideWaitWindow();
    m_ui.setBusyPointer(false);
    if (!m_failures.empty()) {
        reportFailures();
        return CommitResult::Failed;
    }
    m_session.staleStickFiles.clear();
    m_session.SaveNeeded = false;
    return reportSoundsNotFound() ? CommitResult::SoundsNotFound : CommitResult::Written;
}

// Stick files move in an order that never overwrites a sound still waiting to move, as when
// deleting a random entry shifts the others down one by one.
void CommitRun::moveAll(std::vector<Move> moves) {
    while (!moves.empty()) {
        const auto ready = std::find_if(moves.begin(), moves.end(), [&](const Move& move) {
            return !isSourceOf(moves, m_session.table.row(move.row).entryName);
        });
        if (ready == moves.end()) {
            // Every name is still needed by another move: names that swap. One sound waits
            // under a name of its own until its new one is free.
            const Move first = moves.front();
            std::error_code error;
            renameOnStick(first.from, first.from + ParkingSuffix, moves, error);
            if (error) {
                fail(m_session.table.row(first.row).entryName, error);
                moves.erase(moves.begin());
            }
            continue;
        }
        const Move move = *ready;
        moves.erase(ready);
        moveOne(move, moves);
        reportProgress();
    }
}

void CommitRun::moveOne(const Move& move, std::vector<Move>& others) {
    SoundEntry entry = m_session.table.row(move.row);
    const bool targetExists = m_stick.exists(entry.entryName);
    std::error_code error;
    if (!m_stick.exists(move.from) && stickLacks(move.from)) {
        // The stick file was the sound's only copy and is gone. A file under the new name is
        // taken as the sound; otherwise the row is shown as lacking its sound, and the rest
        // of the stick is still written.
        markNotFound(move.row, !targetExists);
    } else if (isNeededInPlace(move.from, move.row)) {
        error = m_stick.copyIn(*m_stick.pathOf(move.from), entry.entryName);
    } else {
        // No sound waits under the new name any more (its move would have come first):
        // whatever file stands there makes room.
        if (targetExists) {
            m_stick.deleteFile(entry.entryName);
        }
        renameOnStick(move.from, entry.entryName, others, error);
    }
    if (error) {
        fail(entry.entryName, error);
        return;
    }
    entry.sourcePath = m_session.stickRoot + entry.entryName;
    m_session.table.replaceRow(move.row, std::move(entry));
}

// Renames a stick file; every row whose source it was, and every move still to come from
// it, follows it to its new name, so that no row goes on naming a file that another sound
// may take next.
void CommitRun::renameOnStick(const std::string& from, const std::string& to,
                              std::vector<Move>& moves, std::error_code& error) {
    error = m_stick.rename(from, to);
    if (error) {
        return;
    }
    followRenamedStickFile(m_session, m_stick, from, to);
    for (Move& move : moves) {
        if (sameFileName(move.from, from)) {
            move.from = to;
        }
    }
}

void CommitRun::writeIndexFile() {
    std::vector<IndexEntryLine> lines;
    for (const SoundEntry& entry : m_session.table.entries()) {
        if (entry.isBound()) {
            lines.push_back({entry.entryName, entry.sourcePath});
        }
    }
    if (const auto error =
            replaceIndexFile(m_stick, m_session.indexFileName,
                             composeIndexFile(lines, m_session.settings.CurrentSettings, {}))) {
        fail(m_session.indexFileName, error);
    }
}

void CommitRun::copyWhenChanged(int row) {
    const SoundEntry& entry = m_session.table.row(row);
    const auto source = m_files.status(entry.sourcePath);
    const auto copy = m_stick.status(entry.entryName);
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
    if (copy && isSameFileVersion(*source, *copy)) {
        return;
    }
    if (const auto error = m_stick.copyIn(entry.sourcePath, entry.entryName)) {
        fail(entry.entryName, error);
    }
}

// Only a stick that can be read as a whole lacks a file: a pulled one lacks nothing, so that
// a pulled stick never makes a row look as if its sound were gone.
bool CommitRun::stickLacks(const std::string& name) {
    const auto names = m_files.listFiles(m_session.stickRoot);
    return names && std::none_of(names->begin(), names->end(), [&](const std::string& onStick) {
               return sameFileName(onStick, name);
           });
}

void CommitRun::writeSettingFiles() {
    ModuleSettings& settings = m_session.settings;
    for (const Setting setting : AllSettings) {
        const std::string current = settings.CurrentSettings[setting];
        if (current.empty()) {
            continue;
        }
        // The module reads a setting from its name alone, and the file stays empty; one that
        // has somehow got content is made anew. An empty one is left as it is.
        if (const auto file = m_stick.status(current); file && file->size > 0) {
            m_stick.deleteFile(current);
        }
        // The new file comes first, so that a pulled stick never lacks the setting.
        m_stick.ensureFile(current);
        const std::string stored = settings.StoredSettings[setting].substr(0, EntryNameLength);
        if (!stored.empty() && current.size() > 18 && !sameFileName(stored, current) &&
            !m_stick.deleteFile(stored)) {
            rememberStaleFile(m_session, stored);
        }
        settings.StoredSettings[setting] = current;
    }
}

// Whether another row carries this name and can only have its sound from the file itself,
// its source on the computer being gone.
bool CommitRun::isNeededInPlace(const std::string& name, int exceptRow) {
    for (int row = 1; row < m_session.table.nextRow(); ++row) {
        const SoundEntry& entry = m_session.table.row(row);
        if (row != exceptRow && sameFileName(entry.entryName, name) &&
            (m_stick.nameInRoot(entry.sourcePath) || !m_files.status(entry.sourcePath))) {
            return true;
        }
    }
    return false;
}

bool CommitRun::isStillNeeded(const std::string& name) const {
    for (const SoundEntry& entry : m_session.table.entries()) {
        const auto source = m_stick.nameInRoot(entry.sourcePath);
        if (sameFileName(entry.entryName, name) || (source && sameFileName(*source, name))) {
            return true;
        }
    }
    return std::any_of(AllSettings.begin(), AllSettings.end(), [&](Setting setting) {
        return sameFileName(m_session.settings.CurrentSettings[setting], name);
    });
}

// Only once the new index file is in place: until then the old one may still list them.
void CommitRun::removeStaleFiles() {
    for (const auto& name : m_session.staleStickFiles) {
        if (!isStillNeeded(name) && !m_stick.deleteFile(name) && m_stick.exists(name)) {
            fail(name, std::make_error_code(std::errc::permission_denied));
        }
    }
}

void CommitRun::checkEverythingArrived() {
    // One listing of the root instead of a look per file: on a large FAT folder every look
    // costs about as much as the listing.
    std::set<std::string> onStick;
    for (const auto& name :
         m_files.listFiles(m_session.stickRoot).value_or(std::vector<std::string>{})) {
        onStick.insert(foldCase(name));
    }
    const auto missing = [this, &onStick](const std::string& name) {
        for (const auto& failure : m_failures) {
            if (failure.starts_with(name + ":")) {
                return;
            }
        }
        if (!onStick.contains(foldCase(name))) {
            fail(name, std::make_error_code(std::errc::no_such_file_or_directory));
        }
    };
    for (const SoundEntry& entry : m_session.table.entries()) {
        if (entry.isBound() && !entry.sourcePath.empty() && !entry.soundNotFound) {
            missing(entry.entryName);
        }
    }
    for (const Setting setting : AllSettings) {
        if (!m_session.settings.CurrentSettings[setting].empty()) {
            missing(m_session.settings.CurrentSettings[setting]);
        }
    }
}

void CommitRun::reportFailures() {
    std::string text = std::string(CommitFailedMessage) + "\r\n\r\n";
    for (std::size_t i = 0; i < m_failures.size() && i < MaxListedFailures; ++i) {
        text += m_failures[i] + "\r\n";
    }
    if (m_failures.size() > MaxListedFailures) {
        text += "...\r\n";
    }
    text += std::string("\r\n") + CommitFailedAdvice;
    showCritical(m_ui, text);
}

// Tells the user which rows lack their sound; true when there are any.
bool CommitRun::reportSoundsNotFound() {
    std::string text = std::string(SoundsNotFoundMessage) + "\r\n\r\n";
    std::size_t listed = 0;
    const SoundTable& table = m_session.table;
    for (int row = 1; row < table.nextRow(); ++row) {
        const SoundEntry& entry = table.row(row);
        if (!entry.soundNotFound) {
            continue;
        }
        if (listed++ < MaxListedFailures) {
            text += "Zeile " + std::to_string(row) + ": " + entry.entryName + " (" +
                    entry.sourcePath + ")\r\n";
        }
    }
    if (listed == 0) {
        return false;
    }
    if (listed > MaxListedFailures) {
        text += "...\r\n";
    }
    showCritical(m_ui, text + "\r\n" + SoundsNotFoundAdvice);
    return true;
}

} // namespace

void followRenamedStickFile(Session& session, const StickFiles& stick, const std::string& from,
                            const std::string& to) {
    SoundTable& table = session.table;
    for (int row = 1; row < table.nextRow(); ++row) {
        const auto name = stick.nameInRoot(table.row(row).sourcePath);
        if (name && sameFileName(*name, from)) {
            SoundEntry entry = table.row(row);
            entry.sourcePath = session.stickRoot + to;
            table.replaceRow(row, std::move(entry));
        }
    }
}

bool isSameFileVersion(const FileStatus& source, const FileStatus& copy) {
    if (source.size != copy.size) {
        return false;
    }
    constexpr double Tolerance = 2.0;
    const double difference = std::fabs(source.modified - copy.modified);
    return difference <= Tolerance || std::fabs(difference - 3600.0) <= Tolerance;
}

void rememberStaleFile(Session& session, const std::string& name) {
    auto& stale = session.staleStickFiles;
    if (std::none_of(stale.begin(), stale.end(),
                     [&](const std::string& known) { return sameFileName(known, name); })) {
        stale.push_back(name);
    }
    session.SaveNeeded = true;
}

CommitResult CommitToStick(Session& session, FileOperations& files, UserInterface& ui) {
    if (!session.SaveNeeded) {
        return CommitResult::NothingToDo;
    }
    if (session.commitRunning) {
        return CommitResult::AlreadyRunning;
    }
    session.commitRunning = true;
    struct Guard {
        bool& running;
        ~Guard() { running = false; }
    } guard{session.commitRunning};
    return CommitRun(session, files, ui).run();
}

} // namespace tonarion
