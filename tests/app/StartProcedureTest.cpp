#include "app/StartProcedure.h"

#include "gui/ProgramLook.h"
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

namespace {

constexpr std::uintmax_t GiB = 1024 * 1024 * 1024;
const std::string Sounds = "/mnt/SOUNDS/", Fresh = "/mnt/3A5F/",
                  LongMount =
                      "/media/anna/SOUNDSTICK/mit/einem/Pfad/der/nicht/in/die/Liste/passt/Pfad/";

} // namespace

// The start: a stick with an index file or named on the command line opens at once, else the
// drive dialog lists the USB sticks, following those plugged in and pulled, until the user
// takes one or ends.
class StartProcedureTest : public QObject {
    Q_OBJECT

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
    // One round of the dialog's polling, as its timer would run it.
    static void poll(DriveDialog* dialog) {
        QMetaObject::invokeMethod(dialog->findChild<QTimer*>("DrivePolling"), "timeout");
    }

private slots:
    // The lines fit the list in the program's own font.
    void initTestCase() { applyProgramLook(*qApp); }
    void init() {
        stick = std::make_unique<TestStick>();
        stick->session.stick().setRoot({}); // nothing chosen when the program starts
        drives.roots.clear();
        manualAnswer.reset();
        start = std::make_unique<StartProcedure>(stick->workspace, drives, stick->ui, "/opt",
                                                 [this](QWidget*) { return manualAnswer; });
    }
    void cleanup() { start.reset(); }

    void aStickWithAnIndexOrNamedAtStartOpensWithoutADialog() {
        // Another Tonarion holds the stick: no window opens on it, and nothing is written.
        addSticks({"/f/"}, {"/f/"});
        const std::string index = stick->files.content("/f/tonkat.tkx");
        {
            const auto otherWindow = stick->files.lockFolder("/f/");
            QVERIFY(!start->start());
        }
        QCOMPARE(stick->files.content("/f/tonkat.tkx"), index);
        QVERIFY(!start->start(std::string("/nicht/da")));
        const std::string readOnly = stickRootOf("/schreibgeschuetzt");
        stick->files.addFolder(readOnly);
        stick->files.setReadOnly(true);
        QVERIFY(!start->start(std::string("/schreibgeschuetzt")));
        QVERIFY(!start->mainWindow());
        QCOMPARE(stick->ui.texts(),
                 (std::vector<std::string>{StickInUseMessage,
                                           "Der Ordner " + stickRootOf("/nicht/da") +
                                               " existiert nicht.\r\nDas Programm wird beendet!",
                                           "In den Ordner " + readOnly +
                                               " kann nicht geschrieben werden.\r\n"
                                               "Das Programm wird beendet!"}));
        // The folder made absolute by the system: "C:\card\" on Windows, on drive C:.
        stick->files.setReadOnly(false);
        const std::string card = stickRootOf("/card");
        stick->files.addFolder(card);
        QVERIFY(start->start(std::string("/card")));
        QVERIFY(start->mainWindow()->isVisible() && stick->files.has(card + "tonkat.tkx"));
        // Else the first stick with an index file, in the system's order.
        drives.roots.clear();
        addSticks({"/e/", "/f/", "/g/"}, {"/g/"});
        QVERIFY(start->start());
        QVERIFY(!start->driveDialog());
        QCOMPARE(start->mainWindow()->windowTitle(), QString("Tonarion [/f/tonkat.tkx]"));
        QCOMPARE(stick->ui.messages.size(), std::size_t(3));
    }

