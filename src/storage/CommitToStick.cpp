#include "storage/CommitToStick.h"

#include "model/EntryName.h"
#include "storage/IndexFile.h"
#include "storage/StickFiles.h"

#include <cmath>

namespace tonarion {
namespace {

constexpr std::size_t MaxListedFailures = 10;

class CommitRun {
public:
    CommitRun(Session& session, FileOperations& files, UserInterface& ui)
        : m_session(session)
        , m_files(files)
        , m_ui(ui)
        , m_stick(files, session.stickRoot) {}

    CommitResult run();

private:
    bool carriesOlderName(const SoundEntry& entry);
    void copyWhenChanged(const SoundEntry& entry);
    void giveNewName(int row);
    void writeIndexFile();
    void writeSettingFiles();
    void fail(const std::string& name, std::error_code error) {
        m_failures.push_back(name + ": " + error.message());
    }
    void checkEverythingArrived();
    void reportFailures();

    Session& m_session;
    FileOperations& m_files;
    UserInterface& m_ui;
    StickFiles m_stick;
    std::vector<std::string> m_failures;
};

CommitResult CommitRun::run() {
    m_ui.setBusyPointer(true);
    m_ui.processPendingEvents();
    m_ui.showWaitWindow();
    m_ui.processPendingEvents();

    // Sounds from the computer come first. Only when they have all arrived does anything
    // on the stick change its name or go, so that a full or write-protected stick keeps its
    // index file as it was.
    std::vector<int> copies;
    std::vector<int> renames;
    SoundTable& table = m_session.table;
    for (int row = 1; row < table.nextRow(); ++row) {
        const SoundEntry& entry = table.row(row);
        if (entry.isBound() && !entry.sourcePath.empty()) {
            (carriesOlderName(entry) ? renames : copies).push_back(row);
        }
    }
    const int total = static_cast<int>(copies.size() + renames.size());
    int done = 0;
    for (const int row : copies) {
        copyWhenChanged(table.row(row));
        m_ui.reportProgress(++done, total);
    }
    if (m_failures.empty()) {
        for (const int row : renames) {
            giveNewName(row);
            m_ui.reportProgress(++done, total);
        }
        writeSettingFiles();
        writeIndexFile();
        checkEverythingArrived();
    }

    m_ui.hideWaitWindow();
    m_ui.setBusyPointer(false);
    if (!m_failures.empty()) {
        reportFailures();
        return CommitResult::Failed;
    }
    m_session.SaveNeeded = false;
    return CommitResult::Written;
}

bool CommitRun::carriesOlderName(const SoundEntry& entry) {
    const auto nameOnStick = m_stick.nameInRoot(entry.sourcePath);
    return nameOnStick && *nameOnStick != entry.entryName && !m_stick.exists(entry.entryName);
}

void CommitRun::giveNewName(int row) {
    SoundEntry entry = m_session.table.row(row);
    if (const auto error = m_stick.rename(*m_stick.nameInRoot(entry.sourcePath), entry.entryName)) {
        fail(entry.entryName, error);
        return;
    }
    entry.sourcePath = m_session.stickRoot + entry.entryName;
    m_session.table.replaceRow(row, std::move(entry));
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

void CommitRun::copyWhenChanged(const SoundEntry& entry) {
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
        if (!stored.empty() && current.size() > 18 && !sameFileName(stored, current)) {
            m_stick.deleteFile(stored);
        }
        settings.StoredSettings[setting] = current;
    }
}

void CommitRun::checkEverythingArrived() {
    const auto missing = [this](const std::string& name) {
        for (const auto& failure : m_failures) {
            if (failure.starts_with(name + ":")) {
                return;
            }
        }
        if (!m_stick.exists(name)) {
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
