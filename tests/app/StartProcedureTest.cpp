#include "app/StartProcedure.h"

#include "gui/QtUserInterface.h"
#include "storage/StickSelection.h"
#include "storage/platform/SystemPlatform.h"
#include "support/FakeDrives.h"
#include "support/GuiTestMain.h"
#include "support/ModalDialog.h"
#include "support/TestStick.h"

#include <QListWidget>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace tonarion;
using namespace tonarion::testing;

class StartProcedureTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestStick> stick;
    FakeDrives drives;
    std::optional<std::string> manualAnswer;
    std::unique_ptr<StartProcedure> start;

    // Sticks at these roots; those in withIndex hold an index file.
    void addSticks(std::initializer_list<std::string> roots,
                   std::initializer_list<std::string> withIndex = {}) {
        for (const std::string& root : roots) {
            stick->files.addFolder(root);
            drives.roots.push_back(root);
        }
        for (const std::string& root : withIndex) {
            stick->files.addFile(root + IndexFileName, std::string(IndexHeader) + "\r\n");
        }
    }

private slots:
    void init() {
        stick = std::make_unique<TestStick>();
        stick->session.stickRoot.clear(); // nothing chosen when the program starts
        drives.roots.clear();
        manualAnswer.reset();
        start = std::make_unique<StartProcedure>(stick->workspace, drives, stick->ui, "/opt",
                                                 [this](QWidget*) { return manualAnswer; });
    }
    void cleanup() { start.reset(); }

    // Without a USB drive the dialog opens all the same and says why its list is empty; a
    // stick plugged in appears there chosen, and a double-click takes it.
    void withoutUsbDriveTheDialogWaitsForAStick() {
        QVERIFY(start->start());
        DriveDialog* dialog = start->driveDialog();
        QVERIFY(dialog->isVisible() && stick->ui.messages.empty());
        auto* list = dialog->findChild<QListWidget*>("List1");
        QCOMPARE(list->count(), 0);
        QVERIFY(control(dialog, "NoDriveHint")->isVisible());
        addSticks({"/e/"});
        QMetaObject::invokeMethod(dialog->findChild<QTimer*>("DrivePolling"), "timeout");
        QVERIFY(!control(dialog, "NoDriveHint")->isVisible());
        QCOMPARE(list->selectedItems().value(0), list->item(0));
        QApplication::setActiveWindow(dialog);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        clickCell(list, 0, 0); // a double-click's first click, then its second
        clickCell(list, 0, 0, Qt::LeftButton, QTest::mouseDClick);
        QVERIFY(!dialog->isVisible() && start->mainWindow()->isVisible());
        QVERIFY(stick->files.content("/e/tonkat.tkx").starts_with(IndexHeader));
    }

    // The message of a failed manual entry belongs to the drive dialog, even while no window
    // is active: a box of its own would be the program's last window, and closing it would
    // end the program. Enter closes it, and the dialog stays.
    void aFailedManualEntryReturnsToTheDriveDialog() {
        addSticks({"/e/"});
        QtUserInterface windows;
        Session session;
        StickWorkspace workspace(session, stick->files, windows);
        StartProcedure procedure(workspace, drives, windows, "/opt", [](QWidget*) {
            QApplication::setActiveWindow(nullptr); // the folder chooser has just closed
            return std::optional<std::string>("/nowhere/");
        });
        QVERIFY(procedure.start());
        QWidget* owner = nullptr;
        QString text;
        whenDialogOpens<QMessageBox>([&](QMessageBox* box) {
            owner = box->parentWidget();
            text = box->text();
            QTest::keyClick(box, Qt::Key_Return);
        });
        act(procedure.driveDialog(), {"Command3"});
        QApplication::processEvents();
        QCOMPARE(text, QString::fromStdString(IndexNotCreatedMessage).replace("\r\n", "\n"));
        QCOMPARE(owner, procedure.driveDialog());
        QVERIFY(procedure.driveDialog()->isVisible());
    }

    void theFirstStickWithAnIndexFileOpensWithoutADialog() {
        addSticks({"/e/", "/f/", "/g/"}, {"/f/", "/g/"});
        QVERIFY(start->start());
        QVERIFY(!start->driveDialog() && start->mainWindow()->isVisible());
        QCOMPARE(start->mainWindow()->windowTitle(), QString("Tonarion [/f/tonkat.tkx]"));
    }

    // Another Tonarion holds the stick: no window opens on it, and nothing is written.
    void aStickThatAnotherWindowHoldsIsNotOpened() {
        addSticks({"/f/"}, {"/f/"});
        const auto otherWindow = stick->files.lockFolder("/f/");
        const std::string index = stick->files.content("/f/tonkat.tkx");
        QVERIFY(!start->start());
        QVERIFY(!start->mainWindow());
        QCOMPARE(stick->ui.texts(), std::vector<std::string>{StickInUseMessage});
        QCOMPARE(stick->files.content("/f/tonkat.tkx"), index);
    }

    // The highlighted drive is the chosen one, however it was highlighted, and the dialog is
    // gone before the main window opens.
    void aStickWithoutIndexFileIsChosenInTheDialog() {
        const std::string longMount = "/media/anna/SOUNDSTICK/und/noch/sehr/viel/mehr/Pfad/";
        addSticks({"/e/", "/f/", longMount});
        QVERIFY(start->start());
        DriveDialog* dialog = start->driveDialog();
        QVERIFY(dialog && dialog->isVisible());
        auto* list = dialog->findChild<QListWidget*>("List1");
        const QListWidgetItem* longEntry = list->item(2);
        QVERIFY(longEntry->text().startsWith("Pfad – /media/"));
        QVERIFY(longEntry->text().contains("…") && longEntry->text().endsWith("/Pfad/"));
        QCOMPARE(longEntry->toolTip(), QString::fromStdString("USB-Laufwerk " + longMount));
        QCOMPARE(list->selectedItems().value(0), list->item(0)); // what looks chosen is

        bool dialogShownWithMainWindow = true;
        connect(dialog, &DriveDialog::driveAccepted, this,
                [&] { dialogShownWithMainWindow = dialog->isVisible(); });
        QApplication::setActiveWindow(dialog);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        clickCell(list, 2, 0);
        QTest::keyClick(list, Qt::Key_Up);
        QTest::keyClick(list, Qt::Key_Tab);
        QWidget* choose = control(dialog, "Command1");
        QVERIFY(choose->hasFocus());
        QTest::keyClick(choose, Qt::Key_Space);
        QVERIFY(!dialog->isVisible() && start->mainWindow()->isVisible());
        QVERIFY(!dialogShownWithMainWindow);
        QCOMPARE(stick->session.stickRoot, std::string("/f/"));
        QVERIFY(stick->files.content("/f/tonkat.tkx").starts_with(IndexHeader));
        QVERIFY(!stick->files.has(longMount + "tonkat.tkx"));
    }

    void aStickFolderThatCannotBeUsedIsNamedAtStart() {
        QVERIFY(!start->start(std::string("/nicht/da")));
        const std::string readOnly = stickRootOf("/schreibgeschuetzt");
        stick->files.addFolder(readOnly);
        stick->files.setReadOnly(true);
        QVERIFY(!start->start(std::string("/schreibgeschuetzt")));
        QCOMPARE(stick->ui.texts(),
                 (std::vector<std::string>{"Der Ordner " + stickRootOf("/nicht/da") +
                                               " existiert nicht.\r\nDas Programm wird beendet!",
                                           "In den Ordner " + readOnly +
                                               " kann nicht geschrieben werden.\r\n"
                                               "Das Programm wird beendet!"}));
        QVERIFY(!start->mainWindow());
        // The folder made absolute by the system: "C:\card\" on Windows, on drive C:.
        stick->files.setReadOnly(false);
        const std::string card = stickRootOf("/card");
        stick->files.addFolder(card);
        QVERIFY(start->start(std::string("/card")));
        QVERIFY(start->mainWindow()->isVisible() && stick->files.has(card + "tonkat.tkx"));
        QCOMPARE(stick->ui.messages.size(), std::size_t(2));
    }

    void theDialogStaysOpenUntilADriveIsTakenOrTheUserEnds() {
        addSticks({"/e/"});
        QVERIFY(start->start());
        DriveDialog* dialog = start->driveDialog();
        QSignalSpy ends(start.get(), &StartProcedure::programEnds);
        manualAnswer = "/nowhere/";
        act(dialog, {"Command3"});
        manualAnswer.reset(); // a cancelled folder choice changes nothing
        act(dialog, {"Command3"});
        QTest::keyClick(dialog, Qt::Key_Escape); // "Beenden?" answered "Nein"
        QCOMPARE(stick->ui.texts(), (std::vector<std::string>{IndexNotCreatedMessage,
                                                              "Wollen Sie das Programm beenden?"}));
        QVERIFY(dialog->isVisible() && !start->mainWindow() && ends.isEmpty());
        stick->ui.setNextAnswer(MessageAnswer::Yes);
        act(dialog, {"Command2"});
        QCOMPARE(ends.count(), 1);
    }
};

TONARION_GUI_TEST(StartProcedureTest)
#include "StartProcedureTest.moc"
