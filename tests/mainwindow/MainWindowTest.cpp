#include "mainwindow/MainWindow.h"

#include "event/EventDialog.h"
#include "mainwindow/SoundTableModel.h"
#include "support/GuiStick.h"
#include "support/ModalDialog.h"

#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QTest>

#include <memory>

using namespace tonarion;
using namespace tonarion::testing;

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<GuiStick> stick;
    std::unique_ptr<MainWindow> window;

    void open(std::initializer_list<std::string> entryLines) {
        stick->writeIndex(entryLines);
        window = std::make_unique<MainWindow>(stick->workspace, stick->ui);
        QVERIFY(window->load("/opt/tonarion"));
        window->show();
        window->activate();
    }
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
    // gets the drop.
    void drop(const QByteArray& uriList) {
        QMimeData mime;
        mime.setData("text/uri-list", uriList);
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(window->grid()->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent event(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window->grid()->viewport(), &event);
    }

    const std::string m = GuiStick::Music;

private slots:
    void init() { stick = std::make_unique<GuiStick>(); }
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
        // The Ereigniss header opens the event dialog for the current row instead.
        const QStringList before = column(1);
        bool opened = false;
        whenDialogOpens<EventDialog>([&opened](EventDialog*) { opened = true; });
        clickHeader(3);
        QVERIFY(opened);
        QCOMPARE(column(1), before);
    }

    void doubleClickFitsEveryColumnToItsWidestText() {
        const std::string longPath = m + "a-rather-long-name-for-a-sound-file.mp3";
        open({"MGM2-0012-00000.mp3;" + longPath});
        clickCell(window->grid(), 0, 0, Qt::LeftButton, QTest::mouseDClick);
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

    void dropsAddMp3FilesUntilTheFirstOtherFile() {
        open({"MGM2-0012-00000.mp3;" + m + "a.mp3"});
        drop("file:///m/A.mp3\r\nfile:///m/B.txt\r\nfile:///m/C.mp3\r\n");
        drop("file:///m/D.mp3");
        QCOMPARE(column(2).mid(1), QStringList({"/m/A.mp3", "/m/D.mp3", ""}));
        QCOMPARE(
            stick->ui.texts(),
            std::vector<std::string>{"Eine oder mehr Dateien entsprechen nicht dem .MP3 Format!"});
    }

    void theButtonAndThePopupDeleteTheCurrentRow() {
        open({"MGM2-0012-00000.mp3;" + m + "a.mp3", "ZUM_-0001-00000.mp3;" + m + "z1.mp3",
              "ZUM_-0002-00000.mp3;" + m + "z2.mp3", "ZUM_-0003-00000.mp3;" + m + "z3.mp3"});
        clickCell(window->grid(), 0, 1);
        act(window.get(), {"Command3"});
        clickCell(window->grid(), 0, 0);
        // The right button opens the popup without moving the selection.
        clickCell(window->grid(), 2, 0, Qt::RightButton, QTest::mousePress);
        QVERIFY(window->popupMenu()->isVisible());
        QCOMPARE(window->grid()->currentIndex().row(), 0);
        window->popupMenu()->findChild<QAction*>("mnu_Popup_Entry2")->trigger();
        // The random entries behind it moved down to close the gap.
        QCOMPARE(column(1), QStringList({"ZUM_-0001-00000.mp3", "ZUM_-0002-00000.mp3", ""}));
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
        stick->workspace.deleteRow(1);
        stick->files.setReadOnly(true);
        stick->ui.setNextAnswer(MessageAnswer::Yes); // then "Nein"
        QVERIFY(window->close());
        QVERIFY(window->windowTitle().endsWith(" Sounddateien werden gespeichert..."));
        QCOMPARE(stick->ui.messages.size(), std::size_t(4)); // failure, question, failure, question
        QCOMPARE(stick->ui.messages[1].text, std::string("Erneut versuchen?"));
        QVERIFY(stick->session.SaveNeeded);

        stick->files.setReadOnly(false);
        window->show();
        QVERIFY(window->close());
        QVERIFY(stick->index().find("MGM2") == std::string::npos);
        QCOMPARE(stick->ui.messages.size(), std::size_t(4));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
