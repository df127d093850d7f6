#include "gui/MainWindow.h"

#include "gui/EventDialog.h"
#include "gui/LevelDialog.h"
#include "gui/ListPrinter.h"
#include "gui/ProgramLook.h"
#include "gui/SettingsDialog.h"
#include "gui/SoundChecker.h"
#include "gui/SoundPlayback.h"
#include "gui/SoundTableModel.h"
#include "gui/StickCheckDialog.h"
#include "gui/Twips.h"
#include "gui/WidgetHelpers.h"
#include "model/SoundFileDrop.h"
#include "sound/InvalidSounds.h"
#include "workspace/Drives.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace tonarion {
namespace {

inline constexpr const char* RetryQuestion = "Erneut versuchen?";
inline constexpr const char* SavingCaption = " Sounddateien werden gespeichert...";
inline constexpr const char* DeleteRowsTitle = "Zeilen löschen";
inline constexpr const char* EndTitle = "Beenden?";

std::string unboundRowsQuestion(int unbound) {
    const std::string rows =
        unbound == 1 ? "1 Zeile hat" : std::to_string(unbound) + " Zeilen haben";
    return rows + " noch kein Ereignis. Nur Zeilen mit Ereignis kommen auf den USB-Stick; " +
           (unbound == 1 ? "diese geht" : "diese gehen") +
           " beim Beenden verloren.\r\n\r\nWollen Sie trotzdem beenden?";
}

// The key is only named: see createControls.
inline constexpr const char* ListenEntry = "Anhören\tLeertaste";
inline constexpr const char* StopListeningEntry = "Anhalten\tLeertaste";

// Extra room beside a column's widest text after fitting.
constexpr int FitMargin = fromTwips(90);

// The window's client area grows the grid and moves the buttons only above this height.
constexpr int MinimumLayoutHeight = fromTwips(500);

} // namespace

MainWindow::MainWindow(StickWorkspace& workspace, UserInterface& ui, QWidget* parent)
    : QWidget(parent)
    , m_workspace(workspace)
    , m_ui(ui) {
    setObjectName("frmMain");
    setWindowTitle(QStringLiteral("Tonarion"));
    setWindowIcon(programIcon());
    resize(twipsSize(14625, 7350));
    centreOnScreen(*this);
    createControls();
    setSoundInspector(*m_ownInspector);
    setSoundPlayer(makeSoundPlayer());
    m_workspace.setSoundConverter(m_converter.get());
}

MainWindow::~MainWindow() {
    // The workers stop before the inspector and player they use go with the members.
    delete m_checker;
    delete m_playback;
    // The workspace may outlive the window (the tests' does).
    m_workspace.setSoundConverter(nullptr);
}

void MainWindow::setSoundPlayer(std::shared_ptr<SoundPlayer> player) {
    delete m_playback;
    m_playback = new SoundPlayback(std::move(player), m_ui, this);
    // While a sound plays, "Anhören" stops it, and says so.
    connect(m_playback, &SoundPlayback::playingChanged, this, [this](bool playing) {
        m_listenEntry->setText(QString::fromUtf8(playing ? StopListeningEntry : ListenEntry));
    });
}

void MainWindow::listenToCurrentRow() {
    const SoundEntry& entry = m_workspace.table().row(m_grid->currentGridRow());
    if (!entry.sourcePath.empty()) {
        m_playback->toggle(m_workspace.soundFileOf(entry));
    }
}

void MainWindow::setSoundInspector(SoundInspector& inspector) {
    delete m_checker;
    m_checker = new SoundChecker(inspector, this);
    connect(m_checker, &SoundChecker::checked, m_model, &SoundTableModel::setFindings);
    connect(m_checker, &SoundChecker::batchChecked, this,
            [this](const std::vector<std::string>& invalid) { tellInvalidSounds(m_ui, invalid); });
}

void MainWindow::checkSounds(int first, int last, bool report) {
    std::vector<int> rows;
    for (int row = first; row < last; ++row) {
        rows.push_back(row);
    }
    checkSounds(rows, report);
}

