#pragma once

#include "event/EintragZusammensetzen.h"
#include "event/EventSelection.h"
#include "model/UserInterface.h"
#include "settings/SettingsForm.h"
#include "sound/SoundInspector.h"
#include "storage/CommitToStick.h"
#include "storage/DriveDiscovery.h"
#include "storage/FileOperations.h"
#include "storage/IndexFile.h"
#include "storage/Session.h"
#include "storage/StickEjector.h"
#include "workspace/Outcome.h"
#include "workspace/SoundList.h"
#include "workspace/SoundPreparation.h"
#include "workspace/StickCleanUp.h"
#include "workspace/StickVerification.h"

#include <optional>
#include <string>
#include <vector>

namespace tonarion {

inline constexpr const char* UnstorablePathMessage =
    "Der Pfad dieser Dateien enthält Zeichen, die tonkat.tkx nicht speichern kann. Benennen Sie "
    "die Datei oder ihren Ordner um und ziehen Sie sie erneut in die Tabelle:";

// What a drop came to: the rows it added, why files of it were left out (each cause once, in
// the order the user hears them), and the added files whose content would not play. The
// rows before a refused file stay, and so do the rows of files that would not play: the
// extension is what the user was told counts, and the file may still be replaced.
struct DropOutcome {
    int added = 0;
    std::vector<Outcome> refusals;
    std::vector<std::string> unplayable;
};

// Tells the refusals, then names the files that would not play, in one message each.
void tellDropOutcome(UserInterface& ui, const DropOutcome& dropped);

// The work the user does on a stick, in one place for both front ends: the windows and
// tonarion-cli reach the stick through exactly these operations and nothing else. They read
// the table through its const view and hear of its changes through its observer.
class StickWorkspace {
public:
    StickWorkspace(Session& session, FileOperations& files, UserInterface& ui);

    // Choosing the stick, before load(). Each way ends with a stick root that ends in its
    // separator and an index file to read. The outcome says why not; the front end tells it.
    //
    // A folder named when the program starts: it has to exist and take files. A stick without
    // an index file gets a fresh one that takes over the sounds already on it.
    Outcome openStartFolder(const std::string& folder);
    // The first USB drive whose root holds an index file; false, silently, when none does.
    bool openFirstStickWithIndex(const DriveList& drives);
    // A root from the drive list or typed by hand, taken as it is; a stick without an index
    // file gets a fresh one. After a refusal another root may be tried.
    Outcome openStick(const std::string& root);
    // A drive of the list as the drive dialog names it: label, size, free space, file system.
    DriveDescription describeDrive(const std::string& root) const {
        return tonarion::describeDrive(root, m_files.volumeInfo(root));
    }
    // A folder named to tonarion-cli, made absolute, gets a fresh index file like openStick.
    Outcome openFolder(const std::string& folder);
    // A folder named to tonarion-cli for work on what it holds: a stick without an index file
    // is taken over only when it holds sounds or settings, since an empty folder is more
    // likely a typing error than a stick (refused as NoIndexFile, with no text of its own).
    Outcome openExistingStick(const std::string& folder);

    const std::string& stickRoot() const { return m_session.stick().root(); }
    // For a workspace that reads the stick without taking it: whether another Tonarion
    // window or tonarion-cli works on it meanwhile, so that what is read may change.
    bool isStickLockedByAnother() const {
        return m_files.isLockedByAnother(m_session.stick().root());
    }
    const SoundTable& table() const { return m_session.table(); }
    bool commitRunning() const { return m_session.stick().commitRunning(); }

    // The main window's load: an empty table, SaveNeeded cleared, the index file read. An
    // index file that cannot be read fails with nothing to tell and leaves an empty table.
    Outcome loadStick(const std::string& programFolder);
    // The same for a caller without a front end of its own: the failure is told here.
    IndexReadResult load(const std::string& programFolder);

    Outcome commit();
    // "USB-Stick sicher entfernen": commits, lets go of the stick and has it ejected. Done
    // when it may be pulled and the program is to end, with the message that says so;
    // otherwise the stick is held again and the outcome says why not.
    Outcome removeStick(StickEjector& ejector);

    // Dropped files; nothing for data without a file list. With an inspector set, the added
    // files are looked into at once. A path the index file's Windows-1252 cannot spell is not
    // added: it would be stored as the path of another file.
    DropOutcome dropFiles(const std::optional<std::vector<std::string>>& fileList);
    // The front end that checks on a worker thread of its own sets none.
    void setSoundInspector(SoundInspector* inspector) { m_inspector = inspector; }
    // With a converter set, dropped files of other formats that it reads are offered for
    // conversion, once per drop; converted, they become rows like MP3s. A cancelled or failed
    // conversion adds none of the drop's files.
    void setSoundConverter(SoundConverter* converter) { m_converter = converter; }

