#include "gui/MainWindow.h"

#include "gui/EventDialog.h"
#include "gui/SoundPlayback.h"
#include "gui/SoundTableModel.h"
#include "support/FakeSoundInspector.h"
#include "support/FakeSoundPlayer.h"
#include "support/GuiTestMain.h"
#include "support/ModalDialog.h"
#include "support/SoundFiles.h"
#include "support/TestStick.h"

#include <QDir>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QToolTip>

#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

using namespace tonarion;
using namespace tonarion::testing;

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestStick> stick;
    std::unique_ptr<FakeSoundInspector> sounds;
    std::shared_ptr<FakeSoundPlayer> player;
    std::unique_ptr<MainWindow> window;

    void open(std::initializer_list<std::string> entryLines) {
        stick->writeIndexWithSounds(entryLines);
        openWindow();
    }
    void openWindow() {
        window = std::make_unique<MainWindow>(stick->workspace, stick->ui);
        window->setSoundInspector(*sounds);
        window->setSoundPlayer(player);
        QVERIFY(window->load("/opt/tonarion"));
        window->show();
        window->activate();
    }
    // A dropped file's path as the window keeps it: in the system's spelling ("\m\A.mp3" on
    // Windows).
    static QString dropped(const char* path) { return QDir::toNativeSeparators(path); }
    // The texts of a grid column (0: the row numbers), top to bottom.
    QStringList column(int gridColumn) const {
        const QAbstractItemModel* model = window->model();
        QStringList texts;
        for (int row = 0; row < model->rowCount(); ++row) {
            texts << (gridColumn == 0 ? model->headerData(row, Qt::Vertical)
                                      : model->index(row, gridColumn - 1).data())
                         .toString();
        }
        return texts;
    }
    void clickHeader(int gridColumn) {
        QHeaderView* header = window->grid()->horizontalHeader();
        const QPoint at(header->sectionViewportPosition(gridColumn - 1) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }
    // A file manager's drag of files (a URI list): the grid must take it when it enters, then
    // gets the drop. No message may show while the drop is under way: the file manager
    // waits for it.
    void drop(const QByteArray& uriList) {
        QMimeData mime;
        mime.setData("text/uri-list", uriList);
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(window->grid()->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent event(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        const std::size_t messagesBefore = stick->ui.messages.size();
        QApplication::sendEvent(window->grid()->viewport(), &event);
        QVERIFY(event.isAccepted());
        QCOMPARE(stick->ui.messages.size(), messagesBefore);
        QApplication::processEvents();
    }
    // The EntryName of the row the event dialog opens for after the given input, and the
    // dialog's caption; "(none)" when no dialog opens.
    struct Opened {
        QString row = "(none)";
        QString caption = "(none)";
    };
    Opened dialogAfter(const std::function<void()>& input) {
        Opened opened;
        whenDialogOpens<EventDialog>([&opened](EventDialog* dialog) {
            opened = {QString::fromStdString(dialog->strAlterName()), dialog->windowTitle()};
        });
        input();
        return opened;
    }
    // Right-clicks a grid cell (column -1: the row's NR cell) and picks a popup entry with
    // the mouse.
    void popupOn(int modelRow, int modelColumn, const char* entry) {
        SoundGrid* grid = window->grid();
        if (modelColumn < 0) {
            QHeaderView* numbers = grid->verticalHeader();
            QTest::mousePress(numbers->viewport(), Qt::RightButton, {},
                              QPoint(5, numbers->sectionViewportPosition(modelRow) + 3));
        } else {
            clickCell(grid, modelRow, modelColumn, Qt::RightButton, QTest::mousePress);
        }
        QMenu* menu = window->popupMenu();
        QVERIFY(menu->isVisible());
        QAction* action = menu->findChild<QAction*>(entry);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
        QVERIFY(!menu->isVisible());
    }
    // How many pixels the grid draws in its empty area below the rows.
    int inkBelowTheRows() const {
        QWidget* area = window->grid()->viewport();
        const QImage picture = area->grab().toImage();
        const int top = window->grid()->rowViewportPosition(window->model()->rowCount() - 1) +
                        window->grid()->rowHeight(0) + 2;
        const QRgb background = picture.pixel(1, picture.height() - 2);
        int ink = 0;
        for (int y = top; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                ink += picture.pixel(x, y) != background ? 1 : 0;
            }
        }
        return ink;
    }
    QString toolTipOf(int modelRow, int modelColumn) {
        SoundGrid* grid = window->grid();
        const QPoint at = grid->visualRect(grid->model()->index(modelRow, modelColumn)).center();
        QHelpEvent help(QEvent::ToolTip, at, grid->viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid->viewport(), &help);
        const QString text = QToolTip::isVisible() ? QToolTip::text() : QString();
        QToolTip::hideText();
        // The next tooltip must not find this one still fading out.
        if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); })) {
            qWarning("a tooltip stayed visible");
        }
        return text;
    }

    // Gives the input; a window that has not come back from it within five seconds has
    // frozen, and the test ends there as the user would have to end the program.
    static void promptly(const char* what, const std::function<void()>& input) {
        std::mutex mutex;
        std::condition_variable back;
        bool done = false;
        std::thread watchdog([&] {
            std::unique_lock lock(mutex);
            if (!back.wait_for(lock, std::chrono::seconds(5), [&done] { return done; })) {
                std::fprintf(stderr, "FAIL! the window froze at %s\n", what);
                std::_Exit(1);
            }
        });
        input();
        {
            const std::lock_guard lock(mutex);
            done = true;
        }
        back.notify_one();
        watchdog.join();
    }

    const std::string m = Music;

