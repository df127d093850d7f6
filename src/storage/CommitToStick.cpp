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
    void moveOne(const Move& move);
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
        if (const auto from = m_stick.nameInRoot(entry.sourcePath);
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
    return CommitResult::Written;
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
            Move& first = moves.front();
            const std::string parked = first.from + ParkingSuffix;
            if (const auto error = m_stick.rename(first.from, parked)) {
                fail(m_session.table.row(first.row).entryName, error);
                moves.erase(moves.begin());
                continue;
            }
            first.from = parked;
            continue;
        }
        moveOne(*ready);
        moves.erase(ready);
        reportProgress();
    }
}

void CommitRun::moveOne(const Move& move) {
    SoundEntry entry = m_session.table.row(move.row);
    std::error_code error;
    if (isNeededInPlace(move.from, move.row)) {
        error = m_stick.copyIn(*m_stick.pathOf(move.from), entry.entryName);
    } else {
        // No sound waits under the new name any more (its move would have come first):
        // whatever file stands there makes room.
        if (m_stick.exists(entry.entryName)) {
            m_stick.deleteFile(entry.entryName);
        }
        error = m_stick.rename(move.from, entry.entryName);
    }
    if (error) {
        fail(entry.entryName, error);
        return;
    }
    entry.sourcePath = m_session.stickRoot + entry.entryName;
    m_session.table.replaceRow(move.row, std::move(entry));
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
    if (source && copy && isSameFileVersion(*source, *copy)) {
        return;
    }
    if (const auto error = m_stick.copyIn(entry.sourcePath, entry.entryName)) {
        // A sound whose source has gone keeps the copy the stick already holds.
        if (!source && copy) {
            return;
        }
        fail(entry.entryName, error);
    }
}

void CommitRun::writeSettingFiles() {
    ModuleSettings& settings = m_session.settings;
    for (const Setting setting : AllSettings) {
        const std::string current = settings.CurrentSettings[setting];
        if (current.empty()) {
            continue;
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
        if (entry.isBound() && !entry.sourcePath.empty()) {
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

} // namespace

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
