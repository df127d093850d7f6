#include "gui/MainWindow.h"

#include "event/EintragZusammensetzen.h"
#include "gui/LevelDialog.h"
#include "gui/QtUserInterface.h"
#include "gui/SoundPlayback.h"
#include "gui/StickCheckDialog.h"
#include "model/SoundFileDrop.h"
#include "settings/SettingsForm.h"
#include "sound/InvalidSounds.h"
#include "sound/SoundConverter.h"
#include "support/GuiTestMain.h"
#include "support/SoundFiles.h"
#include "support/WindowFixture.h"
#include "workspace/StickCleanUp.h"
#include "workspace/StickRemoval.h"

#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QToolTip>
#include <QTreeWidget>

#include <cmath>
#include <cstdio>
#include <future>
#include <numbers>
#include <thread>

using namespace tonarion;
using namespace tonarion::testing;

// The program's windows, and how far the work under the wait window has come.
class ProgressShown final : public UserInterface {
public:
    MessageAnswer showMessage(const Message& message) override { return m_qt.showMessage(message); }
    void setBusyPointer(bool busy) override { m_qt.setBusyPointer(busy); }
    void showWaitWindow() override { m_qt.showWaitWindow(); }
    void hideWaitWindow() override { m_qt.hideWaitWindow(); }
    void reportProgress(int done, int total) override {
        this->done = done;
        m_qt.reportProgress(done, total);
    }
    void processPendingEvents() override { m_qt.processPendingEvents(); }
    void setCancellable(bool cancellable) override { m_qt.setCancellable(cancellable); }
    bool cancelRequested() override { return m_qt.cancelRequested(); }

    int done = 0;

private:
    QtUserInterface m_qt;
};

// The main window and what its popup opens: the stick check and the stick's removal. The
// ejector it asks is the test itself.
class MainWindowTest : public QObject, WindowFixture, StickEjector {
    Q_OBJECT

    const std::string m = Music;
    const std::vector<std::string> fiveRows = {
        "MGM2-0012-00000.mp3;" + m + "a.mp3", "RBM1-0005-00008.mp3;" + m + "b.mp3",
        "KSM4-0001-00010.mp3;" + m + "c.mp3", "END_-0012-00000.mp3;" + m + "d.mp3",
        "UZM_-0029-00000.mp3;" + m + "e.mp3"};

    EjectResult ejection; // what the next eject answers
    std::vector<std::string> ejected;
    std::string indexWhenEjected;
    bool stickFreeWhenEjected = false;

    EjectResult eject(const std::string& stickRoot) override {
        ejected.push_back(stickRoot);
        indexWhenEjected = stick->index();
        stickFreeWhenEjected = static_cast<bool>(stick->files.lockFolder(stickRoot));
        return ejection;
    }

    // A dropped file's path as the window keeps it: "\m\A.mp3" on Windows.
    static QString dropped(const char* path) { return QDir::toNativeSeparators(path); }
    // A file manager's drag of files: the grid takes it when it enters, then gets the drop;
    // no message may show while the drop is under way, the file manager waits for it.
    void drop(const QByteArray& uriList) {
        QMimeData mime;
        mime.setData("text/uri-list", uriList);
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(window->grid()->viewport(), &enter);
        QDropEvent event(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, {});
        const std::size_t messagesBefore = stick->ui.messages.size();
        QApplication::sendEvent(window->grid()->viewport(), &event);
        QVERIFY(enter.isAccepted() && event.isAccepted());
        QCOMPARE(stick->ui.messages.size(), messagesBefore);
        QApplication::processEvents();
    }
    // Whether the grid draws anything below its rows (the hint of an empty table).
    bool inkBelowTheRows() const {
        const QImage picture = window->grid()->viewport()->grab().toImage();
        const int top = window->grid()->rowViewportPosition(window->model()->rowCount() - 1) +
                        window->grid()->rowHeight(0) + 2;
        QImage below = picture.copy(0, top, picture.width(), picture.height() - top);
        QImage blank = below;
        blank.fill(below.pixel(1, below.height() - 2));
        return below != blank;
    }
    QString toolTipOf(int modelRow, int modelColumn) const {
        SoundGrid* grid = window->grid();
        const QPoint at = grid->visualRect(grid->model()->index(modelRow, modelColumn)).center();
        QHelpEvent help(QEvent::ToolTip, at, grid->viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid->viewport(), &help);
        const QString text = QToolTip::isVisible() ? QToolTip::text() : QString();
        QToolTip::hideText();
        // The next tooltip must not find this one still fading out.
        static_cast<void>(QTest::qWaitFor([] { return !QToolTip::isVisible(); }));
        return text;
    }
    // Gives the input; a window that has not come back from it within five seconds has
    // frozen, and the test ends there as the user would have to end the program.
    static void promptly(const char* what, const std::function<void()>& input) {
        std::promise<void> back;
        std::thread watchdog([what, returned = back.get_future()] {
            if (returned.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
                std::fprintf(stderr, "FAIL! the window froze at %s\n", what);
                std::_Exit(1);
            }
        });
        input();
        back.set_value();
        watchdog.join();
    }
    // The stick check's report, "finding | file | Bereinigen" a line, then the result.
    static QStringList report(const StickCheckDialog* dialog) {
        QStringList lines;
        const auto* list = dialog->findChild<QTreeWidget*>("lstBefunde");
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list->topLevelItem(i);
            lines << item->text(0) + " | " + item->text(1) + " | " + item->text(2);
        }
        return lines << dialog->findChild<QLabel*>("lblErgebnis")->text();
    }
    // "USB-Stick prüfen..." in the popup, with the mouse; the handler gets the dialog.
    void checkStick(const std::function<void(StickCheckDialog*)>& handler) {
        bool opened = false;
        whenDialogOpens<StickCheckDialog>([&opened, handler](StickCheckDialog* dialog) {
            opened = true;
            handler(dialog);
        });
        popupOn(0, 2, "mnu_Popup_Pruefen");
        QVERIFY(opened);
    }