void MainWindow::checkSounds(const std::vector<int>& rows, bool report) {
    const SoundTable& table = m_workspace.table();
    std::vector<SoundChecker::Sound> sounds;
    for (const int row : rows) {
        if (!table.isEntryRow(row)) {
            continue;
        }
        const SoundEntry& entry = table.row(row);
        // A sound converted or levelled here is made to the module's profile and exists only
        // in memory until a commit writes it; the row names its stick file then, and is
        // looked at as a new one.
        if (entry.sourcePath.empty() || m_workspace.holdsPreparedSound(entry)) {
            continue;
        }
        m_lookedAt.insert(entry.sourcePath);
        sounds.push_back({entry.sourcePath, m_workspace.soundFileOf(entry)});
    }
    m_checker->check(std::move(sounds), report);
}

void MainWindow::checkSoundsNotLookedAt() {
    std::vector<int> rows;
    for (const int row : rowsWithSound()) {
        if (!m_lookedAt.contains(m_workspace.table().row(row).sourcePath)) {
            rows.push_back(row);
        }
    }
    checkSounds(rows, false);
}

void MainWindow::checkChangedSounds(const std::vector<int>& rows) {
    for (const int row : rows) {
        const SoundEntry& entry = m_workspace.table().row(row);
        if (m_workspace.holdsPreparedSound(entry)) {
            // What was found in the sound before holds no more.
            m_model->setFindings(entry.sourcePath, SoundFindings{});
        }
    }
    checkSounds(rows, false);
}

void MainWindow::createControls() {
    m_grid = new SoundGrid(this);
    m_grid->setGeometry(twipsRect(0, 0, 14655, 6735));
    m_model = new SoundTableModel(m_workspace.table(), this);
    m_model->setMadeHere(
        [this](const SoundEntry& entry) { return m_workspace.holdsPreparedSound(entry); });
    m_grid->setModel(m_model);

    m_settingsButton =
        pushButton(this, "Command4", "Modul Einstellungen", twipsRect(0, 6960, 1935, 375));
    m_deleteButton =
        pushButton(this, "Command3", "Zeile löschen", twipsRect(2040, 6960, 1935, 375));
    m_endButton = pushButton(this, "cmdBeenden", "Beenden", twipsRect(12840, 6960, 1695, 375));
    m_counterButton =
        pushButton(this, "Command5", "aktueller zählerstand", twipsRect(9600, 6960, 2415, 375));
    m_counterButton->hide();

    m_popup = new QMenu(QStringLiteral("Popup"), this);
    m_popup->setObjectName("mnu_Popup");
    QAction* addEntry = m_popup->addAction(QStringLiteral("Sounddateien hinzufügen..."));
    addEntry->setObjectName("mnu_Popup_Entry1");
    addEntry->setShortcut(QKeySequence::Open);
    // The menu is hidden most of the time; the window carries the shortcut.
    addAction(addEntry);
    QAction* deleteEntry = m_popup->addAction(QStringLiteral("Zeile löschen\tEntf"));
    deleteEntry->setObjectName("mnu_Popup_Entry2");
    // The key is only named here: the grid takes Space itself, and a shortcut of the menu
    // would catch the Space that chooses the menu's highlighted entry.
    m_listenEntry = m_popup->addAction(QString::fromUtf8(ListenEntry));
    m_listenEntry->setObjectName("mnu_Popup_Anhoeren");
    m_prepareEntry = m_popup->addAction(QStringLiteral("Für das Soundmodul aufbereiten"));
    m_prepareEntry->setObjectName("mnu_Popup_Aufbereiten");
    m_levelEntry = m_popup->addAction(QStringLiteral("Lautstärke angleichen..."));
    m_levelEntry->setObjectName("mnu_Popup_Angleichen");
    // The rows' entries, then the stick's, then the list's.
    m_popup->addSeparator();
    QAction* checkEntry = m_popup->addAction(QStringLiteral("USB-Stick prüfen..."));
    checkEntry->setObjectName("mnu_Popup_Pruefen");
    QAction* removeEntry = m_popup->addAction(QStringLiteral("USB-Stick sicher entfernen"));
    removeEntry->setObjectName("mnu_Popup_Entfernen");
    m_popup->addSeparator();
    // "Liste drucken..." and "Liste exportieren...".
    auto* printer = new ListPrinter(m_workspace, m_ui, *m_popup, this);
    printer->setLoudnessOf([this](const SoundEntry& entry) {
        const std::optional<Loudness> loudness = m_model->loudnessOf(entry.sourcePath);
        return loudness ? QString::fromStdString(loudnessText(*loudness)) : QString();
    });

    connect(m_settingsButton, &QPushButton::clicked, this, &MainWindow::openModuleSettings);
    connect(m_deleteButton, &QPushButton::clicked, this, &MainWindow::deleteSelectedRows);
    connect(m_endButton, &QPushButton::clicked, this, [this] {
        if (userAgreesToEnd()) {
            close();
        }
    });
    connect(m_counterButton, &QPushButton::clicked, this, &MainWindow::showCounterReport);
    connect(addEntry, &QAction::triggered, this, &MainWindow::addSoundFiles);
    connect(deleteEntry, &QAction::triggered, this, &MainWindow::deleteSelectedRows);
    connect(m_grid, &SoundGrid::cellClicked, this, &MainWindow::onCellClicked);
    connect(m_grid, &SoundGrid::doubleClickedAnywhere, this, &MainWindow::fitColumnWidths);
    connect(m_grid, &SoundGrid::popupRequested, this,
            [this](const QPoint& at) { m_popup->popup(at); });
    connect(m_grid, &SoundGrid::bindRequested, this, &MainWindow::openEventDialogForCurrentRow);
    connect(m_grid, &SoundGrid::deleteRequested, this, &MainWindow::deleteSelectedRows);
    connect(m_listenEntry, &QAction::triggered, this, &MainWindow::listenToCurrentRow);
    connect(m_prepareEntry, &QAction::triggered, this, &MainWindow::prepareSelectedRowsForModule);
    connect(m_levelEntry, &QAction::triggered, this, &MainWindow::levelLoudness);
    connect(m_popup, &QMenu::aboutToShow, this, &MainWindow::enableSoundEntries);
    connect(checkEntry, &QAction::triggered, this, [this] {
        StickCheckDialog dialog(m_workspace, m_ui, this);
        dialog.exec();
        activate();
    });
    connect(removeEntry, &QAction::triggered, this, &MainWindow::removeStick);
    connect(m_grid, &SoundGrid::listenRequested, this, &MainWindow::listenToCurrentRow);
    // Choosing another row ends the sound of the one before.
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { m_playback->stop(); });
    connect(m_grid, &SoundGrid::filesDropped, this, &MainWindow::addFilesLater);
}

