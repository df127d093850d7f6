#include "app/StartProcedure.h"

#include "support/GuiStick.h"

#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace tonarion;
using namespace tonarion::testing;

namespace {

class FixedDrives final : public DriveSource {
public:
    std::vector<std::string> roots;
    std::vector<std::string> usbDriveRoots() override { return roots; }
};

} // namespace

class StartProcedureTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<GuiStick> stick;
    FixedDrives drives;
    std::optional<std::string> manualAnswer;
    std::unique_ptr<StartProcedure> start;

    void makeStart() {
        start = std::make_unique<StartProcedure>(stick->workspace, drives, stick->ui, "/opt",
                                                 [this](QWidget*) { return manualAnswer; });
    }
    void addStick(const std::string& root, bool withIndex) {
        stick->files.addFolder(root);
        drives.roots.push_back(root);
        if (withIndex) {
            stick->files.addFile(root + "tonkat.tkx", std::string(IndexHeader) + "\r\n");
        }
    }

private slots:
    void init() {
        stick = std::make_unique<GuiStick>();
        stick->session.stickRoot.clear(); // nothing chosen when the program starts
        drives.roots.clear();
        manualAnswer.reset();
        makeStart();
    }
    void cleanup() { start.reset(); }

    void withoutUsbDriveTheProgramEndsAfterItsMessage() {
        QVERIFY(!start->start());
        QCOMPARE(stick->ui.texts(), std::vector<std::string>{
                                        "Kein USB Stick/Laufwerk angeschlossen.\r\n"
                                        "Schließen Sie bitte einen geeigneten USB-Stick an den PC "
                                        "an.\r\n\r\nDas Programm wird beendet!"});
        QVERIFY(!start->mainWindow());
        QVERIFY(!start->driveDialog());
    }

    void theFirstStickWithAnIndexFileOpensWithoutADialog() {
        addStick("/e/", false);
        addStick("/f/", true);
        addStick("/g/", true);
        QVERIFY(start->start());
        QVERIFY(!start->driveDialog());
        QVERIFY(start->mainWindow()->isVisible());
        QCOMPARE(stick->session.stickRoot, std::string("/f/"));
        QCOMPARE(start->mainWindow()->windowTitle(), QString("Tonarion [/f/tonkat.tkx]"));
    }

    void aStickWithoutIndexFileIsChosenInTheDialog() {
        addStick("/e/", false);
        addStick("/f/", false);
        QVERIFY(start->start());
        DriveDialog* dialog = start->driveDialog();
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->size(), QSize(354, 98));
        auto* list = dialog->findChild<QListWidget*>("List1");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(1)->text(), QString("USB-Laufwerk /f/"));

        auto* choose = dialog->findChild<QPushButton*>("Command1");
        choose->click(); // nothing chosen yet: nothing happens
        QVERIFY(dialog->isVisible());

        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(1)).center());
        choose->click();
        QVERIFY(!dialog->isVisible());
        QVERIFY(start->mainWindow()->isVisible());
        QCOMPARE(stick->session.stickRoot, std::string("/f/"));
        QVERIFY(stick->files.content("/f/tonkat.tkx").starts_with(IndexHeader));
    }

    void aDriveThatCannotTakeAnIndexFileKeepsTheDialogOpen() {
        addStick("/e/", false);
        QVERIFY(start->start());
        manualAnswer = "/nowhere/";
        start->driveDialog()->findChild<QPushButton*>("Command3")->click();
        QCOMPARE(stick->ui.lastText(),
                 std::string("Konfigurationsdatei nicht erstellt werden!\r\n\r\n"
                             "Wählen sie ein anders Laufwerk aus."));
        QVERIFY(start->driveDialog()->isVisible());
        QVERIFY(!start->mainWindow());

        manualAnswer.reset(); // cancelled: nothing changes
        start->driveDialog()->findChild<QPushButton*>("Command3")->click();
        QCOMPARE(stick->ui.messages.size(), std::size_t(1));
    }

    void beendenAsksBeforeTheProgramEnds() {
        addStick("/e/", false);
        QVERIFY(start->start());
        QSignalSpy ends(start.get(), &StartProcedure::programEnds);
        auto* end = start->driveDialog()->findChild<QPushButton*>("Command2");
        stick->ui.setNextAnswer(MessageAnswer::No);
        end->click();
        QCOMPARE(ends.count(), 0);
        QCOMPARE(stick->ui.messages.back().title, std::string("Beenden?"));
        QCOMPARE(stick->ui.lastText(), std::string("Wollen Sie das Programm beenden?"));
        stick->ui.setNextAnswer(MessageAnswer::Yes);
        end->click();
        QCOMPARE(ends.count(), 1);
    }

    void aStickFolderGivenAtStartOpensDirectly() {
        stick->files.addFolder("/card/");
        QVERIFY(start->start(std::string("/card")));
        QVERIFY(start->mainWindow()->isVisible());
        QVERIFY(stick->files.has("/card/tonkat.tkx"));
    }
};

QTEST_MAIN(StartProcedureTest)
#include "StartProcedureTest.moc"