private slots:
    void init() { reset(); }
    void cleanup() { window.reset(); }

    // The messages the windows show, as the user reads them; the window tests compare with
    // the program's constants.
    void theWindowsMessagesReadAsWritten() {
        const QStringList texts = {StatusMissingMessage, SecondAddressMessage, SaveSettingsQuestion,
                                   StickRemovableMessage, InvalidSoundsMessage};
        QCOMPARE(texts.join('|'),
                 "Bitte aktivieren Sie den Status!|Bitte geben Sie die 2. Adresse ein!|Sie haben "
                 "Änderungen vorgenommen.\r\nWollen Sie diese speichern?|Der USB-Stick kann jetzt "
                 "entfernt werden.|Diese Dateien sind keine gültigen MP3-Dateien und werden vom "
                 "Soundmodul vermutlich nicht abgespielt:");
    }

    // The window's captions; the row acted on is the row the user pointed at or moved to,
    // wherever a sort moved it, never the top row; a double click fits the columns.
    void everyWayToARowActsOnThatRow() {
        open(fiveRows);
        QStringList texts = {window->windowTitle()};
        for (int gridColumn = 0; gridColumn < 9; ++gridColumn) {
            texts << column(gridColumn).first();
        }
        for (const char* button : {"Command4", "Command3", "Command5", "cmdBeenden"}) {
            texts << control(window.get(), button)->property("text").toString();
        }
        for (const QAction* entry : window->popupMenu()->actions()) {
            texts << entry->text();
        }
        QCOMPARE(texts.join('|'),
                 "Tonarion [/stick/tonkat.tkx]|1|MGM2-0012-00000.mp3|" + QString::fromStdString(m) +
                     "a.mp3|Magnetartikel|GRÜN|MIT ERLAUBNIS|2|0012|00000|Modul Einstellungen|"
                     "Zeile löschen|aktueller zählerstand|Beenden|Sounddateien hinzufügen...|"
                     "Zeile löschen\tEntf|Anhören\tLeertaste|Für das Soundmodul aufbereiten|"
                     "Lautstärke angleichen...||USB-Stick prüfen...|"
                     "USB-Stick sicher entfernen||Liste drucken...|Liste exportieren...");
        act(window.get(), {"Command5"}); // hidden
        QCOMPARE(stick->ui.texts(), std::vector<std::string>{stick->workspace.counterReport()});
        stick->ui.messages.clear();

        // The Ereigniss header opens the event dialog for the current row, and sorts nothing.
        SoundGrid* grid = window->grid();
        clickCell(grid, 4, 1);
        QCOMPARE(dialogAfter([this] { clickHeader(3); }).value(0), QString("UZM_-0029-00000.mp3"));
        QCOMPARE(column(1).first(), QString("MGM2-0012-00000.mp3"));
        // A sort keeps the current sound current, and the header's arrow shows the column and
        // direction; the NR column stays in order. Enter and F2 bind the row the user chose.
        clickCell(grid, 2, 4);
        clickHeader(1);
        QCOMPARE(column(1),
                 QStringList({"UZM_-0029-00000.mp3", "RBM1-0005-00008.mp3", "MGM2-0012-00000.mp3",
                              "KSM4-0001-00010.mp3", "END_-0012-00000.mp3", ""}));
        QCOMPARE(column(0), QStringList({"1", "2", "3", "4", "5", "6"}));
        QCOMPARE(grid->horizontalHeader()->sortIndicatorSection(), 0);
        QCOMPARE(grid->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
        QCOMPARE(dialogAfter([grid] { QTest::keyClick(grid, Qt::Key_Return); }).value(0),
                 QString("KSM4-0001-00010.mp3"));
        QTest::keyClick(grid, Qt::Key_Up);
        QCOMPARE(dialogAfter([grid] { QTest::keyClick(grid, Qt::Key_F2); }).value(0),
                 QString("MGM2-0012-00000.mp3"));
        // The popup over the header row keeps the current row.
        QTest::mousePress(grid->horizontalHeader()->viewport(), Qt::RightButton, {}, QPoint(10, 5));
        window->popupMenu()->hide();
        QCOMPARE(grid->currentIndex().row(), 2);

        // A double click, also on the NR column, gives every column the same room beside its
        // widest text, header included.
        QTest::mouseDClick(grid->verticalHeader()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        const QFontMetrics metrics(grid->font());
        QList<int> rooms;
        for (int gridColumn = 1; gridColumn < 9; ++gridColumn) {
            int widest = metrics.horizontalAdvance(
                window->model()
                    ->headerData(gridColumn - 1, Qt::Horizontal, Qt::DisplayRole)
                    .toString());
            for (const QString& text : column(gridColumn)) {
                widest = std::max(widest, metrics.horizontalAdvance(text));
            }
            rooms << grid->columnWidth(gridColumn - 1) - widest;
        }
        QCOMPARE(rooms, QList<int>(8, rooms[0]));
        QVERIFY(rooms[0] >= 6);
        QVERIFY(grid->verticalHeader()->width() >= metrics.horizontalAdvance(" NR ") + 6);

        // The Delete key, the right button on a cell and on an NR cell, each on its own row
        // and without a question.
        clickCell(grid, column(1).indexOf("KSM4-0001-00010.mp3"), 0);
        QTest::keyClick(grid, Qt::Key_Delete);
        clickCell(grid, 0, 0);
        popupOn(column(1).indexOf("MGM2-0012-00000.mp3"), 2, "mnu_Popup_Entry2");
        popupOn(column(1).indexOf("UZM_-0029-00000.mp3"), -1, "mnu_Popup_Entry2");
        QCOMPARE(column(1), QStringList({"RBM1-0005-00008.mp3", "END_-0012-00000.mp3", ""}));
        // Shift-click selects several rows, here with the empty last one, which holds nothing
        // to delete: one question names how many, and its Enter keeps them.
        clickCell(grid, 0, 4);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                          grid->visualRect(window->model()->index(2, 1)).center());
        QTest::keyClick(grid, Qt::Key_Delete); // "Nein"
        QCOMPARE(stick->ui.texts(),
                 std::vector<std::string>({"Wollen Sie die 2 markierten Zeilen löschen?"}));
        QCOMPARE(stick->ui.messages[0].defaultAnswer, MessageAnswer::No);
        QCOMPARE(column(1).size(), 3);
        stick->ui.setNextAnswer(MessageAnswer::Yes);
        QTest::mouseClick(control(window.get(), "Command3"), Qt::LeftButton);
        QCOMPARE(column(1), QStringList({""}));
        QVERIFY(stick->index().find("RBM1") == std::string::npos);
    }

    void dropsAndTheFileDialogAddMp3FilesUntilTheFirstOtherFile() {
        open({});
        QVERIFY(inkBelowTheRows()); // the hint of the empty table
        drop("file:///m/A.mp3\r\nfile:///m/B.txt\r\nfile:///m/C.mp3\r\n");
        QVERIFY(!inkBelowTheRows());
        // "Sounddateien hinzufügen..." (Ctrl+O) takes the drop's way.
        std::vector<std::string> chosen = {"/m/D.mp3", "/m/E.MP3"};
        window->setSoundFileChooser([&chosen](QWidget*) { return chosen; });
        QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
        // The first added row is current: Enter binds it.
        QCOMPARE(dialogAfter([this] {
                     QTest::keyClick(window->grid(), Qt::Key_Enter, Qt::KeypadModifier);
                 }).value(1),
                 QString("Ereignis auswählen... – D.mp3"));
        chosen = {"/m/F.wav", "/m/G.mp3"};
        popupOn(0, 0, "mnu_Popup_Entry1");
        chosen.clear(); // cancelled
        QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(column(2), QStringList({dropped("/m/A.mp3"), "/m/D.mp3", "/m/E.MP3", ""}));
        QCOMPARE(stick->ui.texts(), std::vector<std::string>(2, NotMp3Message));
    }

    // Files that would not play are told once, after the drop; each row's tooltip shows its
    // format, what its cells hide, and a source that is gone, whose path turns red.
    void droppedFilesThatWouldNotPlayAreToldOnceAndTooltipsShowTheFormat() {
        stick->writeIndexWithSounds({"UZM_-0029-00000.mp3;" + m + "alt.mp3"});
        stick->files.ShellDelete(m + "alt.mp3"); // the stick's copy stands in
        sounds->findings[Root + "UZM_-0029-00000.mp3"] = FakeSoundInspector::renamedWav();
        openWindow();
        SoundFindings truncated = FakeSoundInspector::goodMp3();
        truncated.decodedToEnd = false;
        sounds->findings[dropped("/m/wav.mp3").toStdString()] = FakeSoundInspector::renamedWav();
        sounds->findings[dropped("/m/halb.mp3").toStdString()] = truncated;
        const char* const longName = "/m/ein-recht-langer-name-einer-sounddatei-aus-dem-archiv.mp3";
        drop("file:///m/wav.mp3\r\nfile:///m/halb.mp3\r\nfile://" + QByteArray(longName));
        QTRY_COMPARE(stick->ui.texts(), std::vector<std::string>{std::string(InvalidSoundsMessage) +
                                                                 "\r\nwav.mp3\r\nhalb.mp3"});
        QCOMPARE(stick->ui.messages[0].icon, MessageIcon::Information);
        QCOMPARE(column(2).mid(1, 3),
                 QStringList({dropped("/m/wav.mp3"), dropped("/m/halb.mp3"), dropped(longName)}));
        QCOMPARE(toolTipOf(1, 7),
                 "keine MPEG-Audiodatei\n" +
                     QString::fromStdString(soundHints(FakeSoundInspector::renamedWav())[0]));
        const QString format = "MPEG-1 Layer III, 44,1 kHz, 128 kbit/s, Stereo, 0:03";
        QCOMPARE(toolTipOf(3, 1), dropped(longName) + "\n" + format);
        QCOMPARE(toolTipOf(3, 2), format); // a text that fits its cell needs no more
        // Loaded rows are looked at, on the stick where the source is gone, but not told of.
        QCOMPARE(sounds->paths().front(), Root + "UZM_-0029-00000.mp3");
        QCOMPARE(toolTipOf(0, 6).section('\n', 0, 1), QString("07:00\nkeine MPEG-Audiodatei"));
        stick->session.table().setSoundNotFound(1, true);
        QCOMPARE(
            toolTipOf(0, 1).section('\n', 0, 2),
            QString::fromStdString(m + "alt.mp3\nDatei nicht gefunden\nkeine MPEG-Audiodatei"));
        QVERIFY(window->model()->index(0, 1).data(Qt::ForegroundRole).isValid());
        QVERIFY(!window->model()->index(0, 0).data(Qt::ForegroundRole).isValid());
        QCOMPARE(stick->ui.messages.size(), std::size_t(1));
    }

    // "Anhören" (Space) plays the row's sound until pressed again or another row is chosen.
    // Some outputs never come back once stopped (OpenAL without a sound device does so):
    // however the sound is stopped, the window must not wait for it, and no row may be lost.
    void anhoerenPlaysUntilStoppedAndNeverWaitsForTheOutput() {
        open({fiveRows[0], fiveRows[2]});
        stick->files.ShellDelete(m + "c.mp3"); // the stick's copy stands in
        player->setHangOnStop(true);
        ejection = {EjectOutcome::Busy, {}};
        window->setStickEjector(*this);
        SoundGrid* grid = window->grid();
        QAction* listen = window->popupMenu()->findChild<QAction*>("mnu_Popup_Anhoeren");
        const auto space = [grid] {
            QTest::keyClick(grid, Qt::Key_Space);
        };
        // Each sound plays on a thread of its own: the next input waits until it has begun.
        popupOn(0, 4, "mnu_Popup_Anhoeren");
        QTRY_COMPARE(player->played().size(), std::size_t(1));
        QCOMPARE(listen->text(), QString("Anhalten\tLeertaste"));
        promptly("Space again", space);
        QCOMPARE(listen->text(), QString("Anhören\tLeertaste"));
        space();
        QTRY_COMPARE(player->played().size(), std::size_t(2));
        promptly("Down", [grid] { QTest::keyClick(grid, Qt::Key_Down); });
        QVERIFY(!window->playback()->isPlaying());
        space();
        QTRY_COMPARE(player->played().size(), std::size_t(3));
        promptly("a click on another row", [grid] { clickCell(grid, 0, 4); });
        // The empty last row has nothing to play.
        QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
        space();
        QVERIFY(!window->playback()->isPlaying());
        // The event dialog plays the sound being bound, until it closes.
        QString playingCaption;
        whenDialogOpens<EventDialog>([&playingCaption](EventDialog* dialog) {
            auto* button = dialog->findChild<QPushButton*>("cmdAnhoeren");
            QTest::mouseClick(button, Qt::LeftButton);
            playingCaption = button->text();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        promptly("Abbrechen in the event dialog", [grid] { clickCell(grid, 0, 2); });
        QCOMPARE(playingCaption, QString("Anhalten"));
        QVERIFY(!window->playback()->isPlaying());
        space();
        promptly("USB-Stick sicher entfernen", [this] { popupOn(0, 4, "mnu_Popup_Entfernen"); });
        QVERIFY(window->isVisible()); // the stick was busy
        // No audio device: one message, and the window goes on.
        player->error = "Der Sound kann nicht abgespielt werden: keine Tonausgabe.";
        space();
        QTRY_COMPARE(stick->ui.lastText(), player->error);
        QVERIFY(!window->playback()->isPlaying());
        player->error.clear();
        space();
        promptly("Beenden", [this] {
            QTest::mouseClick(control(window.get(), "cmdBeenden"), Qt::LeftButton);
        });
        QVERIFY(!window->isVisible());
        QCOMPARE(column(1), QStringList({"MGM2-0012-00000.mp3", "KSM4-0001-00010.mp3", ""}));
        QVERIFY(stick->index().find(fiveRows[2]) != std::string::npos);
        QTRY_COMPARE(player->hungPlayings(), 5);
        player->setHangOnStop(false);
        QTRY_COMPARE(player->stopped(), std::vector<bool>(5, true));
        const std::string a = m + "a.mp3";
        QCOMPARE(player->played(),
                 std::vector<std::string>({a, a, Root + "KSM4-0001-00010.mp3", a, a, a, a}));
    }

    // Rows without an event stay off the stick and go with the window: "Beenden" and
    // "USB-Stick sicher entfernen" ask first, in a box of the window whose Enter says "Nein".
    void beendenAsksBeforeRowsWithoutAnEventAreLost() {
        QtUserInterface boxes;
        open({fiveRows[0]}, &boxes);
        drop("file:///m/A.mp3\r\nfile:///m/B.mp3\r\n");
        QStringList asked;
        const auto answer = [&asked, this](int key) {
            whenDialogOpens<QMessageBox>([&asked, key, this](QMessageBox* box) {
                QCOMPARE(box->parentWidget(), window.get());
                asked << box->windowTitle() + ": " + box->text();
                QTest::keyClick(box, Qt::Key(key));
            });
        };
        answer(Qt::Key_Return);
        QTest::mouseClick(control(window.get(), "cmdBeenden"), Qt::LeftButton);
        QVERIFY(window->isVisible());
        clickCell(window->grid(), 2, 0);
        QTest::keyClick(window->grid(), Qt::Key_Delete);
        answer(Qt::Key_Escape);
        popupOn(0, 4, "mnu_Popup_Entfernen");
        QVERIFY(window->isVisible());
        const QString lost = " noch kein Ereignis. Nur Zeilen mit Ereignis kommen auf den "
                             "USB-Stick; diese %1 beim Beenden verloren.\n\nWollen Sie trotzdem "
                             "beenden?";
        QCOMPARE(asked, QStringList({"Beenden?: 2 Zeilen haben" + lost.arg("gehen"),
                                     "Beenden?: 1 Zeile hat" + lost.arg("geht")}));
        whenDialogOpens<QMessageBox>([](QMessageBox* box) {
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == "Ja") {
                    QTest::mouseClick(button, Qt::LeftButton);
                }
            }
        });
        control(window.get(), "cmdBeenden")->setFocus();
        QTest::keyClick(control(window.get(), "cmdBeenden"), Qt::Key_Space);
        QVERIFY(!window->isVisible());
        QVERIFY(stick->index().find(fiveRows[0]) != std::string::npos);
        QVERIFY(stick->index().find("A.mp3") == std::string::npos);
    }

    void closingCommitsAndAsksToTryAgainAfterAFailure() {
        open({fiveRows[0]});
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

    // "USB-Stick sicher entfernen" writes what is pending, lets go of the stick, has it
    // ejected and ends; a stick that cannot go stays in the window, and the user is told why.
    void removingTheStickCommitsLetsGoEjectsAndEnds() {
        const struct {
            EjectOutcome outcome;
            const char* reason;
            bool stickRefusesWrites;
            const char* told;
        } cases[] = {
            {EjectOutcome::Busy, "target is busy", false,
             "ein anderes Programm noch eine Datei auf ihm geöffnet hat"},
            {EjectOutcome::NotAStick, "", false, "Das System kennt unter /stick/ kein Laufwerk"},
            {EjectOutcome::Failed, "Not authorized", false,
             "Das System kann den USB-Stick nicht auswerfen.\r\nWerfen Sie den USB-Stick bitte "
             "über die Dateiverwaltung aus.\r\n\r\nMeldung des Systems: Not authorized"},
            {EjectOutcome::Ejected, "", true, ""}, // the commit fails: no eject
            {EjectOutcome::Ejected, "", false, StickRemovableMessage},
        };
        for (const auto& c : cases) {
            reset();
            ejection = {c.outcome, c.reason};
            ejected.clear();
            // A stick with one sound whose deletion the stick refused: the window holds it
            // pending.
            open({fiveRows[0]});
            window->setStickEjector(*this);
            stick->files.setReadOnly(true);
            QTest::keyClick(window->grid(), Qt::Key_Delete);
            stick->files.setReadOnly(c.stickRefusesWrites);
            QVERIFY(stick->session.SaveNeeded());
            stick->ui.messages.clear();
            popupOn(0, 1, "mnu_Popup_Entfernen");
            const bool gone = c.outcome == EjectOutcome::Ejected && !c.stickRefusesWrites;
            QCOMPARE(ejected.size(), std::size_t(c.stickRefusesWrites ? 0 : 1));
            QCOMPARE(stick->ui.messages.size(), std::size_t(1));
            QVERIFY2(stick->ui.lastText().find(c.told) != std::string::npos, c.told);
            QCOMPARE(stick->ui.messages[0].icon,
                     gone ? MessageIcon::Information : MessageIcon::Critical);
            QCOMPARE(stick->ui.messagesUnderWaitWindow, 0);
            QCOMPARE(window->isVisible(), !gone);
            QCOMPARE(!stick->files.lockFolder(Root), !gone); // the window holds the stick
        }
        QCOMPARE(ejected, std::vector<std::string>{Root});
        QVERIFY(indexWhenEjected.find("MGM2") == std::string::npos);
        QVERIFY(!stick->files.has(Root + "MGM2-0012-00000.mp3"));
        QVERIFY(stickFreeWhenEjected);
    }

    // The stick check's report; it cleans only what may go, after asking.
    void theStickCheckCleansOnlyWhatMayGoAfterAsking() {
        open({fiveRows[0]});
        stick->files.setVolumeInfo({"SOUNDS", "FAT32", 4'000'000'000, 3'000'000'000});
        checkStick([](StickCheckDialog* dialog) {
            QCOMPARE(report(dialog), QStringList{"Der USB-Stick ist in Ordnung."});
            QVERIFY(!control(dialog, "cmdBereinigen")->isEnabled());
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        FakeFileOperations& files = stick->files;
        files.addFile(Root + "._MGM2-0012-00000.mp3", "AppleDouble");
        files.addFile(Root + "MGM2-0012-00000.mp3" + CopySuffix, "half a sound");
        files.addFile(Root + ".Trashes/501/alt.mp3", "old");
        files.addFolder(Root + ".Trashes/");
        files.addFile(Root + "KAM1-0001-00002.mp3", "the module plays this");
        files.setVolumeInfo({"SOUNDS", "exFAT", 4'000'000'000, 3'000'000'000});
        // The findings in the report's order: the stick's files by name, its folders, the
        // medium.
        const QString unlisted = "Nicht in tonkat.tkx verzeichnet, das Modul spielt sie "
                                 "trotzdem; der nächste Start übernimmt sie als Zeile | "
                                 "KAM1-0001-00002.mp3 | nein";
        const QString exFat =
            "Dateisystem exFAT: das Soundmodul liest nur FAT32 oder FAT16 |  | nein";
        const QStringList everything = {
            "Überbleibsel von macOS | ._MGM2-0012-00000.mp3 | ja",
            unlisted,
            "Rest eines unterbrochenen Speichervorgangs | MGM2-0012-00000.mp3.tonarion-new | ja",
            "Überbleibsel von macOS | .Trashes (Ordner) | ja",
            exFat,
            "Die Prüfung hat 5 Auffälligkeiten gefunden. 3 davon können bereinigt werden."};
        checkStick([&](StickCheckDialog* dialog) {
            QCOMPARE(report(dialog), everything);
            stick->ui.setNextAnswer(MessageAnswer::Yes);
            QTest::mouseClick(control(dialog, "cmdBereinigen"), Qt::LeftButton);
            QCOMPARE(report(dialog),
                     QStringList({unlisted, exFat, "Die Prüfung hat 2 Auffälligkeiten gefunden."}));
            QVERIFY(stick->ui.lastText().starts_with(CleanUpQuestion));
            QVERIFY(!control(dialog, "cmdBereinigen")->isEnabled());
            QTest::mouseClick(control(dialog, "cmdSchliessen"), Qt::LeftButton);
            QVERIFY(!dialog->isVisible());
        });
        QVERIFY(!stick->files.has(Root + ".Trashes/501/alt.mp3"));
    }

private:
    // Three bound tones of these peaks, as MP3s on the stick and at their sources, with the
    // loudness the look into them finds; the window opens on them with `ui`.
    std::unique_ptr<SoundConverter> converter = makeSoundConverter();
    static std::string toneWav(double peak) {
        std::string samples;
        for (int i = 0; i < 3 * 44100; ++i) {
            const double value = peak * 32767 * std::sin(2 * std::numbers::pi * 997 * i / 44100);
            samples += littleEndian(static_cast<std::uint16_t>(std::lround(value)), 2);
        }
        return "RIFF" + littleEndian(static_cast<std::uint32_t>(36 + samples.size()), 4) +
               "WAVEfmt " + littleEndian(16, 4) + littleEndian(1, 2) + littleEndian(1, 2) +
               littleEndian(44100, 4) + littleEndian(88200, 4) + littleEndian(2, 2) +
               littleEndian(16, 2) + "data" +
               littleEndian(static_cast<std::uint32_t>(samples.size()), 4) + samples;
    }
    static std::span<const std::uint8_t> bytesOf(const std::string& text) {
        return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
    }
    std::optional<double> lufsOf(const std::string& bytes) const {
        const auto loudness = converter->measure(bytesOf(bytes));
        return loudness ? std::optional(loudness->lufs) : std::nullopt;
    }
    void openOnTones(const std::vector<double>& peaks, UserInterface* ui = nullptr,
                     StickWorkspace* workspace = nullptr) {
        const std::vector<std::string> rows(fiveRows.begin(), fiveRows.begin() + std::ssize(peaks));
        stick->writeIndexWithSounds(rows);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const std::string wav = toneWav(peaks[i]);
            const SoundBytes mp3 = converter->encodeForModule(bytesOf(wav), 0, {}).bytes;
            const std::string bytes(mp3.begin(), mp3.end());
            stick->files.addFile(Root + rows[i].substr(0, 19), bytes, 1000);
            stick->files.addFile(rows[i].substr(20), bytes, 1000);
            SoundFindings found = FakeSoundInspector::goodMp3();
            found.loudness = converter->measure(bytesOf(bytes));
            sounds->findings[rows[i].substr(20)] = found;
        }
        openWindow(ui, workspace);
    }

private slots:
    // A WAV dropped is converted after one question and is not looked into as an MP3; the
    // tooltip tells each sound's loudness; "Lautstärke angleichen..." over two selected rows
    // offers them and the stick's middle, and brings just those two to the target chosen.
    void aDroppedWavIsConvertedAndTheDialogLevelsTheSelectedSounds() {
        openOnTones({0.9, 0.05, 0.25});
        QTRY_COMPARE(toolTipOf(2, 2),
                     "MPEG-1 Layer III, 44,1 kHz, 128 kbit/s, Stereo, 0:03, \u221215 LUFS");
        const std::string wav = dropped((m + "ansage.wav").c_str()).toStdString();
        stick->files.addFile(wav, toneWav(0.3));
        sounds->findings[wav] = FakeSoundInspector::renamedWav();
        stick->ui.setNextAnswer(MessageAnswer::Yes);
        drop(QByteArray::fromStdString("file://" + m + "ansage.wav"));
        QCOMPARE(column(2).mid(3), QStringList({QString::fromStdString(wav), ""}));
        QCOMPARE(toolTipOf(3, 2), "Für das Soundmodul umgewandelt, noch nicht auf dem USB-Stick");
        const std::map<std::string, std::string> before = stick->stickBytes();

        SoundGrid* grid = window->grid();
        clickCell(grid, 0, 3);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                          grid->visualRect(window->model()->index(1, 3)).center());
        QStringList offered;
        whenDialogOpens<LevelDialog>([&offered](LevelDialog* dialog) {
            offered = states(dialog, {"Option1_0", "Option1_1", "Option2_0"});
            for (const char* name : {"Option1_0", "Option1_1", "Option2_0", "Option2_1"}) {
                offered << control(dialog, name)->property("text").toString();
            }
            QTest::mouseClick(control(dialog, "Option2_1"), Qt::LeftButton, {}, QPoint(5, 5));
            QTest::mouseClick(control(dialog, "cmdOK"), Qt::LeftButton);
        });
        popupOn(1, 3, "mnu_Popup_Angleichen");
        QCOMPARE(offered, QStringList({"Option1_0=true", "Option1_1=false", "Option2_0=true",
                                       "die 2 markierten Sounds", "alle 4 Sounds des Sticks",
                                       "Mittelwert des Sticks (\u221215 LUFS)", "\u221218 LUFS"}));
        const std::map<std::string, std::string> after = stick->stickBytes();
        for (const std::string name : {"MGM2-0012-00000.mp3", "RBM1-0005-00008.mp3"}) {
            const std::optional<double> lufs = lufsOf(after.at(name));
            QVERIFY2(lufs && std::abs(*lufs + 18) < 0.5, name.c_str());
        }
        std::map<std::string, std::string> untouched = after;
        untouched.erase("MGM2-0012-00000.mp3");
        untouched.erase("RBM1-0005-00008.mp3");
        untouched.erase(IndexFileName);
        for (const auto& [name, bytes] : untouched) {
            QCOMPARE(before.at(name), bytes);
        }
        // A sound the look found pictures in is encoded anew from the popup, at its loudness.
        SoundFindings pictures = sounds->findings[m + "c.mp3"];
        pictures.embedsPictures = true;
        sounds->findings[Root + "KSM4-0001-00010.mp3"] = pictures;
        window->model()->setFindings(m + "c.mp3", pictures);
        popupOn(2, 3, "mnu_Popup_Aufbereiten");
        const std::string prepared = stick->stickBytes().at("KSM4-0001-00010.mp3");
        QVERIFY(prepared != before.at("KSM4-0001-00010.mp3"));
        QVERIFY(std::abs(*lufsOf(prepared) - *lufsOf(before.at("KSM4-0001-00010.mp3"))) < 0.5);
        QCOMPARE(column(2)[2], QString::fromStdString(Root + "KSM4-0001-00010.mp3"));
        QCOMPARE(stick->ui.texts(), std::vector<std::string>{convertQuestion(1)});
        const std::vector<std::string> looked = sounds->paths();
        QVERIFY(std::find(looked.begin(), looked.end(), wav) == looked.end());
    }

    // "Abbrechen" in the wait window, pressed once the first of three sounds is levelled,
    // leaves the table and the stick as they were; a key meant for the table and the close box
    // meanwhile do nothing.
    void abbrechenHalfwayThroughLevellingLeavesTheStickAsItWas() {
        ProgressShown ui;
        StickWorkspace workspace(stick->session, stick->files, ui);
        openOnTones({0.9, 0.05, 0.25}, &ui, &workspace);
        QTRY_VERIFY(window->model()->index(0, 0).data(Qt::ToolTipRole).toString().contains("LUFS"));
        const std::map<std::string, std::string> before = stick->stickBytes();
        const QStringList rows = column(1) + column(2);
        bool pressed = false;
        QTimer press;
        connect(&press, &QTimer::timeout, [&] {
            const QWidget* wait = nullptr;
            for (const QWidget* top : QApplication::topLevelWidgets()) {
                wait = top->objectName() == "frmWait" && top->isVisible() ? top : wait;
            }
            auto* button = wait ? wait->findChild<QPushButton*>("cmdAbbrechen") : nullptr;
            if (pressed || !button || !button->isVisible() || ui.done < 1000) {
                return;
            }
            pressed = true;
            QTest::keyClick(window->grid(), Qt::Key_Delete);
            window->windowHandle()->close(); // as the close box does
            QTest::mouseClick(button, Qt::LeftButton);
        });
        press.start(0);
        // All sounds to the stick's middle, as the dialog offers with one row selected.
        whenDialogOpens<LevelDialog>([](LevelDialog* dialog) {
            QTest::mouseClick(control(dialog, "cmdOK"), Qt::LeftButton);
        });
        popupOn(0, 3, "mnu_Popup_Angleichen");
        press.stop();
        QVERIFY(pressed);
        QCOMPARE(stick->stickBytes(), before);
        QCOMPARE(column(1) + column(2), rows);
        QVERIFY(QApplication::overrideCursor() == nullptr && window->isVisible());
    }
};

TONARION_GUI_TEST(MainWindowTest)
#include "MainWindowTest.moc"
