#include "workspace/StickVerification.h"

#include "model/EntryName.h"
#include "settings/SettingEntry.h"
#include "storage/CommitToStick.h"
#include "storage/IndexFile.h"
#include "storage/StickChange.h"
#include "storage/StickFiles.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace tonarion {
namespace {

// What a Mac puts on every stick it sees: "._" files beside each file, the folder finder's
// .DS_Store, and folders for its trash and its indexes.
constexpr std::string_view MacFilePrefix = "._";
constexpr std::string_view MacFolderFile = ".DS_Store";
constexpr std::array<std::string_view, 3> MacFolders = {".Trashes", ".Spotlight-V100",
                                                        ".fseventsd"};

// Probes the program writes and deletes at once: one that stays was cut short.
constexpr std::array<std::string_view, 2> ProbeNames = {".tonarion-schreibprobe", "tonkat.prb"};

bool isMacLeftover(std::string_view name) {
    return name.starts_with(MacFilePrefix) || sameFileName(name, MacFolderFile);
}

bool isProbe(std::string_view name) {
    return std::any_of(ProbeNames.begin(), ProbeNames.end(),
                       [&](std::string_view probe) { return sameFileName(name, probe); });
}

class Verification {
public:
    Verification(const Session& session, FileOperations& files)
        : m_session(session)
        , m_files(files)
        , m_stick(files, session.stickRoot) {}

    std::vector<StickProblem> run() {
        // A stick pulled out lacks nothing: it cannot be read, and its bare mount point says
        // nothing about the files on it.
        if (!m_files.listFiles(m_session.stickRoot) ||
            !StickFiles(m_files, m_session.stickRoot, m_session.stickIdentity).isStillTheStick()) {
            add(ProblemKind::StickUnreadable, m_session.stickRoot);
            return std::move(m_found);
        }
        readIndex();
        checkRows();
        checkSettings();
        checkRootFiles();
        checkMacFolders();
        checkMedium();
        return std::move(m_found);
    }

private:
    void add(std::string_view kind, std::string file, bool removable = false, bool folder = false) {
        m_found.push_back({std::string(kind), std::move(file), removable, folder});
    }

