#include "gui/StickCheckDialog.h"

#include "gui/MainWindow.h"
#include "storage/FileOperations.h"
#include "support/FakeSoundInspector.h"
#include "support/FakeSoundPlayer.h"
#include "support/GuiTestMain.h"
#include "support/ModalDialog.h"
#include "support/TestStick.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <memory>

using namespace tonarion;
using namespace tonarion::testing;

class StickCheckDialogTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestStick> stick;
    FakeSoundInspector sounds;
    std::shared_ptr<FakeSoundPlayer> player = std::make_shared<FakeSoundPlayer>();
    std::unique_ptr<MainWindow> window;

    // The report's lines as "finding | file | Bereinigen".
    static QStringList report(const StickCheckDialog* dialog) {
        QStringList lines;
        const auto* list = dialog->findChild<QTreeWidget*>("lstBefunde");
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list->topLevelItem(i);
            lines << item->text(0) + " | " + item->text(1) + " | " + item->text(2);
        }
        return lines;
    }
    static void clickButton(const StickCheckDialog* dialog, const char* name) {
        auto* button = dialog->findChild<QPushButton*>(name);
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    }

    // Right-clicks the first row and picks "USB-Stick prüfen..." with the mouse; the handler
    // gets the dialog that opens.
    void checkFromPopup(std::function<void(StickCheckDialog*)> handler) {
        bool opened = false;
        whenDialogOpens<StickCheckDialog>([&](StickCheckDialog* dialog) {
            opened = true;
            handler(dialog);
        });
        SoundGrid* grid = window->grid();
        clickCell(grid, 0, 2, Qt::RightButton, QTest::mousePress);
        QMenu* menu = window->popupMenu();
        QVERIFY(menu->isVisible());
        auto* entry = menu->findChild<QAction*>("mnu_Popup_Pruefen");
        QCOMPARE(entry->text(), QStringLiteral("USB-Stick prüfen..."));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
        QVERIFY(opened);
    }

    // The findings in the report's order: the stick's files by name, its folders, the medium.
    const QString unlisted = "Nicht in tonkat.tkx verzeichnet, das Modul spielt sie trotzdem; der "
                             "nächste Start übernimmt sie als Zeile | "
                             "KAM1-0001-00002.mp3 | nein";
    const QString exFat = "Dateisystem exFAT: das Soundmodul liest nur FAT32 oder FAT16 |  | nein";
    const QStringList everything = {
        "Überbleibsel von macOS | ._MGM2-0012-00000.mp3 | ja",
        unlisted,
        "Rest eines unterbrochenen Speichervorgangs | MGM2-0012-00000.mp3.tonarion-new | ja",
        "Überbleibsel von macOS | .Trashes (Ordner) | ja",
        exFat,
    };

private slots:
    void init() {
        stick = std::make_unique<TestStick>();
        stick->writeIndexWithSounds({"MGM2-0012-00000.mp3;" + Music + "pfiff.mp3"});
        window = std::make_unique<MainWindow>(stick->workspace, stick->ui);
        window->setSoundInspector(sounds);
        window->setSoundPlayer(player);
        QVERIFY(window->load("/opt/tonarion"));
        window->show();
        window->activate();
        FakeFileOperations& files = stick->files;
        files.addFile(Root + "._MGM2-0012-00000.mp3", "AppleDouble");
        files.addFile(Root + "MGM2-0012-00000.mp3" + CopySuffix, "half a sound");
        files.addFile(Root + ".Trashes/501/alt.mp3", "old");
        files.addFolder(Root + ".Trashes/");
        files.addFile(Root + "KAM1-0001-00002.mp3", "the module plays this");
        files.setVolumeInfo({"SOUNDS", "exFAT", 4'000'000'000, 3'000'000'000});
    }
    void cleanup() { window.reset(); }

    void theReportCleansOnlyWhatMayGoAfterAsking() {
        checkFromPopup([&](StickCheckDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("USB-Stick prüfen"));
            QCOMPARE(report(dialog), everything);
            QCOMPARE(dialog->findChild<QLabel*>("lblErgebnis")->text(),
                     QStringLiteral("Die Prüfung hat 5 Auffälligkeiten gefunden. 3 davon können "
                                    "bereinigt werden."));
            QVERIFY(dialog->findChild<QPushButton*>("cmdBereinigen")->isEnabled());

            stick->ui.setNextAnswer(MessageAnswer::No);
            clickButton(dialog, "cmdBereinigen");
            QVERIFY(stick->ui.lastText().starts_with(CleanUpQuestion));
            QVERIFY(stick->files.has(Root + ".Trashes/501/alt.mp3"));
            QCOMPARE(report(dialog), everything);

            stick->ui.setNextAnswer(MessageAnswer::Yes);
            clickButton(dialog, "cmdBereinigen");
            QCOMPARE(report(dialog), QStringList({unlisted, exFat}));
            QVERIFY(!dialog->findChild<QPushButton*>("cmdBereinigen")->isEnabled());
            clickButton(dialog, "cmdSchliessen");
            QVERIFY(!dialog->isVisible());
        });
        QStringList remaining;
        for (const auto& name : stick->files.filesIn(Root)) {
            remaining << QString::fromStdString(name);
        }
        QCOMPARE(remaining,
                 QStringList({"KAM1-0001-00002.mp3", "MGM2-0012-00000.mp3", "SET_-0001-00021.mp3",
                              "SET_-0002-00180.mp3", "SET_-0003-00028.mp3", "SET_-0004-00002.mp3",
                              "SET_-0005-00000.mp3", "SET_-0006-00000.mp3", "tonkat.tkx"}));
        QVERIFY(!stick->files.has(Root + ".Trashes/501/alt.mp3"));
    }

    void aHealthyStickSaysSoAndOffersNothingToClean() {
        stick->files.ShellDelete(Root + "._MGM2-0012-00000.mp3");
        stick->files.ShellDelete(Root + "MGM2-0012-00000.mp3" + CopySuffix);
        stick->files.ShellDelete(Root + "KAM1-0001-00002.mp3");
        stick->files.deleteFolder(Root + ".Trashes");
        stick->files.setVolumeInfo({"SOUNDS", "FAT32", 4'000'000'000, 3'000'000'000});
        checkFromPopup([&](StickCheckDialog* dialog) {
            QCOMPARE(report(dialog), QStringList());
            QCOMPARE(dialog->findChild<QLabel*>("lblErgebnis")->text(),
                     QStringLiteral("Der USB-Stick ist in Ordnung."));
            QVERIFY(!dialog->findChild<QPushButton*>("cmdBereinigen")->isEnabled());
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
    }
};

TONARION_GUI_TEST(StickCheckDialogTest)
#include "StickCheckDialogTest.moc"
