#include "gui/MainWindow.h"
#include "support/FakeSoundInspector.h"
#include "support/FakeSoundPlayer.h"
#include "support/GuiTestMain.h"
#include "support/TestStick.h"

#include <QMenu>
#include <QTest>

#include <memory>

using namespace tonarion;
using namespace tonarion::testing;

namespace {

// Notes how the stick stood when the window asked for the eject, and answers as told.
class FakeEjector final : public StickEjector {
public:
    explicit FakeEjector(TestStick& stick)
        : m_stick(stick) {}

    EjectResult eject(const std::string& stickRoot) override {
        askedFor.push_back(stickRoot);
        indexWhenAsked = m_stick.index();
        stickFreeWhenAsked = static_cast<bool>(m_stick.files.lockFolder(stickRoot));
        return answer;
    }

    EjectResult answer{EjectOutcome::Ejected, {}};
    std::vector<std::string> askedFor;
    std::string indexWhenAsked;
    bool stickFreeWhenAsked = false;

private:
    TestStick& m_stick;
};

} // namespace

class StickRemovalTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestStick> stick;
    std::unique_ptr<FakeSoundInspector> sounds;
    std::shared_ptr<FakeSoundPlayer> player;
    std::unique_ptr<FakeEjector> ejector;
    std::unique_ptr<MainWindow> window;

    // A stick with one sound whose deletion the stick refused: the window holds it pending.
    void openWithPendingDeletion() {
        stick->writeIndexWithSounds({"MGM2-0012-00000.mp3;" + Music + "a.mp3"});
        window = std::make_unique<MainWindow>(stick->workspace, stick->ui);
        window->setSoundInspector(*sounds);
        window->setSoundPlayer(player);
        window->setStickEjector(*ejector);
        QVERIFY(window->load("/opt/tonarion"));
        window->show();
        stick->files.setReadOnly(true);
        QTest::keyClick(window->grid(), Qt::Key_Delete);
        stick->files.setReadOnly(false);
        QVERIFY(stick->session.SaveNeeded());
        stick->ui.messages.clear();
    }
    void chooseRemoveStick() {
        QTest::mousePress(window->grid()->viewport(), Qt::RightButton, {}, QPoint(20, 20));
        QMenu* menu = window->popupMenu();
        QVERIFY(menu->isVisible());
        QAction* entry = menu->findChild<QAction*>("mnu_Popup_Entfernen");
        QCOMPARE(entry->text(), QString("USB-Stick sicher entfernen"));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
    }
    bool stickHeldByTheWindow() { return !stick->files.lockFolder(Root); }

private slots:
    void init() {
        stick = std::make_unique<TestStick>();
        sounds = std::make_unique<FakeSoundInspector>();
        player = std::make_shared<FakeSoundPlayer>();
        ejector = std::make_unique<FakeEjector>(*stick);
    }
    void cleanup() { window.reset(); }

    void commitsLetsGoEjectsAndEnds() {
        openWithPendingDeletion();
        chooseRemoveStick();
        QCOMPARE(ejector->askedFor, std::vector<std::string>{Root});
        QVERIFY(ejector->indexWhenAsked.find("MGM2") == std::string::npos);
        QVERIFY(!stick->files.has(Root + "MGM2-0012-00000.mp3"));
        QVERIFY(ejector->stickFreeWhenAsked);
        QCOMPARE(stick->ui.texts(),
                 std::vector<std::string>{"Der USB-Stick kann jetzt entfernt werden."});
        QVERIFY(!window->isVisible());
    }

    void aRefusalIsExplainedAndTheWindowKeepsTheStick_data() {
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("explanation");
        QTest::newRow("a file open elsewhere")
            << int(EjectOutcome::Busy) << "target is busy"
            << "ein anderes Programm noch eine Datei auf ihm geöffnet hat";
        QTest::newRow("no drive behind the folder")
            << int(EjectOutcome::NotAStick) << ""
            << "Das System kennt unter /stick/ kein Laufwerk";
        QTest::newRow("refused otherwise, in the system's words")
            << int(EjectOutcome::Failed) << "Not authorized to perform operation"
            << "Das System kann den USB-Stick nicht auswerfen.\r\nWerfen Sie den USB-Stick "
               "bitte über die Dateiverwaltung aus.\r\n\r\nMeldung des Systems: Not authorized "
               "to perform operation";
    }
    void aRefusalIsExplainedAndTheWindowKeepsTheStick() {
        QFETCH(int, outcome);
        QFETCH(QString, reason);
        QFETCH(QString, explanation);
        ejector->answer = {static_cast<EjectOutcome>(outcome), reason.toStdString()};
        openWithPendingDeletion();
        chooseRemoveStick();
        QCOMPARE(ejector->askedFor.size(), std::size_t(1));
        QCOMPARE(stick->ui.messages.size(), std::size_t(1));
        QCOMPARE(stick->ui.messages[0].icon, MessageIcon::Critical);
        QVERIFY2(QString::fromStdString(stick->ui.lastText()).contains(explanation),
                 stick->ui.lastText().c_str());
        QCOMPARE(stick->ui.messagesUnderWaitWindow, 0);
        QVERIFY(window->isVisible());
        QVERIFY(stickHeldByTheWindow());
    }

    void aStickThatRefusesTheCommitIsNotEjected() {
        openWithPendingDeletion();
        stick->files.setReadOnly(true);
        chooseRemoveStick();
        QVERIFY(ejector->askedFor.empty());
        QVERIFY(!stick->ui.messages.empty()); // the commit told what it could not write
        QVERIFY(window->isVisible());
        QVERIFY(stickHeldByTheWindow());
    }
};

TONARION_GUI_TEST(StickRemovalTest)
#include "StickRemovalTest.moc"