    // "Für das Soundmodul aufbereiten": the rows' sounds encoded anew in the one profile every
    // module plays. "Lautstärke angleichen...": brought to one loudness. Either changes a
    // bound row's sound on the stick at once, and an unbound row's when it is bound.
    // The outcome is the conversion's, or the commit's that followed it.
    Outcome prepareForModule(const std::vector<int>& rows);
    Outcome levelLoudness(const std::vector<int>& rows, double targetLufs);
    // The loudness of a row's sound; nothing for silence, or without a converter.
    std::optional<Loudness> loudnessOf(int row);
    // The median loudness of the bound rows' sounds: a target that moves the fewest far.
    std::optional<double> medianLoudness();
    // Whether the row's sound was made here and has yet to reach the stick.
    bool holdsPreparedSound(const SoundEntry& entry) const {
        return m_session.preparedSoundOf(entry.sourcePath) != nullptr;
    }

    // OK in the event dialog for row editRow: the checked entry, or the refusal with the
    // dialog's message for it, KindFull or ChoiceMissing.
    OutcomeOr<NeuerEintrag> compose(int editRow, const EventSelection& selection);
    // The main window's part once the dialog has closed: row, commit, old stick file. The
    // outcome is the commit's.
    Outcome applyEventResult(int editRow, const std::string& oldName, const NeuerEintrag& entry);
    // Both at once, as the command line binds a row: the new EntryName and what its commit
    // came to, or why the row was not bound.
    struct Binding {
        std::string entryName;
        Outcome committed;
    };
    OutcomeOr<Binding> bind(int editRow, const EventSelection& selection);

    // "Zeile löschen" for rows as numbered before the first goes; the stick follows at once.
    Outcome deleteRows(std::vector<int> rows);
    Outcome deleteRow(int row) { return deleteRows({row}); }

    // The settings dialog: opening commits first when a setting file is missing on the
    // stick, and what that commit has to say is told as it happens, before the dialog shows.
    SettingsForm openSettings();
    // Closing asks whether to save what changed. Done when nothing changed or what changed is
    // on the stick; refused as Declined when the user answered "Nein" (the settings are as
    // before), or as SettingRefused with the field's refusal (the dialog stays open); the
    // commit's outcome when it failed.
    Outcome closeSettings(SettingsForm& form);

    // Sorts the rows by a column, as a click on its header does; the stick does not change.
    void sortByColumn(Column column) { m_session.table().sortByColumn(column); }

    // Only a row that holds a sound file can be bound; the empty last row never can.
    bool canBind(int row) const;
    // The file to listen to or look into for a row: its source, or the stick's copy when the
    // source is gone.
    std::string soundFileOf(const SoundEntry& entry) const;
    SoundState soundState(const SoundEntry& entry) const;
    // Whether the stick holds a file under this name, whatever its letter case.
    bool stickHolds(const std::string& name) const;
    // The stick as it stands on stickAsItIs against the table loaded here: tonarion-cli loads
    // through a preview that repairs in memory and checks the real stick.
    std::vector<StickProblem> verify(FileOperations& stickAsItIs) const;
    // What the check finds and a commit mends (a sound or setting file missing or changed
    // while its source is there) is marked for the next commit; true when there is any.
    bool takeUpRepairs();
    // "USB-Stick prüfen..." on the stick this workspace works on.
    std::vector<StickProblem> checkStick() const { return verify(m_files); }
    // "Bereinigen": checks the stick afresh, names what may go, asks, and deletes it.
    Outcome cleanUpStick();

    // The list for paper and spreadsheets: by kind of event and address, in words.
    SoundList soundList() const { return soundListOf(m_session.table()); }

    std::string counterReport() const;
    const KindCounters& counters() const { return m_session.counters(); }
    const SettingsTable& currentSettings() const { return m_session.settings().CurrentSettings; }

private:
    Session& m_session;
    FileOperations& m_files;
    UserInterface& m_ui;
    Outcome commitPrepared(const std::vector<int>& rows, Outcome prepared);
    // The stick at the session's root held for this program, with an index file.
    Outcome takeStick();

    SoundInspector* m_inspector = nullptr;
    SoundConverter* m_converter = nullptr;
};

} // namespace tonarion