    // Without a USB drive the dialog opens all the same and says why its list is empty. The
    // highlighted drive is the chosen one, however it was highlighted; the dialog is gone
    // before the main window opens on it.
    void theDriveDialogFollowsTheSticksAndTakesTheHighlightedOne() {
        QVERIFY(start->start());
        DriveDialog* dialog = start->driveDialog();
        QVERIFY(dialog->isVisible() && stick->ui.messages.empty());
        auto* list = dialog->findChild<QListWidget*>("List1");
        QCOMPARE(list->count(), 0);
        QVERIFY(control(dialog, "NoDriveHint")->isVisible());
        // The first stick to appear is highlighted; a line too long for the list loses the
        // middle of its root, which its tooltip shows whole.
        addSticks({Sounds, LongMount});
        poll(dialog);
        QVERIFY(!control(dialog, "NoDriveHint")->isVisible());
        QCOMPARE(list->selectedItems().value(0), list->item(0));
        const QString longLine = list->item(1)->text();
        QVERIFY2(longLine.startsWith("Pfad – /media/") && longLine.contains("…") &&
                     longLine.endsWith("/Pfad/"),
                 qPrintable(longLine));
        QCOMPARE(list->item(1)->toolTip(), QString::fromStdString("USB-Laufwerk " + LongMount));
        QApplication::setActiveWindow(dialog);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        clickCell(list, 1, 0);
        // A fresh stick comes first in the system's order; the highlight stays, and each line
        // shows what its medium tells by now.
        drives.roots = {Fresh, Sounds, LongMount};
        stick->files.addFolder(Fresh);
        stick->files.setVolumeInfo({"", "FAT16", GiB, GiB / 2});
        poll(dialog);
        QCOMPARE(list->item(0)->text(), "3A5F (/mnt/3A5F/) – 1,0 GB, 512 MB frei, FAT16");
        QCOMPARE(list->item(1)->text(), "SOUNDS (/mnt/SOUNDS/) – 1,0 GB, 512 MB frei, FAT16");
        QCOMPARE(list->selectedItems(), QList<QListWidgetItem*>{list->item(2)});
        // The highlighted stick is pulled: nothing is chosen any more, and "Laufwerk
        // auswählen" waits.
        drives.roots = {Fresh, Sounds};
        poll(dialog);
        QCOMPARE(list->count(), 2);
        QVERIFY(list->selectedItems().isEmpty());
        act(dialog, {"Command1"});
        QVERIFY(dialog->isVisible() && stick->ui.messages.empty());
        // A double-click takes a stick at once; one that cannot be written keeps the dialog.
        stick->files.setReadOnly(true);
        clickCell(list, 0, 0);
        clickCell(list, 0, 0, Qt::LeftButton, QTest::mouseDClick);
        QCOMPARE(stick->ui.texts(), std::vector<std::string>{IndexNotCreatedMessage});
        stick->files.setReadOnly(false);
        // The keys choose as well: the stick below is taken with Enter.
        bool dialogShownWithMainWindow = true;
        connect(dialog, &DriveDialog::driveAccepted, this,
                [&] { dialogShownWithMainWindow = dialog->isVisible(); });
        QTest::keyClick(list, Qt::Key_Down);
        poll(dialog); // an unchanged list keeps the highlight where the keys put it
        QCOMPARE(list->currentRow(), 1);
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(!dialog->isVisible() && start->mainWindow()->isVisible());
        QVERIFY(!dialogShownWithMainWindow);
        QCOMPARE(stick->session.stick().root(), Sounds);
        QVERIFY(stick->files.has(Sounds + IndexFileName) &&
                !stick->files.has(Fresh + IndexFileName));
    }

    // The messages of the dialog belong to it, even while no window is active: a box of its
    // own would be the program's last window, and closing it would end the program. The
    // dialog stays until a drive is taken or the user ends.
    void theDriveDialogStaysUntilADriveIsTakenOrTheUserEnds() {
        addSticks({"/e/"});
        QtUserInterface windows;
        Session session;
        StickWorkspace workspace(session, stick->files, windows);
        StartProcedure procedure(workspace, drives, windows, "/opt", [this](QWidget*) {
            QApplication::setActiveWindow(nullptr); // the folder chooser has just closed
            return manualAnswer;
        });
        QVERIFY(procedure.start());
        DriveDialog* dialog = procedure.driveDialog();
        QSignalSpy ends(&procedure, &StartProcedure::programEnds);
        QStringList told;
        const auto answer = [&told, dialog](int key) {
            whenDialogOpens<QMessageBox>([&told, dialog, key](QMessageBox* box) {
                QCOMPARE(box->parentWidget(), dialog);
                told << box->text();
                QTest::keyClick(box, Qt::Key(key));
            });
        };
        manualAnswer = "/nowhere/";
        answer(Qt::Key_Return);
        act(dialog, {"Command3"});
        QApplication::processEvents();
        manualAnswer.reset(); // a cancelled folder choice changes nothing
        act(dialog, {"Command3"});
        answer(Qt::Key_Escape);
        QTest::keyClick(dialog, Qt::Key_Escape); // "Beenden?" answered "Nein"
        QCOMPARE(told, QStringList({QString(IndexNotCreatedMessage).replace("\r\n", "\n"),
                                    "Wollen Sie das Programm beenden?"}));
        QVERIFY(dialog->isVisible() && !procedure.mainWindow() && ends.isEmpty());
        answer(Qt::Key_Return); // "Ja"
        act(dialog, {"Command2"});
        QCOMPARE(ends.count(), 1);
    }
};

TONARION_GUI_TEST(StartProcedureTest)
#include "StartProcedureTest.moc"
