#pragma once

#include "event/EintragZusammensetzen.h"
#include "event/EventSelection.h"
#include "model/Session.h"
#include "model/UserInterface.h"
#include "settings/SettingsForm.h"
#include "sound/SoundInspector.h"
#include "storage/CommitToStick.h"
#include "storage/FileOperations.h"
#include "storage/IndexFile.h"

#include <optional>
#include <string>
#include <vector>

namespace tonarion {

// The work the user does on a stick, in one place for both front ends: the main window and
// tonarion-cli call exactly these operations.
class StickWorkspace {
public:
    StickWorkspace(Session& session, FileOperations& files, UserInterface& ui);

    Session& session() { return m_session; }
    FileOperations& files() { return m_files; }
    const SoundTable& table() const { return m_session.table; }

    // The main window's load: an empty table, SaveNeeded cleared, the index file read.
    IndexReadResult load(const std::string& programFolder);

    CommitResult commit();

    // Dropped files; nothing for data without a file list. With an inspector set, the added
    // files are looked into at once and those that would not play are named in one message.
    int dropFiles(const std::optional<std::vector<std::string>>& fileList);
    // The front end that checks on a worker thread of its own sets none.
    void setSoundInspector(SoundInspector* inspector) { m_inspector = inspector; }

    // OK in the event dialog for row editRow: the checked entry, or nothing after a message.
    std::optional<NeuerEintrag> compose(int editRow, const EventSelection& selection);
    // The main window's part once the dialog has closed: row, commit, old stick file.
    void applyEventResult(int editRow, const std::string& oldName, const NeuerEintrag& entry);
    // Both at once, as the command line binds a row: the new EntryName, or nothing.
    std::optional<std::string> bind(int editRow, const EventSelection& selection);

    // "Zeile löschen" for rows as numbered before the first goes; the stick follows at once.
    CommitResult deleteRows(std::vector<int> rows);
    CommitResult deleteRow(int row) { return deleteRows({row}); }

    // The settings dialog: opening commits first when a setting file is missing on the
    // stick; closing commits when the user chose to save.
    SettingsForm openSettings();
    SettingsForm::CloseOutcome closeSettings(SettingsForm& form);

    std::string counterReport() const;

private:
    Session& m_session;
    FileOperations& m_files;
    UserInterface& m_ui;
    SoundInspector* m_inspector = nullptr;
};

} // namespace tonarion
