#include "gui/StickCheckDialog.h"

#include "storage/FileOperations.h"
#include "support/GuiTestMain.h"
#include "support/WindowFixture.h"
#include "workspace/StickCleanUp.h"

#include <QLabel>
#include <QTreeWidget>

using namespace tonarion;
using namespace tonarion::testing;

class StickCheckDialogTest : public QObject, WindowFixture {
    Q_OBJECT

    // The report's lines as "finding | file | Bereinigen", then the result below them.
    static QStringList report(const StickCheckDialog* dialog) {
        QStringList lines;
        const auto* list = dialog->findChild<QTreeWidget*>("lstBefunde");
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list->topLevelItem(i);
            lines << item->text(0) + " | " + item->text(1) + " | " + item->text(2);
        }
        return lines << dialog->findChild<QLabel*>("lblErgebnis")->text();
    }
    static void click(const QWidget* dialog, const char* button) {
        QTest::mouseClick(control(dialog, button), Qt::LeftButton);
    }
    // "USB-Stick prüfen..." in the popup, with the mouse; the handler gets the dialog.
    void check(const std::function<void(StickCheckDialog*)>& handler) {
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

    void theReportCleansOnlyWhatMayGoAfterAsking() {
        open({"MGM2-0012-00000.mp3;" + Music + "pfiff.mp3"});
        stick->files.setVolumeInfo({"SOUNDS", "FAT32", 4'000'000'000, 3'000'000'000});
        check([](StickCheckDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), QString("USB-Stick prüfen"));
            QCOMPARE(report(dialog), QStringList{"Der USB-Stick ist in Ordnung."});
            QVERIFY(!control(dialog, "cmdBereinigen")->isEnabled());
            QTest::keyClick(dialog, Qt::Key_Escape);
        });

        std::vector<std::string> kept = stick->files.filesIn(Root);
        kept.insert(kept.begin(), "KAM1-0001-00002.mp3");
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
        check([&](StickCheckDialog* dialog) {
            QCOMPARE(report(dialog), everything);
            click(dialog, "cmdBereinigen"); // "Nein"
            QVERIFY(stick->ui.lastText().starts_with(CleanUpQuestion));
            QCOMPARE(report(dialog), everything);
            stick->ui.setNextAnswer(MessageAnswer::Yes);
            click(dialog, "cmdBereinigen");
            QCOMPARE(report(dialog).mid(0, 2), QStringList({unlisted, exFat}));
            QVERIFY(!control(dialog, "cmdBereinigen")->isEnabled());
            click(dialog, "cmdSchliessen");
            QVERIFY(!dialog->isVisible());
        });
        QCOMPARE(stick->files.filesIn(Root), kept);
        QVERIFY(!stick->files.has(Root + ".Trashes/501/alt.mp3"));
    }
};

TONARION_GUI_TEST(StickCheckDialogTest)
#include "StickCheckDialogTest.moc"