void MainWindow::addFilesLater(const std::optional<std::vector<std::string>>& files) {
    // A message about a rejected file must not keep the file manager's drag waiting for
    // its OK: the drop ends first, the files are added right after.
    QTimer::singleShot(0, this, [this, files] { addFiles(files); });
}

void MainWindow::addFiles(const std::optional<std::vector<std::string>>& files) {
    const int firstNewRow = m_workspace.table().nextRow();
    tellDropOutcome(m_ui, m_workspace.dropFiles(files));
    // The files are looked into off the window's thread; what would not play is told after.
    checkSounds(firstNewRow, m_workspace.table().nextRow(), true);
    // The first new row becomes current, so that Enter binds it right away.
    if (m_workspace.table().nextRow() > firstNewRow) {
        const int column = std::max(m_grid->currentIndex().column(), 0);
        m_grid->setCurrentIndex(m_model->index(firstNewRow - 1, column));
    }
}

void MainWindow::addSoundFiles() {
    const std::vector<std::string> files = m_chooseSoundFiles(this);
    if (!files.empty()) {
        addFiles(files);
    }
}

// Other formats are offered too: the drop's way converts them after one question.
std::vector<std::string> MainWindow::askForSoundFiles(QWidget* parent) {
    std::vector<std::string> files;
    for (const QString& file : QFileDialog::getOpenFileNames(
             parent, QStringLiteral("Sounddateien hinzufügen"), QString(),
             QStringLiteral("Sounddateien (*.mp3 *.MP3 *.Mp3 *.mP3 *.wav *.WAV *.flac *.FLAC "
                            "*.ogg *.OGG *.oga *.opus *.OPUS);;"
                            "MP3-Dateien (*.mp3 *.MP3 *.Mp3 *.mP3);;Alle Dateien (*)"))) {
        files.push_back(QDir::toNativeSeparators(file).toStdString());
    }
    return files;
}

