#include "gui/SettingsDialog.h"

#include "support/GuiTestMain.h"
#include "support/ModalDialog.h"
#include "support/TestStick.h"

#include <QClipboard>
#include <QTest>

#include <memory>

using namespace tonarion;
using namespace tonarion::testing;

class SettingsDialogTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestStick> stick;
    std::unique_ptr<SettingsDialog> dialog;

    void open() {
        dialog = std::make_unique<SettingsDialog>(stick->workspace);
        dialog->show();
    }
    // Presses a button that requests the close; true when the close asked a question.
    bool closeAsking(const char* button = "Command1_0") {
        const std::size_t before = stick->ui.messages.size();
        act(dialog.get(), {button});
        return stick->ui.messages.size() > before;
    }

private slots:
    void init() {
        stick = std::make_unique<TestStick>();
        stick->writeIndex({});
        stick->workspace.load("/opt");
    }
    void cleanup() { dialog.reset(); }

    void aFreshStickShowsTheDefaultsAndWhatIsUndoneAsksNothing() {
        open();
        const QStringList defaults = {"Slider1=21", "Label1=21",      "Text2=180", "Combo1=07:00",
                                      "Text1=2",    "Option1_0=true", "Text3=0"};
        QCOMPARE(states(dialog.get(), defaults), defaults);
        act(dialog.get(), {"Slider1=25"});
        QCOMPARE(states(dialog.get(), {"Label1"}), QStringList({"Label1=25"}));
        QCOMPARE(control(dialog.get(), "Slider1")->toolTip(), QString("Lautstärke = 25"));
        act(dialog.get(), {"Slider1=21", "Text3=4096"});
        // A refused address is reported and leaves its setting as it was.
        QCOMPARE(states(dialog.get(), {"Text3"}), QStringList({"Text3=-"}));
        QCOMPARE(stick->ui.messages.back().icon, MessageIcon::Critical);
        QVERIFY(!closeAsking());
        QVERIFY(!dialog->isVisible());
    }

    void aMissingVolumeLineShows31AndAbbrechenAsksLikeOkAndJaWrites() {
        stick->files.addFile(Root + IndexFileName,
                             std::string(IndexHeader) + "\r\nSET_-0002-00180.mp3\r\n");
        stick->workspace.load("/opt");
        open();
        QCOMPARE(states(dialog.get(), {"Slider1"}), QStringList({"Slider1=31"}));
        act(dialog.get(), {"Option1_1"});
        QTest::keyClicks(control(dialog.get(), "Text2"), "x2"); // the letter is swallowed
        QCOMPARE(states(dialog.get(), {"Text2"}), QStringList({"Text2=1802"}));
        QApplication::clipboard()->setText("a1b2");
        QTest::keyClick(control(dialog.get(), "Text2"), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(states(dialog.get(), {"Text2"}), QStringList({"Text2=180212"}));
        stick->ui.setNextAnswer(MessageAnswer::Yes);
        QVERIFY(closeAsking("Command1_1"));
        QCOMPARE(stick->ui.lastText(),
                 std::string("Sie haben Änderungen vorgenommen.\r\nWollen Sie diese speichern?"));
        for (const char* written :
             {"SET_-0001-00031.mp3", "SET_-0005-00001.mp3", "SET_-0002-01802.mp3"}) {
            QVERIFY(stick->files.has(Root + written));
            QVERIFY(stick->index().find(written) != std::string::npos);
        }
    }

    // The number fields filter what they take, not the keys that move, edit or close.
    void theKeyboardMovesEditsAndClosesAsEverywhere() {
        open();
        QApplication::setActiveWindow(dialog.get());
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        QWidget* modelTime = control(dialog.get(), "Text2");
        modelTime->setFocus();
        QTest::keyClick(modelTime, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(modelTime, "120");
        QTest::keyClick(modelTime, Qt::Key_Home);
        QTest::keyClick(modelTime, Qt::Key_Delete);
        QCOMPARE(states(dialog.get(), {"Text2"}), QStringList({"Text2=20"}));
        // Tab follows the layout, top left to bottom right, and comes round again.
        QCOMPARE(tabChain(control(dialog.get(), "Slider1")),
                 QStringList({"Slider1", "Option1_1", "Text2", "Combo1", "Text1", "Text3",
                              "Command1_0", "Command1_1"}));
        stick->ui.setNextAnswer(MessageAnswer::No);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(stick->ui.lastText(),
                 std::string("Sie haben Änderungen vorgenommen.\r\nWollen Sie diese speichern?"));
    }

    void neinAfterADeleteKeepsTheDeletePending() {
        stick->writeIndexWithSounds({"MGM2-0012-00000.mp3;/home/anna/Musik/a.mp3"});
        stick->workspace.load("/opt");
        // A delete that the stick refused is still to be written.
        stick->files.setReadOnly(true);
        stick->workspace.deleteRow(1);
        stick->files.setReadOnly(false);
        open();
        act(dialog.get(), {"Option1_1"});
        QVERIFY(closeAsking());
        QVERIFY(stick->session.SaveNeeded());
        QCOMPARE(stick->session.settings.CurrentSettings[Setting::ClockSync],
                 std::string("SET_-0005-00000.mp3"));
        QVERIFY(stick->index().find("MGM2") != std::string::npos);
    }
};

TONARION_GUI_TEST(SettingsDialogTest)
#include "SettingsDialogTest.moc"
