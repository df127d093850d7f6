#include "gui/DriveDialog.h"

#include "gui/ProgramLook.h"
#include "support/FakeDrives.h"
#include "support/GuiTestMain.h"
#include "support/ModalDialog.h"
#include "support/TestStick.h"

#include <QListWidget>
#include <QTest>
#include <QTimer>

using namespace tonarion;
using namespace tonarion::testing;

namespace {

constexpr std::uintmax_t GiB = 1024 * 1024 * 1024;
const std::string Sounds = "/mnt/SOUNDS/", Card = "/mnt/KARTE/", Fresh = "/mnt/3A5F/";

QStringList lines(const QListWidget* list) {
    QStringList texts;
    for (int row = 0; row < list->count(); ++row) {
        texts << list->item(row)->text();
    }
    return texts;
}

} // namespace

class DriveDialogTest : public QObject {
    Q_OBJECT

    FakeFileOperations media;
    RecordingUserInterface ui;
    Session session;
    StickWorkspace workspace{session, media, ui};
    FakeDrives drives;

    // One round of the dialog's polling, as its timer would run it.
    static void poll(QTimer* polling) { QMetaObject::invokeMethod(polling, "timeout"); }

private slots:
    // The lines fit the list in the program's own font.
    void initTestCase() { applyProgramLook(*qApp); }

    void theListFollowsSticksPluggedInAndPulledAndKeepsTheHighlight() {
        for (const std::string& root : {Sounds, Card, Fresh}) {
            media.addFolder(root);
        }
        drives.roots = {Sounds, Card};
        DriveDialog dialog(
            listUsbDrives(drives), workspace, ui, [](QWidget*) { return std::nullopt; }, &drives);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* list = dialog.findChild<QListWidget*>("List1");
        auto* polling = dialog.findChild<QTimer*>("DrivePolling");
        QVERIFY(polling->isActive());
        QCOMPARE(polling->interval(), 2000);
        QCOMPARE(lines(list), QStringList({"SOUNDS – /mnt/SOUNDS/", "KARTE – /mnt/KARTE/"}));
        clickCell(list, 1, 0);

        // A fresh stick comes first in the system's order; the card stays highlighted, and
        // each line shows what its medium tells by now.
        drives.roots = {Fresh, Sounds, Card};
        media.setVolumeInfo({"", "FAT16", GiB, GiB / 2});
        poll(polling);
        QCOMPARE(lines(list), QStringList({"3A5F (/mnt/3A5F/) – 1,0 GB, 512 MB frei, FAT16",
                                           "SOUNDS (/mnt/SOUNDS/) – 1,0 GB, 512 MB frei, FAT16",
                                           "KARTE (/mnt/KARTE/) – 1,0 GB, 512 MB frei, FAT16"}));
        QCOMPARE(list->selectedItems().size(), 1);
        QCOMPARE(list->selectedItems().front()->toolTip(),
                 QString::fromStdString(DriveEntryPrefix + Card));

        // The card is pulled: nothing is chosen any more, and "Laufwerk auswählen" waits.
        drives.roots = {Fresh, Sounds};
        poll(polling);
        QCOMPARE(list->count(), 2);
        QVERIFY(list->selectedItems().isEmpty());
        act(&dialog, {"Command1"});
        QVERIFY(dialog.isVisible() && ui.messages.empty());

        // The keys still choose: the stick below the fresh one is taken with Enter.
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        poll(polling); // an unchanged list keeps the highlight where the keys put it
        QCOMPARE(list->currentRow(), 1);
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(!dialog.isVisible() && !polling->isActive());
        QCOMPARE(session.stickRoot, Sounds);
        QVERIFY(media.has(Sounds + IndexFileName) && !media.has(Fresh + IndexFileName));
    }

    // Without a source to ask, the list stays as it was given; every drive is shown whole.
    void aListWithoutSourceStaysAsGiven() {
        media.setVolumeInfo({"SOUNDS", "FAT32", GiB * 38 / 10, GiB * 31 / 10});
        DriveDialog dialog({driveEntry("E:\\")}, workspace, ui,
                           [](QWidget*) { return std::nullopt; });
        QVERIFY(!dialog.findChild<QTimer*>("DrivePolling")->isActive());
        QCOMPARE(lines(dialog.findChild<QListWidget*>("List1")),
                 QStringList{"SOUNDS (E:\\) – 3,8 GB, 3,1 GB frei, FAT32"});
    }
};

TONARION_GUI_TEST(DriveDialogTest)
#include "DriveDialogTest.moc"