std::vector<int> MainWindow::rowsWithSound() const {
    std::vector<int> rows;
    for (int row = 1; row < m_workspace.table().nextRow(); ++row) {
        if (!m_workspace.table().row(row).sourcePath.empty()) {
            rows.push_back(row);
        }
    }
    return rows;
}

std::vector<int> MainWindow::selectedRowsToPrepare() const {
    std::vector<int> rows = m_grid->selectedGridRows();
    std::erase_if(rows, [this](int row) {
        if (!m_workspace.table().isEntryRow(row)) {
            return true;
        }
        const SoundFindings* found = m_model->findingsOf(row);
        // Each hint names what a new encode in the module's profile leaves behind: a cut-off
        // end, pictures in the tag, a rate the module plays mute, a file that is no MP3. What
        // cannot be decoded at all fails, and the user is told which file.
        return found == nullptr || soundHints(*found).empty();
    });
    return rows;
}

void MainWindow::enableSoundEntries() {
    m_prepareEntry->setEnabled(!selectedRowsToPrepare().empty());
    // Sounds can be levelled where they can be measured: a build that cannot measure has
    // neither a loudness in its findings nor sounds made here.
    const std::vector<int> rows = rowsWithSound();
    m_levelEntry->setEnabled(std::any_of(rows.begin(), rows.end(), [this](int row) {
        const SoundFindings* found = m_model->findingsOf(row);
        return (found != nullptr && found->loudness.has_value()) ||
               m_workspace.holdsPreparedSound(m_workspace.table().row(row));
    }));
}

void MainWindow::prepareSelectedRowsForModule() {
    const std::vector<int> rows = selectedRowsToPrepare();
    if (rows.empty()) {
        return;
    }
    // The stick's copies are replaced; a sound that plays from one lets go of it first.
    m_playback->stop(std::chrono::milliseconds(500));
    tellOutcome(m_ui, m_workspace.prepareForModule(rows));
    checkChangedSounds(rows);
    closeIfAskedDuringCommit();
}

void MainWindow::levelLoudness() {
    std::vector<int> selected = m_grid->selectedGridRows();
    std::erase_if(selected, [this](int row) {
        return !m_workspace.table().isEntryRow(row) ||
               m_workspace.table().row(row).sourcePath.empty();
    });
    const std::vector<int> all = rowsWithSound();
    m_ui.setBusyPointer(true);
    const std::optional<double> median = m_workspace.medianLoudness();
    m_ui.setBusyPointer(false);
    LevelDialog dialog(static_cast<int>(selected.size()), static_cast<int>(all.size()), median,
                       this);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    activate();
    if (!accepted) {
        return;
    }
    const LevelDialog::Choice choice = dialog.choice();
    const std::vector<int>& rows = choice.rows == LevelDialog::Rows::Selected ? selected : all;
    m_playback->stop(std::chrono::milliseconds(500));
    tellOutcome(m_ui, m_workspace.levelLoudness(rows, choice.targetLufs));
    checkChangedSounds(rows);
    closeIfAskedDuringCommit();
}

void MainWindow::setUpGrid() {
    const QFont font = programFont();
    m_grid->setFont(font);
    m_grid->horizontalHeader()->setFont(font);
    m_grid->verticalHeader()->setFont(font);
    m_grid->verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 4);

    m_model->setAllLeftAligned(false);
    m_grid->verticalHeader()->setFixedWidth(fromTwips(320));
    const int widths[] = {1000, 1000, 1000, 1000, 1500, 1500};
    for (int column = 0; column < 6; ++column) {
        m_grid->setColumnWidth(column, fromTwips(widths[column]));
    }
    for (const Column column : {Column::Adr1, Column::Adr2}) {
        const int section = SoundTableModel::modelColumnOf(column);
        m_grid->setColumnWidth(section, m_grid->horizontalHeader()->sectionSizeHint(section));
    }
}

