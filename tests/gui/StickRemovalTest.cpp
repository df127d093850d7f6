#include "workspace/StickRemoval.h"

#include "support/GuiTestMain.h"
#include "support/WindowFixture.h"

using namespace tonarion;
using namespace tonarion::testing;

// "USB-Stick sicher entfernen": the window writes what is pending, lets go of the stick, has
// it ejected and ends; a stick that cannot go stays in the window, and the user is told why.
class StickRemovalTest : public QObject, WindowFixture, StickEjector {
    Q_OBJECT

    EjectResult answer;
    std::vector<std::string> askedFor;
    std::string indexWhenAsked;
    bool stickFreeWhenAsked = false;

    EjectResult eject(const std::string& stickRoot) override {
        askedFor.push_back(stickRoot);
        indexWhenAsked = stick->index();
        stickFreeWhenAsked = static_cast<bool>(stick->files.lockFolder(stickRoot));
        return answer;
    }
    // A stick with one sound whose deletion the stick refused: the window holds it pending.
    void openWithPendingDeletionAndRemove(bool stickRefusesWrites) {
        open({"MGM2-0012-00000.mp3;" + Music + "a.mp3"});
        window->setStickEjector(*this);
        stick->files.setReadOnly(true);
        QTest::keyClick(window->grid(), Qt::Key_Delete);
        stick->files.setReadOnly(stickRefusesWrites);
        QVERIFY(stick->session.SaveNeeded());
        stick->ui.messages.clear();
        popupOn(0, 1, "mnu_Popup_Entfernen");
    }

private slots:
    void init() {
        reset();
        answer = {EjectOutcome::Ejected, {}};
        askedFor.clear();
    }
    void cleanup() { window.reset(); }

    void commitsLetsGoEjectsAndEnds() {
        openWithPendingDeletionAndRemove(false);
        QCOMPARE(askedFor, std::vector<std::string>{Root});
        QVERIFY(indexWhenAsked.find("MGM2") == std::string::npos);
        QVERIFY(!stick->files.has(Root + "MGM2-0012-00000.mp3"));
        QVERIFY(stickFreeWhenAsked);
        QCOMPARE(stick->ui.texts(), std::vector<std::string>{StickRemovableMessage});
        QVERIFY(!window->isVisible());
    }

    void aStickThatCannotGoStaysInTheWindow_data() {
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
        QTest::newRow("the stick refuses the commit: no eject") << -1 << ""
                                                                << "";
    }
    void aStickThatCannotGoStaysInTheWindow() {
        QFETCH(int, outcome);
        QFETCH(QString, reason);
        QFETCH(QString, explanation);
        answer = {static_cast<EjectOutcome>(outcome), reason.toStdString()};
        openWithPendingDeletionAndRemove(outcome < 0);
        QCOMPARE(askedFor.size(), std::size_t(outcome < 0 ? 0 : 1));
        QCOMPARE(stick->ui.messages.size(), std::size_t(1));
        QCOMPARE(stick->ui.messages[0].icon, MessageIcon::Critical);
        QVERIFY2(QString::fromStdString(stick->ui.lastText()).contains(explanation),
                 stick->ui.lastText().c_str());
        QCOMPARE(stick->ui.messagesUnderWaitWindow, 0);
        QVERIFY(window->isVisible());
        QVERIFY(!stick->files.lockFolder(Root)); // the window holds the stick
    }
};

TONARION_GUI_TEST(StickRemovalTest)
#include "StickRemovalTest.moc"
