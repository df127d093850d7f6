#include "settings/SettingsDialog.h"

#include "support/GuiStick.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include <memory>

using namespace tonarion;
using namespace tonarion::testing;

class SettingsDialogTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<GuiStick> stick;
    std::unique_ptr<SettingsDialog> dialog;

    void open() {
        dialog = std::make_unique<SettingsDialog>(stick->workspace);
        dialog->show();
    }
    void loadIndex(const std::string& bytes) {
        stick->files.addFile(GuiStick::Root + IndexFileName, bytes);
        stick->workspace.load("/opt");
    }
    template <typename T>
    T* child(const char* name) const {
        return dialog->findChild<T*>(QString::fromLatin1(name));
    }
    bool closeAsking() {
        const std::size_t before = stick->ui.messages.size();
        child<QPushButton>("Command1_0")->click();
        return stick->ui.messages.size() > before;
    }

private slots:
    void init() { stick = std::make_unique<GuiStick>(); }
    void cleanup() { dialog.reset(); }

    void aFreshStickShowsTheDefaultsAndClosesWithoutAQuestion() {
        stick->writeIndex({});
        stick->workspace.load("/opt");
        open();
        QCOMPARE(dialog->windowTitle(), QString("Modul Einstellungen"));
        QCOMPARE(child<QSlider>("Slider1")->value(), 21);
        QCOMPARE(child<QLabel>("Label1")->text(), QString("21"));
        QCOMPARE(child<QLineEdit>("Text2")->text(), QString("180"));
        QCOMPARE(child<QComboBox>("Combo1")->currentText(), QString("07:00"));
        QCOMPARE(child<QLineEdit>("Text1")->text(), QString("2"));
        QVERIFY(child<QRadioButton>("Option1_0")->isChecked());
        QCOMPARE(child<QLineEdit>("Text3")->text(), QString("0"));
        QVERIFY(!closeAsking());
        QVERIFY(!dialog->isVisible());
    }

    void aMissingVolumeLineShows31AndAsks() {
        loadIndex(std::string(IndexHeader) + "\r\nSET_-0002-00180.mp3\r\n");
        open();
        QCOMPARE(child<QSlider>("Slider1")->value(), 31);
        stick->ui.setNextAnswer(MessageAnswer::Yes);
        QVERIFY(closeAsking());
        QCOMPARE(stick->ui.lastText(),
                 std::string("Sie haben Änderungen vorgenommen.\r\nWollen Sie diese speichern?"));
        QVERIFY(stick->files.has("/stick/SET_-0001-00031.mp3"));
        QVERIFY(stick->index().find("SET_-0001-00031.mp3") != std::string::npos);
    }

    void movingTheSliderAwayAndBackAsksNothing() {
        stick->writeIndex({});
        stick->workspace.load("/opt");
        open();
        auto* slider = child<QSlider>("Slider1");
        slider->setValue(25);
        QCOMPARE(child<QLabel>("Label1")->text(), QString("25"));
        QCOMPARE(slider->toolTip(), QString("Lautstärke = 25"));
        slider->setValue(21);
        QVERIFY(!closeAsking());
    }

    void abbrechenAsksLikeOkAndJaWritesTheSettings() {
        stick->writeIndex({});
        stick->workspace.load("/opt");
        open();
        child<QRadioButton>("Option1_1")->click();
        QTest::keyClicks(child<QLineEdit>("Text2"), "x2"); // the letter is swallowed
        QCOMPARE(child<QLineEdit>("Text2")->text(), QString("1802"));
        stick->ui.setNextAnswer(MessageAnswer::Yes);
        child<QPushButton>("Command1_1")->click();
        QCOMPARE(stick->ui.messages.size(), std::size_t(1));
        QVERIFY(stick->files.has("/stick/SET_-0005-00001.mp3"));
        QVERIFY(stick->files.has("/stick/SET_-0002-01802.mp3"));
        QVERIFY(!stick->files.has("/stick/SET_-0005-00000.mp3"));
    }

    void neinAfterADeleteKeepsTheDeletePending() {
        stick->writeIndex({"MGM2-0012-00000.mp3;/home/anna/Musik/a.mp3"});
        stick->workspace.load("/opt");
        stick->workspace.deleteRow(1);
        open();
        child<QRadioButton>("Option1_1")->click();
        stick->ui.setNextAnswer(MessageAnswer::No);
        QVERIFY(closeAsking());
        QVERIFY(stick->session.SaveNeeded);
        QCOMPARE(stick->session.settings.CurrentSettings[Setting::ClockSync],
                 std::string("SET_-0005-00000.mp3"));
        QVERIFY(stick->index().find("MGM2") != std::string::npos);
    }

    void aRefusedAddressShowsItsMessageAndAMinus() {
        stick->writeIndex({});
        stick->workspace.load("/opt");
        open();
        child<QLineEdit>("Text3")->setText("4096");
        QCOMPARE(child<QLineEdit>("Text3")->text(), QString("-"));
        QCOMPARE(stick->ui.messages.back().icon, MessageIcon::Critical);
        QVERIFY(!closeAsking());
    }
};

QTEST_MAIN(SettingsDialogTest)
#include "SettingsDialogTest.moc"