bool MainWindow::load(const std::string& programFolder) {
    setUpGrid();
    // A stick that is gone, or that another Tonarion holds, gets no window once the user is
    // told why; an index file that cannot be read leaves an empty table to start from.
    const Outcome loaded = m_workspace.loadStick(programFolder);
    tellOutcome(m_ui, loaded);
    const bool ready = loaded || loaded.reason == OutcomeReason::IndexUnreadable;
    m_grid->setCurrentIndex(m_model->index(0, 0));
    if (ready) {
        checkSounds(1, m_workspace.table().nextRow(), false);
    }
    return ready;
}

bool MainWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        activate();
    }
    return QWidget::event(event);
}

void MainWindow::activate() {
    const std::string caption = "Tonarion [" + m_workspace.stickRoot() + IndexFileName + "]";
    setWindowTitle(QString::fromStdString(caption));
    if (m_pendingResult) {
        const PendingEventResult result = std::move(*m_pendingResult);
        m_pendingResult.reset();
        tellOutcome(m_ui,
                    m_workspace.applyEventResult(result.editRow, result.oldName, result.entry));
        // A sound made in memory is on the stick now, under the row's new path.
        checkSoundsNotLookedAt();
        closeIfAskedDuringCommit();
    }
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int clientHeight = height();
    m_grid->resize(width(), clientHeight >= MinimumLayoutHeight ? clientHeight - MinimumLayoutHeight
                                                                : m_grid->height());
    if (clientHeight < MinimumLayoutHeight) {
        return;
    }
    const int buttonTop = clientHeight - fromTwips(400);
    for (QPushButton* button : {m_settingsButton, m_deleteButton, m_endButton}) {
        button->move(button->x(), buttonTop);
    }
    // "Beenden" follows the two other buttons with the gap that stands between them.
    const int gap = m_deleteButton->x() - m_settingsButton->geometry().right() - 1;
    m_endButton->move(m_deleteButton->geometry().right() + 1 + gap, buttonTop);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_workspace.commitRunning()) {
        // The window closes once the running commit is done.
        m_closeAfterCommit = true;
        event->ignore();
        return;
    }
    // The close box asks as "Beenden" does; closes of the program's own (after the stick
    // was ejected, after a commit) do not.
    if (event->spontaneous() && !userAgreesToEnd()) {
        event->ignore();
        return;
    }
    setWindowTitle(windowTitle() + QString::fromUtf8(SavingCaption));
    // The commit shows the busy pointer for its slow part itself; a pointer set here as well
    // would still be up when the commit tells of a failure.
    for (;;) {
        const Outcome committed = m_workspace.commit();
        tellOutcome(m_ui, committed);
        if (committed.reason != OutcomeReason::CommitFailed || !askYesNo(m_ui, RetryQuestion)) {
            break;
        }
    }
    event->accept();
}

void MainWindow::closeIfAskedDuringCommit() {
    if (m_closeAfterCommit) {
        m_closeAfterCommit = false;
        close();
    }
}

void MainWindow::onCellClicked(SoundGrid::Cell cell) {
    // A table without entries ignores clicks.
    if (m_workspace.table().entryCount() == 0) {
        return;
    }
    if (cell.column == static_cast<int>(Column::Ereignis)) {
        openEventDialogForCurrentRow();
    } else if (cell.row == 0) {
        sortByColumn(cell.column);
    }
}

void MainWindow::openEventDialogForCurrentRow() {
    const int row = m_grid->currentGridRow();
    if (!m_workspace.canBind(row)) {
        return;
    }
    const SoundEntry& entry = m_workspace.table().row(row);
    EventDialog dialog(
        entry.entryName, entry.eventText,
        [this, row](const EventSelection& selection) -> std::optional<NeuerEintrag> {
            auto composed = m_workspace.compose(row, selection);
            tellOutcome(m_ui, composed.outcome());
            return composed;
        },
        this);
    dialog.setRowFile(entry.sourcePath);
    dialog.setListen([this, file = m_workspace.soundFileOf(entry)] { m_playback->toggle(file); });
    auto* listen = dialog.findChild<QPushButton*>("cmdAnhoeren");
    connect(m_playback, &SoundPlayback::playingChanged, listen, [listen](bool playing) {
        listen->setText(playing ? QStringLiteral("Anhalten") : QStringLiteral("Anhören"));
    });
    const int result = dialog.exec();
    m_playback->stop();
    if (result == QDialog::Accepted && dialog.neuerEintrag()) {
        m_pendingResult = PendingEventResult{row, dialog.strAlterName(), *dialog.neuerEintrag()};
    }
    activate();
}