    // What the index file on the stick lists: loading shows unlisted sound files as rows, but
    // the module plays them whatever the table shows.
    void readIndex() {
        const std::string& root = m_session.stickRoot;
        // A stick whose index file is lost is opened from the temporary one an interrupted
        // commit left, and lists what that one lists.
        auto bytes = m_files.readFile(root + m_session.indexFileName);
        if (!bytes) {
            bytes = m_files.readFile(root + IndexTempName);
        }
        const IndexContent index = parseIndexFile(bytes.value_or(std::string()));
        std::vector<std::pair<std::string, std::string>> random; // number, name
        for (const auto& line : index.entries) {
            m_listed.push_back(line.entryName);
            if (kindOf(line.entryName) == 'Z') {
                random.emplace_back(parseEntryName(line.entryName).number1, line.entryName);
            }
        }
        for (const auto& line : secondIndexLines(index.entries)) {
            add(ProblemKind::SecondIndexLine, line.entryName);
        }
        std::stable_sort(random.begin(), random.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (std::size_t i = 0; i < random.size(); ++i) {
            if (random[i].first != pad4(std::to_string(i + 1))) {
                add(ProblemKind::RandomGap, random[i].second);
                break;
            }
        }
        for (const Setting setting : AllSettings) {
            m_listed.push_back(index.settings[setting]);
        }
    }

    bool isListed(const std::string& name) const {
        return std::any_of(m_listed.begin(), m_listed.end(),
                           [&](const auto& known) { return sameFileName(known, name); });
    }

    void checkRows() {
        for (const SoundEntry& entry : m_session.table.entries()) {
            if (!entry.isBound()) {
                continue;
            }
            const SoundState state = soundStateOf(m_session, m_files, entry);
            if (!state.present) {
                add(state.sourceFound ? ProblemKind::MissingSound : ProblemKind::SoundNotFound,
                    entry.entryName);
            } else if (state.changed) {
                add(ProblemKind::ChangedSound, entry.entryName);
            }
        }
    }

    void checkSettings() {
        const SettingsTable& settings = m_session.settings.CurrentSettings;
        for (const Setting setting : AllSettings) {
            const std::string& name = settings[setting];
            if (name.empty()) {
                continue;
            }
            if (const auto file = m_stick.status(name)) {
                if (file->size > 0) {
                    add(ProblemKind::ChangedSetting, name);
                }
            } else if (!m_stick.exists(name)) {
                add(ProblemKind::MissingSetting, name);
            }
        }
    }

    void checkRootFiles() {
        auto names = m_files.listFiles(m_session.stickRoot).value_or(std::vector<std::string>{});
        std::sort(names.begin(), names.end());
        // While a journal stands, its plan waits for the next commit, and every file it names
        // with it: none of them may go. One of another index file is never carried out; it
        // may go itself, but what it names stays, as it may be what this stick's own
        // interrupted commit left.
        const bool planPending = std::any_of(names.begin(), names.end(), [](const auto& name) {
            return sameFileName(name, JournalName);
        });
        const bool foreignJournal =
            planPending &&
            journalStateOf(m_stick, m_session.indexFileName) == JournalState::Foreign;
        const bool indexPresent = std::any_of(names.begin(), names.end(), [&](const auto& name) {
            return sameFileName(name, m_session.indexFileName);
        });
        const SettingsTable& settings = m_session.settings.CurrentSettings;
        for (const auto& name : names) {
            if (isMacLeftover(name)) {
                add(ProblemKind::MacLeftover, name, true);
            } else if (isProbe(name)) {
                add(ProblemKind::TemporaryFile, name, true);
            } else if (sameFileName(name, IndexTempName)) {
                // Without its index file, the stick is opened from this one.
                add(ProblemKind::TemporaryFile, name, !planPending && indexPresent);
            } else if (foreignJournal && sameFileName(name, JournalName)) {
                add(ProblemKind::ForeignJournal, name, true);
            } else if (isWorkingFileName(name)) {
                add(ProblemKind::TemporaryFile, name, !planPending);
            } else if (isSettingName(name) && !isListed(name)) {
                const auto setting = settingOfName(name);
                const bool settingListed = setting && !settings[*setting].empty();
                add(settingListed ? ProblemKind::SecondSettingFile : ProblemKind::NotInIndex, name);
            } else if (looksLikeEntryName(name) && !isListed(name)) {
                add(ProblemKind::NotInIndex, name);
            }
        }
    }

    // Folders are no files: a name that is there but no file is one.
    void checkMacFolders() {
        for (const std::string_view name : MacFolders) {
            const std::string path = m_session.stickRoot + std::string(name);
            if (m_files.identity(path) && !m_files.FileExists(path)) {
                add(ProblemKind::MacLeftover, std::string(name), true, true);
            }
        }
    }

    void checkMedium() {
        if (const auto volume = m_files.volumeInfo(m_session.stickRoot);
            volume && !isModuleFileSystem(volume->fileSystem)) {
            add(ProblemKind::WrongFileSystem, volume->fileSystem);
        }
        const CommitSpace space = spaceForCommit(m_session, m_files);
        if (space.available && space.needed > *space.available) {
            add(ProblemKind::NotEnoughSpace, "");
            m_found.back().neededBytes = space.needed;
            m_found.back().freeBytes = *space.available;
        }
    }

    const Session& m_session;
    FileOperations& m_files;
    StickFiles m_stick;
    std::vector<std::string> m_listed;
    std::vector<StickProblem> m_found;
};

} // namespace

SoundState soundStateOf(const Session& session, FileOperations& files, const SoundEntry& entry) {
    StickFiles stick(files, session.stickRoot);
    SoundState state;
    // A sound that a pending rename brings to its name is there already.
    const auto copy = stick.status(session.stickFileOf(entry.entryName));
    state.present = copy.has_value();
    // A source on the stick itself (a taken-over stick) is its own copy.
    if (entry.sourcePath.empty() || stick.nameInRoot(entry.sourcePath)) {
        return state;
    }
    const auto source = files.status(entry.sourcePath);
    state.sourceFound = source.has_value();
    state.changed = source && copy && !isSameFileVersion(*source, *copy);
    return state;
}

std::vector<StickProblem> verifyStick(const Session& session, FileOperations& stick) {
    return Verification(session, stick).run();
}

bool isModuleFileSystem(std::string_view fileSystem) {
    std::string name(fileSystem);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    // Linux names FAT16 and FAT32 alike, "vfat" or "msdos".
    return name.empty() || name == "fat32" || name == "fat16" || name == "fat" || name == "vfat" ||
           name == "msdos";
}

} // namespace tonarion