private slots:
    void init() {
        stick = std::make_unique<TestStick>();
        sounds = std::make_unique<FakeSoundInspector>();
        player = std::make_shared<FakeSoundPlayer>();
    }
    void cleanup() { window.reset(); }

    void showsTheEntriesSortsByHeaderAndReportsTheCounters() {
        open({"MGM2-0012-00000.mp3;" + m + "b.mp3", "END_-0012-00000.mp3;" + m + "c.mp3",
              "KSM4-0001-00010.mp3;" + m + "a.mp3"});
        QCOMPARE(window->windowTitle(), QString("Tonarion [/stick/tonkat.tkx]"));
        QStringList first;
        for (int gridColumn = 0; gridColumn < 9; ++gridColumn) {
            first << column(gridColumn).first();
        }
        QCOMPARE(first,
                 QStringList({"1", "MGM2-0012-00000.mp3", QString::fromStdString(m + "b.mp3"),
                              "Magnetartikel", "GRÜN", "MIT ERLAUBNIS", "2", "0012", "00000"}));
        act(window.get(), {"Command5"}); // hidden
        QCOMPARE(stick->ui.lastText(), stick->workspace.counterReport());

        clickHeader(1);
        QCOMPARE(column(1), QStringList({"MGM2-0012-00000.mp3", "KSM4-0001-00010.mp3",
                                         "END_-0012-00000.mp3", ""}));
        clickHeader(2);
        QCOMPARE(column(2).first(), QString::fromStdString(m + "a.mp3"));
        QCOMPARE(column(0), QStringList({"1", "2", "3", "4"}));
        // The Ereigniss header opens the event dialog for the current row instead: the first
        // at loading, which the sorts moved down.
        const QStringList before = column(1);
        QCOMPARE(dialogAfter([this] { clickHeader(3); }).row, QString("MGM2-0012-00000.mp3"));
        QCOMPARE(window->grid()->currentIndex().row(), 1);
        QCOMPARE(column(1), before);
    }

    void doubleClickFitsEveryColumnToItsWidestText() {
        const std::string longPath = m + "a-rather-long-name-for-a-sound-file.mp3";
        open({"MGM2-0012-00000.mp3;" + longPath});
        // The NR column takes the double click like every other cell.
        QHeaderView* numbers = window->grid()->verticalHeader();
        QTest::mouseDClick(numbers->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        const QFontMetrics metrics(window->grid()->font());
        // Every column has the same room beside its widest text, header included.
        const QString widest[] = {"MGM2-0012-00000.mp3", QString::fromStdString(longPath),
                                  "Magnetartikel",       "  Status  ",
                                  "MIT ERLAUBNIS",       " Priorität /Ausblendzeit ",
                                  " Adresse 1. /von ",   " Adresse 2. /bis"};
        const int room = window->grid()->columnWidth(0) - metrics.horizontalAdvance(widest[0]);
        QVERIFY(room >= 6);
        for (int column = 1; column < 8; ++column) {
            QCOMPARE(window->grid()->columnWidth(column) -
                         metrics.horizontalAdvance(widest[column]),
                     room);
        }
        QVERIFY(window->grid()->verticalHeader()->width() >= metrics.horizontalAdvance(" NR ") + 6);
    }

    void dropsAndTheFileDialogAddMp3FilesUntilTheFirstOtherFile() {
        open({});
        QVERIFY(inkBelowTheRows() > 0); // "MP3-Dateien hierher ziehen"
        drop("file:///m/A.mp3\r\nfile:///m/B.txt\r\nfile:///m/C.mp3\r\n");
        QCOMPARE(inkBelowTheRows(), 0);
        // "Sounddateien hinzufügen..." (Ctrl+O) takes the drop's way.
        std::vector<std::string> chosen = {"/m/D.mp3", "/m/E.MP3"};
        window->setSoundFileChooser([&chosen](QWidget*) { return chosen; });
        QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
        // The first added row is current: Enter binds it.
        const auto enter = [this] {
            QTest::keyClick(window->grid(), Qt::Key_Enter, Qt::KeypadModifier);
        };
        QCOMPARE(dialogAfter(enter).caption, QString("Ereignis auswählen... – D.mp3"));
        chosen = {"/m/F.wav", "/m/G.mp3"};
        popupOn(0, 0, "mnu_Popup_Entry1");
        chosen.clear(); // cancelled
        QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(column(2), QStringList({dropped("/m/A.mp3"), "/m/D.mp3", "/m/E.MP3", ""}));
        QCOMPARE(stick->ui.texts(),
                 std::vector<std::string>(
                     2, "Eine oder mehr Dateien entsprechen nicht dem .MP3 Format!"));
    }

    // The row acted on is the row the user pointed at or moved to, never the top row.
    void everyWayToARowActsOnThatRow() {
        open({"MGM2-0012-00000.mp3;" + m + "a.mp3", "RBM1-0005-00008.mp3;" + m + "b.mp3",
              "KSM4-0001-00010.mp3;" + m + "c.mp3", "END_-0012-00000.mp3;" + m + "d.mp3",
              "UZM_-0029-00000.mp3;" + m + "e.mp3"});
        SoundGrid* grid = window->grid();
        clickCell(grid, 4, 1);
        QCOMPARE(dialogAfter([this] { clickHeader(3); }).row, QString("UZM_-0029-00000.mp3"));
        // A sort keeps the current sound current, wherever it moves, and the header's arrow
        // shows the column and direction; Enter and F2 bind the row the user chose.
        clickCell(grid, 2, 4);
        clickHeader(1);
        QCOMPARE(column(1).first(), QString("UZM_-0029-00000.mp3"));
        QCOMPARE(grid->currentIndex().row(), 3);
        QCOMPARE(dialogAfter([grid] { QTest::keyClick(grid, Qt::Key_Return); }).row,
                 QString("KSM4-0001-00010.mp3"));
        QCOMPARE(dialogAfter([this] { clickHeader(3); }).row, QString("KSM4-0001-00010.mp3"));
        QCOMPARE(grid->horizontalHeader()->sortIndicatorSection(), 0);
        QCOMPARE(grid->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
        QTest::keyClick(grid, Qt::Key_Up);
        QCOMPARE(dialogAfter([grid] { QTest::keyClick(grid, Qt::Key_F2); }).row,
                 QString("MGM2-0012-00000.mp3"));
        // The Delete key, the right button on a cell and on an NR cell, each on its own row.
        clickCell(grid, column(1).indexOf("KSM4-0001-00010.mp3"), 0);
        QTest::keyClick(grid, Qt::Key_Delete);
        clickCell(grid, 0, 0);
        popupOn(column(1).indexOf("MGM2-0012-00000.mp3"), 2, "mnu_Popup_Entry2");
        popupOn(column(1).indexOf("UZM_-0029-00000.mp3"), -1, "mnu_Popup_Entry2");
        QCOMPARE(column(1), QStringList({"RBM1-0005-00008.mp3", "END_-0012-00000.mp3", ""}));
        QVERIFY(!stick->files.has(Root + "KSM4-0001-00010.mp3"));
        QVERIFY(!stick->files.has(Root + "MGM2-0012-00000.mp3"));
        QVERIFY(stick->files.has(Root + "END_-0012-00000.mp3"));
        // The popup over the header row keeps the current row.
        clickCell(grid, 1, 3);
        QTest::mousePress(grid->horizontalHeader()->viewport(), Qt::RightButton, {}, QPoint(10, 5));
        QVERIFY(window->popupMenu()->isVisible());
        window->popupMenu()->hide();
        QCOMPARE(grid->currentIndex().row(), 1);
    }

    void theEventDialogNamesTheRowsFileAndTooltipsShowWhatACellHides() {
        open({"UZM_-0029-00000.mp3;" + m + "a-rather-long-name-for-a-sound-file.mp3"});
        QCOMPARE(dialogAfter([this] { clickCell(window->grid(), 0, 2); }).caption,
                 QString("Ereignis auswählen... – a-rather-long-name-for-a-sound-file.mp3"));
        // The sound's format comes once the worker has looked at it, in every cell's tip.
        const QString format = "MPEG-1 Layer III, 44,1 kHz, 128 kbit/s, Stereo, 0:03";
        QTRY_COMPARE(toolTipOf(0, 6), "07:00\n" + format);
        QCOMPARE(toolTipOf(0, 1),
                 QString::fromStdString(m + "a-rather-long-name-for-a-sound-file.mp3\n") + format);
        QCOMPARE(toolTipOf(0, 2), format); // a text that fits its cell needs no more
        stick->session.table.setSoundNotFound(1, true);
        QCOMPARE(toolTipOf(0, 1),
                 QString::fromStdString(m + "a-rather-long-name-for-a-sound-file.mp3") +
                     "\nDatei nicht gefunden\n" + format);
    }

    void droppedFilesThatWouldNotPlayAreToldOnceAfterTheDropAndStay() {
        stick->writeIndexWithSounds({"MGM2-0012-00000.mp3;" + m + "alt.mp3"});
        // The stick's copy stands in for a source that is gone.
        stick->files.ShellDelete(m + "alt.mp3");
        sounds->findings[Root + "MGM2-0012-00000.mp3"] = FakeSoundInspector::renamedWav();
        openWindow();
        SoundFindings truncated = FakeSoundInspector::goodMp3();
        truncated.decodedToEnd = false;
        SoundFindings low = FakeSoundInspector::goodMp3(754);
        low.version = MpegVersion::Mpeg2;
        low.sampleRate = 22050;
        low.bitrate = 64;
        low.channels = 1;
        low.embedsPictures = true;
        sounds->findings[dropped("/m/wav.mp3").toStdString()] = FakeSoundInspector::renamedWav();
        sounds->findings[dropped("/m/halb.mp3").toStdString()] = truncated;
        sounds->findings[dropped("/m/leise.mp3").toStdString()] = low;

        drop("file:///m/wav.mp3\r\nfile:///m/leise.mp3\r\nfile:///m/halb.mp3\r\n");
        QTRY_COMPARE(stick->ui.messages.size(), std::size_t(1));
        QCOMPARE(stick->ui.messages[0].text,
                 std::string("Diese Dateien sind keine gültigen MP3-Dateien und werden vom "
                             "Soundmodul vermutlich nicht abgespielt:\r\nwav.mp3\r\nhalb.mp3"));
        QCOMPARE(stick->ui.messages[0].icon, MessageIcon::Information);
        QCOMPARE(column(2),
                 QStringList({QString::fromStdString(m + "alt.mp3"), dropped("/m/wav.mp3"),
                              dropped("/m/leise.mp3"), dropped("/m/halb.mp3"), ""}));
        QCOMPARE(toolTipOf(2, 3),
                 QString("MPEG-2 Layer III, 22,05 kHz, 64 kbit/s, Mono, 12:34\n") +
                     QString::fromStdString(soundHints(low)[0] + "\n" + soundHints(low)[1]));
        QCOMPARE(toolTipOf(1, 7),
                 QString("keine MPEG-Audiodatei\n") +
                     QString::fromStdString(soundHints(FakeSoundInspector::renamedWav())[0]));
        const auto looked = sounds->paths();
        QCOMPARE(looked.size(), std::size_t(4));
        QCOMPARE(looked[0], Root + "MGM2-0012-00000.mp3");
        QVERIFY(toolTipOf(0, 0).contains("\nkeine MPEG-Audiodatei\n"));
        // Loaded rows are looked at but not told about.
        QCOMPARE(stick->ui.messages.size(), std::size_t(1));
    }

    void anhoerenPlaysTheRowsSoundUntilPressedAgainOrAnotherRowIsChosen() {
        open({"MGM2-0012-00000.mp3;" + m + "a.mp3", "KSM4-0001-00010.mp3;" + m + "b.mp3"});
        stick->files.ShellDelete(m + "b.mp3");
        const int rowA = column(2).indexOf(QString::fromStdString(m + "a.mp3"));
        const int rowB = 1 - rowA;
        // Each sound plays on a thread of its own: the next input waits until it has begun.
        popupOn(rowA, 4, "mnu_Popup_Anhoeren");
        QVERIFY(window->playback()->isPlaying());
        QTRY_COMPARE(player->played().size(), std::size_t(1));
        QTest::keyClick(window->grid(), Qt::Key_Space); // again: stops
        QVERIFY(!window->playback()->isPlaying());
        QTest::keyClick(window->grid(), Qt::Key_Space);
        QVERIFY(window->playback()->isPlaying());
        QTRY_COMPARE(player->played().size(), std::size_t(2));
        // Another row: the sound stops; the one whose source is gone plays from the stick.
        clickCell(window->grid(), rowB, 4);
        QVERIFY(!window->playback()->isPlaying());
        QTest::keyClick(window->grid(), Qt::Key_Space);
        QTRY_COMPARE(player->played(), std::vector<std::string>({m + "a.mp3", m + "a.mp3",
                                                                 Root + "KSM4-0001-00010.mp3"}));
        // The empty last row has nothing to play.
        QTest::keyClick(window->grid(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(window->grid(), Qt::Key_Space);
        QCOMPARE(player->played().size(), std::size_t(3));
        QTRY_COMPARE(player->stopped(), std::vector<bool>({true, true, true}));

        // No audio device: one message, and the window goes on.
        player->error = "Der Sound kann nicht abgespielt werden: keine Tonausgabe.";
        clickCell(window->grid(), rowA, 4);
        QTest::keyClick(window->grid(), Qt::Key_Space);
        QTRY_COMPARE(stick->ui.texts(), std::vector<std::string>({player->error}));
        QVERIFY(!window->playback()->isPlaying());
    }

    void theEventDialogPlaysTheSoundBeingBound() {
        open({"MGM2-0012-00000.mp3;" + m + "a.mp3"});
        bool wasPlaying = false;
        whenDialogOpens<EventDialog>([this, &wasPlaying](EventDialog* dialog) {
            auto* listen = dialog->findChild<QPushButton*>("cmdAnhoeren");
            QVERIFY(listen && listen->isVisible());
            QCOMPARE(listen->text(), QString("Anhören"));
            QTest::mouseClick(listen, Qt::LeftButton);
            wasPlaying = window->playback()->isPlaying();
            QTest::mouseClick(dialog->findChild<QPushButton*>("CancelButton"), Qt::LeftButton);
        });
        clickCell(window->grid(), 0, 2);
        QVERIFY(wasPlaying);
        QVERIFY(!window->playback()->isPlaying()); // closing the dialog ends the sound
        QTRY_COMPARE(player->played(), std::vector<std::string>({m + "a.mp3"}));
    }

    // libout123's own output. On a machine without a sound device that is OpenAL's, which
    // takes the sound without complaint and never comes back from its stop: however the
    // sound is stopped, the window must not wait for it, and no row may be lost.
    void stoppingASoundNeverWaitsForTheOutput() {
        TempFolder folder("tonarion-anhoeren-");
        std::shared_ptr<SoundPlayer> openAl = makeSoundPlayer("openal");
        const std::atomic<bool> playOut = false;
        if (!openAl->play(folder.write("kurz.mp3", mpeg1Frames(4)), playOut).empty()) {
            QSKIP("no OpenAL output for libout123 here (Debian: mpg123)");
        }
        const std::string sound = folder.write("lang.mp3", mpeg1Frames(4000)); // two minutes
        open({"MGM2-0012-00000.mp3;" + sound, "KSM4-0001-00010.mp3;" + sound});
        window->setSoundPlayer(openAl);
        struct : StickEjector {
            EjectResult eject(const std::string&) override { return {EjectOutcome::Busy, {}}; }
        } busy;
        window->setStickEjector(busy);
        SoundGrid* grid = window->grid();
        QAction* listen = window->popupMenu()->findChild<QAction*>("mnu_Popup_Anhoeren");
        const auto space = [grid] {
            QTest::keyClick(grid, Qt::Key_Space);
        };
        clickCell(grid, 0, 4);
        space();
        QCOMPARE(listen->text(), QString("Anhalten\tLeertaste"));
        promptly("Space again", space);
        QCOMPARE(listen->text(), QString("Anhören\tLeertaste"));
        space();
        promptly("Down", [grid] { QTest::keyClick(grid, Qt::Key_Down); });
        space();
        promptly("a click on another row", [grid] { clickCell(grid, 0, 4); });
        QString playingCaption;
        whenDialogOpens<EventDialog>([&playingCaption](EventDialog* dialog) {
            auto* button = dialog->findChild<QPushButton*>("cmdAnhoeren");
            QTest::mouseClick(button, Qt::LeftButton);
            playingCaption = button->text();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        promptly("Abbrechen in the event dialog", [grid] { clickCell(grid, 0, 2); });
        QCOMPARE(playingCaption, QString("Anhalten"));
        space();
        promptly("USB-Stick sicher entfernen", [this] { popupOn(0, 4, "mnu_Popup_Entfernen"); });
        QVERIFY(window->isVisible()); // the stick was busy
        space();
        promptly("Beenden", [this] {
            QTest::mouseClick(control(window.get(), "cmdBeenden"), Qt::LeftButton);
        });
        QVERIFY(!window->isVisible());
        QVERIFY(stick->index().find("MGM2-0012-00000.mp3;" + sound) != std::string::npos);
        QVERIFY(stick->index().find("KSM4-0001-00010.mp3;" + sound) != std::string::npos);
    }

    // Shift-click selects several rows: Delete and "Zeile löschen" delete every one of them,
    // after one question naming how many; a single row goes without a question, as always.
    void everySelectedRowIsDeletedAfterOneQuestion() {
        open({"MGM2-0012-00000.mp3;" + m + "a.mp3", "RBM1-0005-00008.mp3;" + m + "b.mp3",
              "KSM4-0001-00010.mp3;" + m + "c.mp3", "END_-0012-00000.mp3;" + m + "d.mp3"});
        SoundGrid* grid = window->grid();
        clickCell(grid, 0, 4);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                          grid->visualRect(window->model()->index(2, 1)).center());
        QTest::keyClick(grid, Qt::Key_Delete); // "Nein"
        QCOMPARE(stick->ui.texts(),
                 std::vector<std::string>({"Wollen Sie die 3 markierten Zeilen löschen?"}));
        QCOMPARE(column(1).size(), 5);
        stick->ui.setNextAnswer(MessageAnswer::Yes);
        QTest::mouseClick(control(window.get(), "Command3"), Qt::LeftButton);
        QCOMPARE(column(1), QStringList({"END_-0012-00000.mp3", ""}));
        for (const char* gone :
             {"MGM2-0012-00000.mp3", "RBM1-0005-00008.mp3", "KSM4-0001-00010.mp3"}) {
            QVERIFY(!stick->files.has(Root + gone));
            QVERIFY(stick->index().find(gone) == std::string::npos);
        }
        QCOMPARE(stick->files.content(Root + "END_-0012-00000.mp3"),
                 std::string("sound of END_-0012-00000.mp3"));
        clickCell(grid, 0, 4);
        QTest::keyClick(grid, Qt::Key_Delete);
        QCOMPARE(column(1), QStringList({""}));
        QCOMPARE(stick->ui.messages.size(), std::size_t(2));
    }

    // Rows without an event stay off the stick and go with the window: "Beenden" asks first.
    void beendenAsksBeforeRowsWithoutAnEventAreLost() {
        open({"MGM2-0012-00000.mp3;" + m + "a.mp3"});
        drop("file:///m/A.mp3\r\nfile:///m/B.mp3\r\n");
        QWidget* end = control(window.get(), "cmdBeenden");
        QTest::mouseClick(end, Qt::LeftButton); // "Nein"
        QVERIFY(window->isVisible());
        QCOMPARE(stick->ui.lastText(),
                 std::string("2 Zeilen haben noch kein Ereignis. Nur Zeilen mit Ereignis kommen "
                             "auf den USB-Stick; diese gehen beim Beenden verloren.\r\n\r\n"
                             "Wollen Sie trotzdem beenden?"));
        QCOMPARE(stick->ui.messages.back().title, std::string("Beenden?"));
        // "USB-Stick sicher entfernen" ends the window too: the same question, before the eject.
        popupOn(0, 4, "mnu_Popup_Entfernen"); // "Nein"
        QVERIFY(window->isVisible());
        QCOMPARE(stick->ui.messages.size(), std::size_t(2));
        QCOMPARE(stick->ui.messages[0].text, stick->ui.messages[1].text);
        QCOMPARE(column(2).size(), 4);
        stick->ui.setNextAnswer(MessageAnswer::Yes);
        end->setFocus();
        QTest::keyClick(end, Qt::Key_Space);
        QVERIFY(!window->isVisible());
        QVERIFY(stick->index().find("MGM2-0012-00000.mp3;" + m + "a.mp3") != std::string::npos);
        QVERIFY(stick->index().find("B.mp3") == std::string::npos);
    }

    void resizeMovesTheButtonsOnlyAboveTheMinimumHeight() {
        open({});
        QWidget* end = control(window.get(), "cmdBeenden");
        window->resize(800, 400);
        QCOMPARE(window->grid()->geometry(), QRect(0, 0, 800, 400 - 33));
        QCOMPARE(end->y(), 400 - 26);
        QVERIFY(end->x() > control(window.get(), "Command3")->geometry().right());
        window->resize(700, 30);
        QCOMPARE(window->grid()->geometry(), QRect(0, 0, 700, 400 - 33));
        QCOMPARE(end->y(), 400 - 26);
    }

    void closingCommitsAndAsksToTryAgainAfterAFailure() {
        open({"MGM2-0012-00000.mp3;" + m + "a.mp3"});
        // A delete that the stick refused is still to be written.
        stick->files.setReadOnly(true);
        stick->workspace.deleteRow(1);
        stick->ui.messages.clear();
        stick->ui.setNextAnswer(MessageAnswer::Yes); // then "Nein"
        QVERIFY(window->close());
        QVERIFY(window->windowTitle().endsWith(" Sounddateien werden gespeichert..."));
        QCOMPARE(stick->ui.messages.size(), std::size_t(4)); // failure, question, failure, question
        QCOMPARE(stick->ui.messages[1].text, std::string("Erneut versuchen?"));
        QVERIFY(stick->session.SaveNeeded());

        stick->files.setReadOnly(false);
        window->show();
        QVERIFY(window->close());
        QVERIFY(stick->index().find("MGM2") == std::string::npos);
        QCOMPARE(stick->ui.messages.size(), std::size_t(4));
    }
};

TONARION_GUI_TEST(MainWindowTest)
#include "MainWindowTest.moc"
