#include "gui/SettingsDialog.h"

#include "settings/SettingsForm.h"
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

    std::unique_ptr<TestStick> stick;
    std::unique_ptr<SettingsDialog> dialog;

    void open() {
        dialog = std::make_unique<SettingsDialog>(stick->workspace, stick->ui);
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    }
    // Types into a field as a user does: all of it selected, replaced by `text`.
    QWidget* retype(const char* name, const char* text) {
        QWidget* field = control(dialog.get(), name);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, text);
        return field;
    }
    void pressEnter() const { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); }
    // Whether the stick holds these setting files, listed in its index.
    bool stickHolds(const std::vector<const char*>& settingFiles) const {
        for (const char* file : settingFiles) {
            if (!stick->files.has(Root + file) || stick->index().find(file) == std::string::npos) {
                return false;
            }
        }
        return true;
    }

private slots:
    void init() {
        stick = std::make_unique<TestStick>();
        stick->writeIndexWithSounds({"MGM2-0012-00000.mp3;/home/anna/Musik/a.mp3"});
        stick->workspace.load("/opt");
    }
    void cleanup() { dialog.reset(); }

    // The defaults of a fresh stick; a change undone asks nothing. The number fields filter
    // what they take, not the keys that move, edit or close; Tab follows the layout. "Nein"
    // drops the changes and writes nothing, not even a delete still pending.
    void aFreshStickShowsTheDefaultsAndTheKeysWorkAsEverywhere() {
        open();
        const QStringList defaults = {"Slider1=21", "Label1=21",      "Text2=180", "Combo1=07:00",
                                      "Text1=2",    "Option1_0=true", "Text3=0"};
        QCOMPARE(states(dialog.get(), defaults), defaults);
        act(dialog.get(), {"Slider1=25"});
        QCOMPARE(states(dialog.get(), {"Label1"}), QStringList({"Label1=25"}));
        QCOMPARE(control(dialog.get(), "Slider1")->toolTip(), QString("Lautstärke = 25"));
        act(dialog.get(), {"Slider1=21", "Command1_0"});
        QVERIFY(!dialog->isVisible() && stick->ui.messages.empty());

        stick->files.setReadOnly(true);
        stick->workspace.deleteRow(1);
        stick->files.setReadOnly(false);
        stick->ui.messages.clear();
        const std::string index = stick->index();
        open();
        act(dialog.get(), {"Option1_1"});
        QWidget* modelTime = retype("Text2", "120");
        QTest::keyClick(modelTime, Qt::Key_Home);
        QTest::keyClick(modelTime, Qt::Key_Delete);
        QCOMPARE(states(dialog.get(), {"Text2"}), QStringList({"Text2=20"}));
        QCOMPARE(tabChain(control(dialog.get(), "Slider1")),
                 QStringList({"Slider1", "Option1_1", "Text2", "Combo1", "Text1", "Text3",
                              "Command1_0", "Command1_1"}));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); // "Nein"
        QVERIFY(!dialog->isVisible());
        QCOMPARE(stick->ui.texts(), std::vector<std::string>{SaveSettingsQuestion});
        QCOMPARE(stick->index(), index);
        QVERIFY(stick->session.SaveNeeded());
        QCOMPARE(stick->session.settings().CurrentSettings[Setting::ClockSync],
                 std::string("SET_-0005-00000.mp3"));
    }

    // A field the rules refuse is named on OK, and the dialog stays open until every field
    // holds a value; what is saved then is what the fields show, as the next opening shows.
    // The number fields take digits only, five at most.
    void aRefusedValueKeepsTheDialogOpenAndWhatIsSavedIsWhatWasShown() {
        open();
        retype("Text1", "-5");
        retype("Text2", "");
        retype("Text3", "3000");
        const std::string index = stick->index();
        for (int question = 0; question < 3; ++question) {
            stick->ui.setNextAnswer(MessageAnswer::Yes);
        }
        pressEnter(); // Enter is OK
        QVERIFY(dialog->isVisible());
        QVERIFY(QString::fromStdString(stick->ui.lastText())
                    .contains(settingCaption(Setting::ModelTime)));
        retype("Text2", "999999");
        pressEnter();
        QVERIFY(dialog->isVisible());
        QVERIFY(stick->ui.lastText().starts_with(AddressTooLargeMessage));
        QVERIFY(QString::fromStdString(stick->ui.lastText())
                    .contains(settingCaption(Setting::EndlessAddress)));
        QCOMPARE(stick->ui.messages.back().icon, MessageIcon::Critical);
        QCOMPARE(stick->index(), index);
        // Pasted and typed alike, the field keeps the digits; "Abbrechen" asks as OK does.
        retype("Text3", "");
        QApplication::clipboard()->setText("a1");
        QTest::keyClick(control(dialog.get(), "Text3"), Qt::Key_V, Qt::ControlModifier);
        QTest::keyClicks(control(dialog.get(), "Text3"), "x-2");
        act(dialog.get(), {"Option1_1", "Command1_1"});
        QVERIFY(!dialog->isVisible());
        QCOMPARE(stick->ui.messages[0].text, std::string(SaveSettingsQuestion));
        QCOMPARE(stick->ui.messages[0].defaultAnswer, MessageAnswer::No); // the question's Enter
        QCOMPARE(stick->ui.messages.size(), std::size_t(5));
        open();
        const QStringList shown = {"Text1=5", "Text2=99999", "Text3=12", "Option1_1=true"};
        QCOMPARE(states(dialog.get(), shown), shown);
        QVERIFY(stickHolds({"SET_-0002-99999.mp3", "SET_-0004-00005.mp3", "SET_-0006-00012.mp3",
                            "SET_-0005-00001.mp3"}));
    }
};

TONARION_GUI_TEST(SettingsDialogTest)
#include "SettingsDialogTest.moc"
