#include "workspace/StickWorkspace.h"

#include "event/EventOptions.h"
#include "model/EntryName.h"
#include "model/SoundFileDrop.h"
#include "sound/InvalidSounds.h"
#include "storage/StickChange.h"
#include "storage/StickFiles.h"
#include "storage/StickReconciliation.h"
#include "storage/StickSelection.h"
#include "storage/Windows1252.h"
#include "storage/platform/SystemPlatform.h"
#include "workspace/EventResult.h"
#include "workspace/RowDeletion.h"
#include "workspace/StickCommit.h"
#include "workspace/StickRemoval.h"

#include <algorithm>

namespace tonarion {

StickWorkspace::StickWorkspace(Session& session, FileOperations& files, UserInterface& ui)
    : m_session(session)
    , m_files(files)
    , m_ui(ui) {}

namespace {

inline constexpr const char* ProgramEnds = "Das Programm wird beendet!";

// A kind whose group is full is the reason whichever missing choice the composer named
// first: no choice can make its entry fit on the stick.
bool kindFull(const EventSelection& selection, const KindCounters& counters, char oldKind) {
    if (!selection.selEreignis || *selection.selEreignis < 0 ||
        *selection.selEreignis >= EventKindCount) {
        return false;
    }
    const auto group =
        groupOfKind(KindOptions[static_cast<std::size_t>(*selection.selEreignis)].letter);
    return group && counters.wouldExceed(*group, oldKind);
}

} // namespace

Outcome StickWorkspace::openStartFolder(const std::string& folder) {
    const std::string root = stickRootOf(folder);
    // The outcome names the folder that failed, and how, before anything else happens.
    if (const auto listed = m_files.listFiles(root); !listed) {
        return Outcome::failed(
            OutcomeReason::FolderMissing, root, listed.error(),
            criticalMessage("Der Ordner " + root + " existiert nicht.\r\n" + ProgramEnds));
    }
    const std::string probe = root + ".tonarion-schreibprobe";
    if (const FileResult written = m_files.writeFileDurably(probe, {}); written.failed()) {
        return Outcome::failed(OutcomeReason::FolderNotWritable, root, written.error(),
                               criticalMessage("In den Ordner " + root +
                                               " kann nicht geschrieben werden.\r\n" +
                                               ProgramEnds));
    }
    m_files.ShellDelete(probe);
    return openStick(root);
}

bool StickWorkspace::openFirstStickWithIndex(const DriveList& drives) {
    const auto root = firstStickWithIndex(drives, m_files);
    if (!root) {
        return false;
    }
    m_session.stick().setRoot(*root);
    m_session.stick().setIndexFileName(
        findIndexFile(m_files, *root, false).value_or(m_session.stick().indexFileName()));
    return true;
}

Outcome StickWorkspace::openStick(const std::string& root) {
    m_session.stick().setRoot(root);
    return takeStick();
}

Outcome StickWorkspace::takeStick() {
    ReasonHold hold(m_ui);
    if (!claimStick(m_session, m_files, hold)) {
        return Outcome::refused(OutcomeReason::StickInUse, hold.take());
    }
    // Held now, the stick is refused only for want of an index file.
    if (!gueltigeAuswahl(m_session, m_files, hold)) {
        return Outcome::failed(OutcomeReason::IndexNotCreated,
                               m_session.stick().root() + IndexFileName, {}, hold.take());
    }
    return Outcome::done();
}

Outcome StickWorkspace::openFolder(const std::string& folder) {
    return openStick(stickRootOf(folder));
}

Outcome StickWorkspace::openExistingStick(const std::string& folder) {
    m_session.stick().setRoot(stickRootOf(folder));
    if (const auto indexName = findIndexFile(m_files, m_session.stick().root(), false)) {
        m_session.stick().setIndexFileName(*indexName);
        return Outcome::done();
    }
    const auto names =
        m_files.listFiles(m_session.stick().root()).value_or(std::vector<std::string>{});
    const bool holdsSounds = std::any_of(names.begin(), names.end(), [](const auto& name) {
        return looksLikeEntryName(name) || isSettingName(name);
    });
    if (!holdsSounds) {
        return Outcome::refused(OutcomeReason::NoIndexFile);
    }
    return takeStick();
}

IndexReadResult StickWorkspace::load(const std::string& programFolder) {
    const Outcome loaded = loadStick(programFolder);
    tellOutcome(m_ui, loaded);
    switch (loaded.reason) {
    case OutcomeReason::StickInUse:
        return IndexReadResult::StickInUse;
    case OutcomeReason::StickGone:
        return IndexReadResult::DriveNotReady;
    case OutcomeReason::IndexUnreadable:
        return IndexReadResult::Unreadable;
    default:
        return IndexReadResult::Read;
    }
}

Outcome StickWorkspace::loadStick(const std::string& programFolder) {
    ReasonHold hold(m_ui);
    if (!claimStick(m_session, m_files, hold)) {
        return Outcome::refused(OutcomeReason::StickInUse, hold.take());
    }
    // What an interrupted commit left is repaired only now that this program holds the
    // stick, never while another one may be writing it.
    m_session.stick().setIndexFileName(findIndexFile(m_files, m_session.stick().root())
                                           .value_or(m_session.stick().indexFileName()));
    m_session.clearForLoading();
    // Work that an earlier run began on the stick and could not finish is finished first, so
    // that the index file read is the one that run was heading for.
    StickFiles stick(m_files, m_session.stick().root(), m_session.stick().identity());
    const bool finished = finishInterruptedChange(stick, m_session.stick().indexFileName());
    const IndexReadResult result = IndexLesen(m_session, m_files, hold, programFolder);
    m_session.stick().fileCache().clear();
    switch (result) {
    case IndexReadResult::Read:
        reconcileWithStick(m_session, m_files, hold);
        // The module plays random sounds numbered 1 to N: a stick with gaps (or a number
        // twice) gets them closed at its next commit.
        closeRandomGaps(m_session);
        // The sounds that run had yet to copy come with the next commit.
        if (finished) {
            m_session.markChanged();
        }
        return Outcome::done();
    case IndexReadResult::DriveNotReady:
        return Outcome::failed(OutcomeReason::StickGone, m_session.stick().root(), {}, hold.take());
    default:
        return Outcome::failed(OutcomeReason::IndexUnreadable,
                               m_session.stick().root() + m_session.stick().indexFileName(), {});
    }
}

Outcome StickWorkspace::commit() {
    return commitStick(m_session, m_files, m_ui);
}

Outcome StickWorkspace::removeStick(StickEjector& ejector) {
    return removeStickSafely(m_session, m_files, m_ui, ejector);
}

DropOutcome StickWorkspace::dropFiles(const std::optional<std::vector<std::string>>& fileList) {
    DropOutcome outcome;
    const int firstNewRow = m_session.table().nextRow();
    // Something that is there but is no regular file never becomes a row.
    const auto isSoundFile = [this](const std::string& path) {
        return m_files.status(path).has_value() || !m_files.identity(path);
    };
    std::optional<std::vector<std::string>> storable = fileList;
    std::string unstorable;
    if (storable) {
        std::erase_if(*storable, [&](const std::string& path) {
            const bool spelt = windows1252ToUtf8(utf8ToWindows1252(path)) == path;
            if (!spelt) {
                unstorable += "\r\n" + path;
            }
            return !spelt;
        });
    }
    std::vector<std::string> converted;
    if (m_converter && storable) {
        SoundPreparation preparation(m_session, m_files, m_ui, *m_converter);
        auto convertible = preparation.convertibleFiles(*storable);
        if (!convertible.empty() &&
            askYesNo(m_ui, convertQuestion(static_cast<int>(convertible.size())))) {
            // A cancelled or failed conversion adds none of the drop's files.
            if (Outcome convertedAll = preparation.convertFiles(convertible); !convertedAll) {
                outcome.refusals.push_back(std::move(convertedAll));
                return outcome;
            }
            converted = std::move(convertible);
        }
    }
    const auto isConverted = [&converted](const std::string& path) {
        return std::find(converted.begin(), converted.end(), path) != converted.end();
    };
    const DropResult dropped = DropFiles(m_session.table(), storable, isSoundFile, isConverted);
    outcome.added = dropped.added;
    if (dropped.stoppedBy == DropResult::Stop::NotAnMp3) {
        outcome.refusals.push_back(
            Outcome::refused(OutcomeReason::NotAnMp3, informationMessage(NotMp3Message)));
    } else if (dropped.stoppedBy == DropResult::Stop::ControlCharacter) {
        outcome.refusals.push_back(Outcome::refused(OutcomeReason::ControlCharacter,
                                                    informationMessage(ControlCharacterMessage)));
    }
    if (!unstorable.empty()) {
        outcome.refusals.push_back(
            Outcome::refused(OutcomeReason::UnstorablePath,
                             informationMessage(UnstorablePathMessage + ("\r\n" + unstorable))));
    }
    if (m_inspector && outcome.added > 0) {
        std::vector<std::string> paths;
        for (int row = firstNewRow; row < firstNewRow + outcome.added; ++row) {
            // A converted sound was made to the module's profile: it needs no look.
            if (!isConverted(m_session.table().row(row).sourcePath)) {
                paths.push_back(m_session.table().row(row).sourcePath);
            }
        }
        outcome.unplayable = invalidSounds(*m_inspector, paths);
    }
    return outcome;
}

void tellDropOutcome(UserInterface& ui, const DropOutcome& dropped) {
    for (const Outcome& refusal : dropped.refusals) {
        tellOutcome(ui, refusal);
    }
    tellInvalidSounds(ui, dropped.unplayable);
}

Outcome StickWorkspace::prepareForModule(const std::vector<int>& rows) {
    if (!m_converter) {
        return Outcome::failed(OutcomeReason::ConversionFailed, {}, {});
    }
    SoundPreparation preparation(m_session, m_files, m_ui, *m_converter);
    return commitPrepared(rows, preparation.encodeRows(rows));
}

Outcome StickWorkspace::levelLoudness(const std::vector<int>& rows, double targetLufs) {
    if (!m_converter) {
        return Outcome::failed(OutcomeReason::ConversionFailed, {}, {});
    }
    SoundPreparation preparation(m_session, m_files, m_ui, *m_converter);
    return commitPrepared(rows, preparation.encodeRows(rows, targetLufs));
}

// Bound rows whose sound changed go to the stick at once, as every other change does.
Outcome StickWorkspace::commitPrepared(const std::vector<int>& rows, Outcome prepared) {
    if (!prepared) {
        return prepared;
    }
    const bool anyBound = std::any_of(rows.begin(), rows.end(), [this](int row) {
        return m_session.table().isEntryRow(row) && m_session.table().row(row).isBound();
    });
    if (!anyBound) {
        return prepared;
    }
    m_session.markChanged();
    return commit();
}

std::optional<Loudness> StickWorkspace::loudnessOf(int row) {
    if (!m_converter || !m_session.table().isEntryRow(row)) {
        return std::nullopt;
    }
    return SoundPreparation(m_session, m_files, m_ui, *m_converter).loudnessOf(row);
}

std::optional<double> StickWorkspace::medianLoudness() {
    std::vector<double> levels;
    for (int row = 1; row < m_session.table().nextRow(); ++row) {
        if (!m_session.table().row(row).isBound()) {
            continue;
        }
        if (const auto loudness = loudnessOf(row)) {
            levels.push_back(loudness->lufs);
        }
    }
    if (levels.empty()) {
        return std::nullopt;
    }
    const auto middle = levels.begin() + static_cast<std::ptrdiff_t>(levels.size() / 2);
    std::nth_element(levels.begin(), middle, levels.end());
    if (levels.size() % 2 == 1) {
        return *middle;
    }
    const double below = *std::max_element(levels.begin(), middle);
    return (below + *middle) / 2;
}

OutcomeOr<NeuerEintrag> StickWorkspace::compose(int editRow, const EventSelection& selection) {
    const char oldKind = m_session.table().isEntryRow(editRow)
                             ? kindOf(m_session.table().row(editRow).entryName)
                             : ' ';
    ReasonHold hold(m_ui);
    auto entry =
        EintragZusammensetzen(selection, editRow, m_session.table(), m_session.counters(), hold);
    if (!entry) {
        return Outcome::refused(kindFull(selection, m_session.counters(), oldKind)
                                    ? OutcomeReason::KindFull
                                    : OutcomeReason::ChoiceMissing,
                                hold.take());
    }
    m_session.markChanged();
    return std::move(*entry);
}

Outcome StickWorkspace::applyEventResult(int editRow, const std::string& oldName,
                                         const NeuerEintrag& entry) {
    return tonarion::applyEventResult(m_session, m_files, m_ui, editRow, oldName, entry);
}

OutcomeOr<StickWorkspace::Binding> StickWorkspace::bind(int editRow,
                                                        const EventSelection& selection) {
    if (!canBind(editRow)) {
        return Outcome::refused(OutcomeReason::NoSoundFile);
    }
    const std::string oldName = m_session.table().row(editRow).entryName;
    const auto entry = compose(editRow, selection);
    if (!entry) {
        return entry.outcome();
    }
    Outcome committed = applyEventResult(editRow, oldName, *entry);
    return Binding{entry->entryName(), std::move(committed)};
}

// The stick follows at once: the module would otherwise go on playing the deleted sound, and
// the renumbered random sounds would stand under names the index file does not give them.
Outcome StickWorkspace::deleteRows(std::vector<int> rows) {
    // From the bottom up, so that every number still names the row it named before.
    std::sort(rows.rbegin(), rows.rend());
    for (const int row : rows) {
        tonarion::deleteRow(m_session, row);
    }
    return commit();
}

SettingsForm StickWorkspace::openSettings() {
    for (const Setting setting : AllSettings) {
        // An empty name tests the root itself, a folder, and so counts as missing.
        if (!m_files.FileExists(m_session.stick().root() +
                                m_session.settings().CurrentSettings[setting])) {
            tellOutcome(m_ui, commit());
            break;
        }
    }
    return SettingsForm(m_session.settings(), m_ui);
}

Outcome StickWorkspace::closeSettings(SettingsForm& form) {
    switch (form.closeRequest()) {
    case SettingsForm::CloseOutcome::Unchanged:
        return Outcome::done();
    case SettingsForm::CloseOutcome::Discarded:
        return Outcome::refused(OutcomeReason::Declined);
    case SettingsForm::CloseOutcome::Refused:
        return Outcome::refused(OutcomeReason::SettingRefused,
                                criticalMessage(form.refusal().value_or(std::string())));
    case SettingsForm::CloseOutcome::Save:
        break;
    }
    m_session.markChanged();
    return commit();
}

bool StickWorkspace::canBind(int row) const {
    return m_session.table().isEntryRow(row) && !m_session.table().row(row).sourcePath.empty();
}

std::string StickWorkspace::soundFileOf(const SoundEntry& entry) const {
    if (entry.entryName.empty() || m_files.FileExists(entry.sourcePath)) {
        return entry.sourcePath;
    }
    return m_session.stick().root() + entry.entryName;
}

SoundState StickWorkspace::soundState(const SoundEntry& entry) const {
    return soundStateOf(m_session, m_files, entry);
}

bool StickWorkspace::stickHolds(const std::string& name) const {
    return StickFiles(m_files, m_session.stick().root()).exists(name);
}

std::vector<StickProblem> StickWorkspace::verify(FileOperations& stickAsItIs) const {
    return verifyStick(m_session, stickAsItIs);
}

bool StickWorkspace::takeUpRepairs() {
    const auto problems = checkStick();
    const bool mendable = std::any_of(problems.begin(), problems.end(), [](const auto& problem) {
        return problem.isMendedByCommit();
    });
    if (mendable) {
        // The commit looks at every file afresh.
        m_session.stick().fileCache().clear();
        m_session.markChanged();
    }
    return mendable;
}

Outcome StickWorkspace::cleanUpStick() {
    return tonarion::cleanUpStick(m_session, m_files, m_ui, checkStick());
}

std::string StickWorkspace::counterReport() const {
    return tonarion::counterReport(m_session.counters(), m_session.table().nextRow());
}

} // namespace tonarion
