#include "mainwindow/MainWindow.h"

#include "event/EventDialog.h"
#include "mainwindow/SoundTableModel.h"
#include "support/GuiStick.h"
#include "support/ModalDialog.h"

#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
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
    QString cell(int gridRow, int gridColumn) const {
        if (gridColumn == 0) {
            return window->model()
                ->headerData(gridRow - 1, Qt::Vertical, Qt::DisplayRole)
                .toString();
        }
        return window->model()->index(gridRow - 1, gridColumn - 1).data().toString();
    }
    QStringList column(int gridColumn) const {
        QStringList texts;
        for (int row = 1; row <= window->model()->rowCount(); ++row) {
            texts << cell(row, gridColumn);
        }
        return texts;
    }
    void clickHeader(int gridColumn) {
        QHeaderView* header = window->grid()->horizontalHeader();
        const int section = gridColumn - 1;
        const QPoint at(header->sectionViewportPosition(section) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }
    QPoint cellCentre(int gridRow, int gridColumn) const {
        return window->grid()
            ->visualRect(window->model()->index(gridRow - 1, gridColumn - 1))
            .center();
    }
    void drop(const QStringList& paths) {
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString& path : paths) {
            urls << QUrl::fromLocalFile(path);
        }
        mime.setUrls(urls);
        // A file manager's drag: it enters the grid, moves and drops.
        QWidget* target = window->grid()->viewport();
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDragMoveEvent move(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
        QDropEvent event(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }

    const std::string m = GuiStick::Music;

private slots:
    void init() { stick = std::make_unique<GuiStick>(); }
    void cleanup() { window.reset(); }

    void showsTheSticksEntriesAndItsPathInTheCaption() {
        open({"MGM2-0012-00000.mp3;" + m + "pfiff.mp3", "L1M3-0007-20002.mp3;" + m + "zug.mp3"});
        QCOMPARE(window->windowTitle(), QString("Tonarion [/stick/tonkat.tkx]"));
        QCOMPARE(column(0), QStringList({"1", "2", "3"}));
        QCOMPARE(column(1), QStringList({"MGM2-0012-00000.mp3", "L1M3-0007-20002.mp3", ""}));
        QCOMPARE(column(3), QStringList({"Magnetartikel", "ZIDAS-Empfänger", ""}));
        QCOMPARE(column(4), QStringList({"GRÜN", "S1 NACH S2", ""}));
        QCOMPARE(column(8), QStringList({"00000", "20002", ""}));
        QCOMPARE(window->model()->headerData(5, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QString(" Priorität /Ausblendzeit "));
        QVERIFY(!window->findChild<QPushButton*>("Command5")->isVisible());
    }

    void headerClicksSortAlternatelyButTheEreignissHeaderDoesNot() {
        open({"MGM2-0012-00000.mp3;" + m + "b.mp3", "KSM4-0001-00010.mp3;" + m + "a.mp3",
              "END_-0012-00000.mp3;" + m + "c.mp3"});
        clickHeader(1);
        QCOMPARE(column(1), QStringList({"MGM2-0012-00000.mp3", "KSM4-0001-00010.mp3",
                                         "END_-0012-00000.mp3", ""}));
        clickHeader(2);
        QCOMPARE(column(2), QStringList({QString::fromStdString(m + "a.mp3"),
                                         QString::fromStdString(m + "b.mp3"),
                                         QString::fromStdString(m + "c.mp3"), ""}));
        QCOMPARE(column(0), QStringList({"1", "2", "3", "4"}));
        // The Ereigniss header opens the event dialog for the current row instead.
        const QStringList before = column(1);
        bool opened = false;
        whenDialogOpens<EventDialog>([&opened](EventDialog* dialog) {
            opened = true;
            dialog->reject();
        });
        clickHeader(3);
        QVERIFY(opened);
        QCOMPARE(column(1), before);
    }

    void doubleClickFitsEveryColumnToItsWidestText() {
        const std::string longPath = m + "a-rather-long-name-for-a-sound-file.mp3";
        open({"MGM2-0012-00000.mp3;" + longPath});
        QTest::mouseDClick(window->grid()->viewport(), Qt::LeftButton, {}, cellCentre(1, 1));
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
        const auto alignment =
            window->model()->index(0, 6).data(Qt::TextAlignmentRole).value<Qt::Alignment>();
        QVERIFY(alignment & Qt::AlignLeft);
    }

    void dropsAddMp3FilesUntilTheFirstOtherFile() {
        open({"MGM2-0012-00000.mp3;" + m + "a.mp3", "MRM2-0012-00000.mp3;" + m + "b.mp3"});
        drop({"/m/A.mp3", "/m/B.txt", "/m/C.mp3"});
        QCOMPARE(column(2).mid(2), QStringList({"/m/A.mp3", ""}));
        QCOMPARE(
            stick->ui.texts(),
            std::vector<std::string>{"Eine oder mehr Dateien entsprechen nicht dem .MP3 Format!"});
        drop({"/m/D.mp3"});
        QCOMPARE(column(2).mid(2), QStringList({"/m/A.mp3", "/m/D.mp3", ""}));
        QCOMPARE(column(0), QStringList({"1", "2", "3", "4", "5"}));
        QVERIFY(!stick->session.SaveNeeded);
    }

    void deleteRemovesTheSelectedRowAndClosesRandomGapsOnTheStick() {
        open({"MGM2-0012-00000.mp3;" + m + "a.mp3", "ZUM_-0001-00000.mp3;" + m + "z1.mp3",
              "ZUM_-0002-00000.mp3;" + m + "z2.mp3", "ZUM_-0003-00000.mp3;" + m + "z3.mp3"});
        QTest::mouseClick(window->grid()->viewport(), Qt::LeftButton, {}, cellCentre(1, 2));
        window->findChild<QPushButton*>("Command3")->click();
        QVERIFY(!stick->files.has("/stick/MGM2-0012-00000.mp3"));

        QTest::mouseClick(window->grid()->viewport(), Qt::LeftButton, {}, cellCentre(1, 1));
        // The right button opens the popup without moving the selection.
        QTest::mousePress(window->grid()->viewport(), Qt::RightButton, {}, cellCentre(3, 1));
        QVERIFY(window->popupMenu()->isVisible());
        QCOMPARE(window->grid()->currentIndex().row(), 0);
        window->popupMenu()->findChild<QAction*>("mnu_Popup_Entry2")->trigger();

        QCOMPARE(column(1), QStringList({"ZUM_-0001-00000.mp3", "ZUM_-0002-00000.mp3", ""}));
        QCOMPARE(column(7), QStringList({"0001", "0002", ""}));
        QCOMPARE(QString::fromStdString(stick->files.content("/stick/ZUM_-0001-00000.mp3")),
                 QString("sound of ZUM_-0002-00000.mp3"));
        QVERIFY(!stick->files.has("/stick/ZUM_-0003-00000.mp3"));
        QCOMPARE(stick->session.counters.cntZufall(), 2);
    }

    void resizeMovesTheButtonsOnlyAboveTheMinimumHeight() {
        open({});
        auto* end = window->findChild<QPushButton*>("cmdBeenden");
        auto* remove = window->findChild<QPushButton*>("Command3");
        window->resize(800, 400);
        QCOMPARE(window->grid()->geometry(), QRect(0, 0, 800, 400 - 33));
        QCOMPARE(end->y(), 400 - 26);
        QVERIFY(end->x() > remove->geometry().right());
        window->resize(700, 30);
        QCOMPARE(window->grid()->geometry(), QRect(0, 0, 700, 400 - 33));
        QCOMPARE(end->y(), 400 - 26);
    }

    void closingCommitsAndEndsWithTheSavingCaption() {
        open({"MGM2-0012-00000.mp3;" + m + "a.mp3"});
        stick->workspace.deleteRow(1);
        QVERIFY(window->close());
        QVERIFY(window->windowTitle().endsWith(" Sounddateien werden gespeichert..."));
        QVERIFY(stick->index().find("MGM2") == std::string::npos);
        QVERIFY(!stick->session.SaveNeeded);
        QVERIFY(stick->ui.messages.empty());
    }

    void aFailedClosingCommitAsksToTryAgain() {
        open({"MGM2-0012-00000.mp3;" + m + "a.mp3"});
        stick->workspace.deleteRow(1);
        stick->files.setReadOnly(true);
        stick->ui.setNextAnswer(MessageAnswer::Yes);
        stick->ui.setNextAnswer(MessageAnswer::No);
        QVERIFY(window->close());
        QCOMPARE(stick->ui.messages.size(), std::size_t(4)); // failure, question, failure, question
        QCOMPARE(stick->ui.messages[1].text, std::string("Erneut versuchen?"));
        QCOMPARE(stick->ui.messages[1].icon, MessageIcon::Question);
        QVERIFY(stick->session.SaveNeeded);
    }

    void theCounterReportNamesEveryCounter() {
        open({"MGM2-0012-00000.mp3;" + m + "a.mp3", "UZM_-0005-00000.mp3;" + m + "u.mp3",
              "UZM_-0006-00000.mp3;" + m + "v.mp3"});
        window->findChild<QPushButton*>("Command5")->click();
        QCOMPARE(stick->ui.messages.back().icon, MessageIcon::None);
        QVERIFY(stick->ui.lastText().ends_with("gesamt menge: 3\r\nnachste zeilenposition: 4"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
