#pragma once

#include "event/EintragZusammensetzen.h"
#include "gui/SoundGrid.h"
#include "gui/SystemStickEjector.h"
#include "sound/SoundConverter.h"
#include "sound/SoundInspector.h"
#include "sound/SoundPlayer.h"
#include "workspace/StickWorkspace.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class QMenu;
class QPushButton;

namespace tonarion {

class SoundChecker;
class SoundPlayback;
class SoundTableModel;

// frmMain: the stick's sounds in the grid, the buttons below it, and the hub from which the
// user adds, binds and deletes sounds and opens the module settings. Closing it writes the
// stick and ends the program.
class MainWindow final : public QWidget {
    Q_OBJECT
public:
    // Asks the user for sound files to add; nothing when the user cancels.
    using SoundFileChooser = std::function<std::vector<std::string>(QWidget* parent)>;

    MainWindow(StickWorkspace& workspace, UserInterface& ui, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The file dialog of "Sounddateien hinzufügen..."; tests answer it themselves.
    void setSoundFileChooser(SoundFileChooser chooser) { m_chooseSoundFiles = std::move(chooser); }
    static std::vector<std::string> askForSoundFiles(QWidget* parent);
    // What looks into the sounds, on a worker thread; tests give their own before load.
    void setSoundInspector(SoundInspector& inspector);
    // What plays "Anhören"; tests give their own. A stopped sound's thread may outlive the
    // window, so the player is shared with it.
    void setSoundPlayer(std::shared_ptr<SoundPlayer> player);
    SoundPlayback* playback() const { return m_playback; }
    // What ejects the stick for "USB-Stick sicher entfernen"; tests give their own.
    void setStickEjector(StickEjector& ejector) { m_ejector = &ejector; }

    // Prepares the grid and reads the stick's index file. False when the stick is not
    // ready: the user was told, and the program ends.
    bool load(const std::string& programFolder);

    // Runs whenever the window becomes active: the caption, then a pending event result.
    void activate();

    // Opens the event dialog for the grid's current row (a click in the Ereigniss column).
    void openEventDialogForCurrentRow();
    // Opens the module settings ("Modul Einstellungen").
    void openModuleSettings();

    void sortByColumn(int gridColumn);
    void fitColumnWidths();
    // "Zeile löschen" or Delete: one selected row goes at once, as always; several go
    // after one question.
    void deleteSelectedRows();
    // "Sounddateien hinzufügen...": the chosen files are added as a drop of them would be.
    void addSoundFiles();
    void showCounterReport();
    // "Anhören" or Space: the current row's sound plays, or stops when it is playing.
    void listenToCurrentRow();
    // "Für das Soundmodul aufbereiten": the selected rows whose sound small players stumble
    // over are encoded anew, and the stick takes them at once.
    void prepareSelectedRowsForModule();
    // "Lautstärke angleichen...": the levelling dialog, then the chosen sounds levelled.
    void levelLoudness();
    // "USB-Stick sicher entfernen": once the stick may be pulled, the program ends as after
    // "Beenden"; otherwise the window stays on the stick.
    void removeStick();

    SoundGrid* grid() const { return m_grid; }
    SoundTableModel* model() const { return m_model; }
    QMenu* popupMenu() const { return m_popup; }

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void setUpGrid();
    void onCellClicked(SoundGrid::Cell cell);
    // A close that arrived while a commit ran is carried out once the commit is done.
    void closeIfAskedDuringCommit();
    // "Beenden": rows without an event are not written to the stick and are gone with the
    // window, so the user says first whether to end anyway.
    bool userAgreesToEnd();
    // Dropped or chosen files, added as a drop adds them.
    void addFiles(const std::optional<std::vector<std::string>>& files);
    // A drop's files, added once the drop itself has ended.
    void addFilesLater(const std::optional<std::vector<std::string>>& files);
    // Queues the sounds of the rows for the worker; report: tell the user about those that
    // would not play once all are looked at.
    void checkSounds(const std::vector<int>& rows, bool report);
    void checkSounds(int first, int last, bool report);
    // The rows whose sound has not been queued under its present path (a sound made in
    // memory, once a commit has put it on the stick).
    void checkSoundsNotLookedAt();
    // After converting or levelling: the rows' sounds are new.
    void checkChangedSounds(const std::vector<int>& rows);
    // The popup's entries that need a look into the sounds are offered where they can act.
    void enableSoundEntries();
    // The selected rows whose sound the check found wanting in a way a new encode mends.
    std::vector<int> selectedRowsToPrepare() const;
    // Every row that holds a sound, in table order.
    std::vector<int> rowsWithSound() const;

    struct PendingEventResult {
        int editRow;
        std::string oldName;
        NeuerEintrag entry;
    };

    StickWorkspace& m_workspace;
    UserInterface& m_ui;
    SoundTableModel* m_model = nullptr;
    SoundGrid* m_grid = nullptr;
    QPushButton* m_settingsButton = nullptr; // Command4
    QPushButton* m_deleteButton = nullptr;   // Command3
    QPushButton* m_endButton = nullptr;      // cmdBeenden
    QPushButton* m_counterButton = nullptr;  // Command5
    QMenu* m_popup = nullptr;                // mnu_Popup
    QAction* m_listenEntry = nullptr;        // "Anhören" in mnu_Popup
    QAction* m_prepareEntry = nullptr;       // "Für das Soundmodul aufbereiten"
    QAction* m_levelEntry = nullptr;         // "Lautstärke angleichen..."
    SoundFileChooser m_chooseSoundFiles = &MainWindow::askForSoundFiles;
    std::optional<PendingEventResult> m_pendingResult;
    bool m_closeAfterCommit = false;
    std::unique_ptr<SoundInspector> m_ownInspector = makeSoundInspector();
    // What converts dropped sounds and levels them: the workspace uses it while the window
    // lives.
    std::unique_ptr<SoundConverter> m_converter = makeSoundConverter();
    SoundChecker* m_checker = nullptr;
    // The source paths whose sounds were queued for a look.
    std::set<std::string> m_lookedAt;
    SoundPlayback* m_playback = nullptr;
    std::unique_ptr<StickEjector> m_ownEjector = makeSystemStickEjector();
    StickEjector* m_ejector = m_ownEjector.get();
};

} // namespace tonarion