void MainWindow::openModuleSettings() {
    SettingsDialog dialog(m_workspace, m_ui, this);
    dialog.exec();
    activate();
    closeIfAskedDuringCommit();
}

void MainWindow::sortByColumn(int gridColumn) {
    m_grid->setUpdatesEnabled(false);
    m_workspace.sortByColumn(static_cast<Column>(gridColumn));
    m_grid->showSortIndicator(gridColumn, m_workspace.table().lastSortDescending());
    m_grid->setUpdatesEnabled(true);
}

void MainWindow::fitColumnWidths() {
    const QFontMetrics metrics(m_grid->font());
    const auto textWidth = [&metrics](const QString& text) {
        return static_cast<int>(std::lround(metrics.horizontalAdvance(text)));
    };
    const int columns = m_model->columnCount();
    std::vector<int> widest(static_cast<std::size_t>(columns), 0);
    int widestNumber = textWidth(QString::fromUtf8(ColumnHeaders[0]));
    for (int column = 0; column < columns; ++column) {
        widest[static_cast<std::size_t>(column)] =
            textWidth(m_model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
    }
    for (int row = 0; row < m_model->rowCount(); ++row) {
        widestNumber =
            std::max(widestNumber,
                     textWidth(m_model->headerData(row, Qt::Vertical, Qt::DisplayRole).toString()));
        for (int column = 0; column < columns; ++column) {
            auto& field = widest[static_cast<std::size_t>(column)];
            field = std::max(field, textWidth(m_model->index(row, column).data().toString()));
        }
    }
    // A cell draws its text inside the style's margins; the extra room comes on top.
    const int cellMargins = 2 * (m_grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
    const int headerMargins = 2 * m_grid->style()->pixelMetric(QStyle::PM_HeaderMargin);
    m_grid->verticalHeader()->setFixedWidth(widestNumber + FitMargin + headerMargins);
    for (int column = 0; column < columns; ++column) {
        m_grid->setColumnWidth(column,
                               widest[static_cast<std::size_t>(column)] + FitMargin + cellMargins);
    }
    m_model->setAllLeftAligned(true);
}

void MainWindow::deleteSelectedRows() {
    std::vector<int> rows = m_grid->selectedGridRows();
    if (rows.size() > 1) {
        // The empty last row of a wider selection holds nothing the user meant to delete.
        std::erase_if(rows, [this](int row) { return !m_workspace.table().isEntryRow(row); });
    }
    if (rows.size() > 1 &&
        !askYesNo(m_ui,
                  "Wollen Sie die " + std::to_string(rows.size()) + " markierten Zeilen löschen?",
                  DeleteRowsTitle, MessageAnswer::No)) {
        return;
    }
    tellOutcome(m_ui, m_workspace.deleteRows(rows));
}

bool MainWindow::userAgreesToEnd() {
    const SoundTable& table = m_workspace.table();
    int unbound = 0;
    for (int row = 1; row < table.nextRow(); ++row) {
        unbound += table.row(row).entryName.empty() ? 1 : 0;
    }
    return unbound == 0 ||
           askYesNo(m_ui, unboundRowsQuestion(unbound), EndTitle, MessageAnswer::No);
}

void MainWindow::removeStick() {
    // The window ends with the eject, as at "Beenden".
    if (!userAgreesToEnd()) {
        return;
    }
    // A sound that plays from the stick's copy holds that file open; it gets a moment to
    // let go, but no more: an output that never returns must not keep the window waiting.
    m_playback->stop(std::chrono::milliseconds(500));
    const Outcome removed = m_workspace.removeStick(*m_ejector);
    tellOutcome(m_ui, removed);
    if (removed) {
        close();
    }
}

void MainWindow::showCounterReport() {
    m_ui.showMessage({m_workspace.counterReport(), MessageIcon::None, MessageButtons::Ok});
}

} // namespace tonarion
