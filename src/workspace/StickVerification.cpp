#include "workspace/StickVerification.h"

#include "model/EntryName.h"
#include "settings/SettingEntry.h"
#include "storage/CommitToStick.h"
#include "storage/DriveDiscovery.h"
#include "storage/IndexFile.h"
#include "storage/StickChange.h"
#include "storage/StickFiles.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace tonarion {
namespace {

// What a kind of finding says about the stick.
enum Trait : unsigned {
    Lacking = 1,        // a file the index lists is not on the stick as it should be
    MendedByCommit = 2, // the next commit puts it right
    AboutMedium = 4,    // the medium, not its files
};

struct ProblemKindRow {
    ProblemKind kind;
    std::string_view word; // on the command line
    // In the check's report; %1 is the file system found, or the bytes needed beside %2, free.
    std::string_view text;
    unsigned traits;
};

constexpr std::array<ProblemKindRow, 15> ProblemKinds = {{
    {ProblemKind::MissingSound, "missing sound", "Sound fehlt auf dem USB-Stick",
     Lacking | MendedByCommit},
    {ProblemKind::SoundNotFound, "sound not found",
     "Sound weder auf dem USB-Stick noch an seinem Pfad", Lacking},
    {ProblemKind::ChangedSound, "changed sound",
     "Sound auf dem USB-Stick ist nicht mehr der aktuelle Stand", MendedByCommit},
    {ProblemKind::MissingSetting, "missing setting", "Einstellungsdatei fehlt",
     Lacking | MendedByCommit},
    {ProblemKind::ChangedSetting, "changed setting", "Einstellungsdatei ist nicht leer",
     MendedByCommit},
    // Loading takes such a sound over as a row; the user must not clean it up by hand
    // believing it lost.
    {ProblemKind::NotInIndex, "not in index",
     "Nicht in tonkat.tkx verzeichnet, das Modul spielt sie trotzdem; der nächste Start "
     "übernimmt sie als Zeile",
     0},
    {ProblemKind::RandomGap, "random gap",
     "Zufallsnummern nicht lückenlos von 1 an, das nächste Speichern schließt die Lücke",
     MendedByCommit},
    {ProblemKind::SecondIndexLine, "second index line",
     "In tonkat.tkx ein zweites Mal mit anderer Quelle verzeichnet, es gilt die erste Zeile", 0},
    {ProblemKind::SecondSettingFile, "second setting file", "Zweite Datei für dieselbe Einstellung",
     0},
    {ProblemKind::TemporaryFile, "temporary file", "Rest eines unterbrochenen Speichervorgangs", 0},
    {ProblemKind::ForeignJournal, "journal of another index",
     "Plan eines Speichervorgangs, der nicht zu diesem USB-Stick gehört; er wird nicht "
     "ausgeführt",
     0},
    {ProblemKind::MacLeftover, "macOS leftover", "Überbleibsel von macOS", 0},
    {ProblemKind::StickUnreadable, "stick unreadable",
     "Der USB-Stick wurde entfernt oder kann nicht gelesen werden", 0},
    {ProblemKind::WrongFileSystem, "wrong file system",
     "Dateisystem %1: das Soundmodul liest nur FAT32 oder FAT16", AboutMedium},
    {ProblemKind::NotEnoughSpace, "not enough space",
     "Zu wenig Platz: die nächsten Kopien brauchen %1, frei sind %2", AboutMedium},
}};

// A temporary file that a pending commit still needs stays.
constexpr std::string_view StillNeeded = ", wird beim nächsten Speichern gebraucht";

const ProblemKindRow& rowOf(ProblemKind kind) {
    return *std::find_if(ProblemKinds.begin(), ProblemKinds.end(),
                         [kind](const ProblemKindRow& row) { return row.kind == kind; });
}

// The text with %1 and %2 replaced in one pass, so that a value holding "%2" stays as it is.
std::string filledIn(std::string_view text, const std::string& first, const std::string& second) {
    std::string filled;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == '1' || text[i + 1] == '2')) {
            filled += text[++i] == '1' ? first : second;
        } else {
            filled += text[i];
        }
    }
    return filled;
}

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
        , m_stick(files, session.stick().root()) {}

    std::vector<StickProblem> run() {
        // A stick pulled out lacks nothing: it cannot be read, and its bare mount point says
        // nothing about the files on it.
        if (!m_files.listFiles(m_session.stick().root()) ||
            !StickFiles(m_files, m_session.stick().root(), m_session.stick().identity())
                 .isStillTheStick()) {
            add(ProblemKind::StickUnreadable, m_session.stick().root());
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
    void add(ProblemKind kind, std::string file, bool removable = false, bool folder = false) {
        m_found.push_back({kind, std::move(file), removable, folder});
    }

    // What the index file on the stick lists: loading shows unlisted sound files as rows, but
    // the module plays them whatever the table shows.
    void readIndex() {
        const std::string& root = m_session.stick().root();
        // A stick whose index file is lost is opened from the temporary one an interrupted
        // commit left, and lists what that one lists.
        auto bytes = m_files.readFile(root + m_session.stick().indexFileName());
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
        for (const SoundEntry& entry : m_session.table().entries()) {
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
        const SettingsTable& settings = m_session.settings().CurrentSettings;
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
        auto names =
            m_files.listFiles(m_session.stick().root()).value_or(std::vector<std::string>{});
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
            journalStateOf(m_stick, m_session.stick().indexFileName()) == JournalState::Foreign;
        const bool indexPresent = std::any_of(names.begin(), names.end(), [&](const auto& name) {
            return sameFileName(name, m_session.stick().indexFileName());
        });
        const SettingsTable& settings = m_session.settings().CurrentSettings;
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
            const std::string path = m_session.stick().root() + std::string(name);
            if (m_files.identity(path) && !m_files.FileExists(path)) {
                add(ProblemKind::MacLeftover, std::string(name), true, true);
            }
        }
    }

    void checkMedium() {
        if (const auto volume = m_files.volumeInfo(m_session.stick().root());
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

std::string_view problemWord(ProblemKind kind) {
    return rowOf(kind).word;
}

bool StickProblem::isAboutMedium() const {
    return (rowOf(kind).traits & AboutMedium) != 0;
}

bool StickProblem::isLacking() const {
    return (rowOf(kind).traits & Lacking) != 0;
}

bool StickProblem::isMendedByCommit() const {
    return (rowOf(kind).traits & MendedByCommit) != 0;
}

std::string findingText(const StickProblem& problem) {
    const std::string_view text = rowOf(problem.kind).text;
    switch (problem.kind) {
    case ProblemKind::TemporaryFile:
        return problem.removable ? std::string(text) : std::string(text) + std::string(StillNeeded);
    case ProblemKind::WrongFileSystem:
        return filledIn(text, problem.file, {});
    case ProblemKind::NotEnoughSpace:
        return filledIn(text, byteSizeText(problem.neededBytes), byteSizeText(problem.freeBytes));
    default:
        return std::string(text);
    }
}

SoundState soundStateOf(const Session& session, FileOperations& files, const SoundEntry& entry) {
    StickFiles stick(files, session.stick().root());
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
