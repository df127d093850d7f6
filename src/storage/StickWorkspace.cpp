#include "storage/StickWorkspace.h"

#include "model/SoundFileDrop.h"
#include "storage/EventResult.h"
#include "storage/RowDeletion.h"
#include "storage/StickChange.h"
#include "storage/StickFiles.h"
#include "storage/StickReconciliation.h"
#include "storage/StickSelection.h"

#include <algorithm>

namespace tonarion {

StickWorkspace::StickWorkspace(Session& session, FileOperations& files, UserInterface& ui)
    : m_session(session)
    , m_files(files)
    , m_ui(ui) {}

IndexReadResult StickWorkspace::load(const std::string& programFolder) {
    if (!claimStick(m_session, m_files, m_ui)) {
        return IndexReadResult::StickInUse;
    }
    m_session.SaveNeeded = false;
    m_session.table.clear();
    m_session.counters.reset();
    m_session.settings = {};
    // Work that an earlier run began on the stick and could not finish is finished first, so
    // that the index file read is the one that run was heading for.
    StickFiles stick(m_files, m_session.stickRoot, m_session.stickIdentity);
    const bool finished = finishInterruptedChange(stick, m_session.indexFileName);
    const IndexReadResult result = IndexLesen(m_session, m_files, m_ui, programFolder);
    m_session.stickFiles.clear();
    if (result == IndexReadResult::Read) {
        reconcileWithStick(m_session, m_files, m_ui);
        // The sounds that run had yet to copy come with the next commit.
        m_session.SaveNeeded = m_session.SaveNeeded || finished;
    }
    return result;
}

CommitResult StickWorkspace::commit() {
    return CommitToStick(m_session, m_files, m_ui);
}

int StickWorkspace::dropFiles(const std::optional<std::vector<std::string>>& fileList) {
    const int firstNewRow = m_session.table.nextRow();
    // Something that is there but is no regular file never becomes a row.
    const auto isSoundFile = [this](const std::string& path) {
        return m_files.status(path).has_value() || !m_files.identity(path);
    };
    const int added = DropFiles(m_session.table, fileList, m_ui, isSoundFile);
    if (m_inspector && added > 0) {
        std::vector<std::string> paths;
        for (int row = firstNewRow; row < firstNewRow + added; ++row) {
            paths.push_back(m_session.table.row(row).sourcePath);
        }
        tellInvalidSounds(m_ui, invalidSounds(*m_inspector, paths));
    }
    return added;
}

std::optional<NeuerEintrag> StickWorkspace::compose(int editRow, const EventSelection& selection) {
    return EintragZusammensetzen(selection, editRow, m_session, m_ui);
}

void StickWorkspace::applyEventResult(int editRow, const std::string& oldName,
                                      const NeuerEintrag& entry) {
    tonarion::applyEventResult(m_session, m_files, m_ui, editRow, oldName, entry);
}

std::optional<std::string> StickWorkspace::bind(int editRow, const EventSelection& selection) {
    if (!m_session.table.isEntryRow(editRow)) {
        return std::nullopt;
    }
    const std::string oldName = m_session.table.row(editRow).entryName;
    const auto entry = compose(editRow, selection);
    if (!entry) {
        return std::nullopt;
    }
    applyEventResult(editRow, oldName, *entry);
    return entry->entryName();
}

// The stick follows at once: the module would otherwise go on playing the deleted sound, and
// the renumbered random sounds would stand under names the index file does not give them.
CommitResult StickWorkspace::deleteRows(std::vector<int> rows) {
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
        if (!m_files.FileExists(m_session.stickRoot +
                                m_session.settings.CurrentSettings[setting])) {
            commit();
            break;
        }
    }
    return SettingsForm(m_session, m_ui);
}

SettingsForm::CloseOutcome StickWorkspace::closeSettings(SettingsForm& form) {
    const auto outcome = form.closeRequest();
    if (outcome == SettingsForm::CloseOutcome::Save) {
        commit();
    }
    return outcome;
}

std::string StickWorkspace::counterReport() const {
    return tonarion::counterReport(m_session.counters, m_session.table.nextRow());
}

} // namespace tonarion
