#include "gui/EventDialog.h"

#include "support/GuiTestMain.h"
#include "support/ModalDialog.h"
#include "support/RecordingUserInterface.h"

#include <QGroupBox>
#include <QTest>

#include <memory>

using namespace tonarion;
using namespace tonarion::testing;

class EventDialogTest : public QObject {
    Q_OBJECT

    SoundTable table;
    KindCounters counters;
    RecordingUserInterface ui;
    std::unique_ptr<EventDialog> dialog;

    void open(const std::string& name = "", const std::string& eventText = "",
              const std::string& path = "/m/a.mp3") {
        table = SoundTable{};
        counters = KindCounters{};
        ui.messages.clear();
        table.appendEntry(
            SoundEntry{.entryName = name, .sourcePath = path, .eventText = eventText});
        dialog =
            std::make_unique<EventDialog>(name, eventText, [this](const EventSelection& selection) {
                return EintragZusammensetzen(selection, 1, table, counters, ui);
            });
        dialog->setRowFile(path);
        dialog->show();
    }
    bool okEnabled() const { return control(dialog.get(), "OKButton")->isEnabled(); }
    std::string composed() const { return dialog->neuerEintrag().value().entryName(); }

    // The visible frames inside "Ereignisse", each with its slot: A (176,24), B (176,120),
    // C (400,24), D (400,184) in pixels.
    QString visibleFrames() const {
        const QMap<QString, QString> slotAt = {
            {"176,24", "A"}, {"176,120", "B"}, {"400,24", "C"}, {"400,184", "D"}};
        QStringList frames;
        for (QGroupBox* frame :
             control(dialog.get(), "Frame1")
                 ->findChildren<QGroupBox*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (frame->isVisible()) {
                const QString at = QString("%1,%2").arg(frame->x()).arg(frame->y());
                frames << frame->objectName() + ":" + slotAt.value(at, at);
            }
        }
        frames.sort();
        return frames.join(' ');
    }

private slots:
    // Each kind shows its frames in their slots; switching kinds resets every choice, and OK
    // then names the first one missing.
    void eachKindShowsItsFramesAndSwitchingResetsTheChoices() {
        open();
        QVERIFY(visibleFrames().isEmpty() && !okEnabled());
        // Kind by kind, from "Magnetartikel" to "Wiedergabeposition".
        const QStringList expected =
            QString("Frame2_0:C Frame3_0:A Frame4:B Frame5:D|Frame2_0:C Frame3_1:A Frame4:B "
                    "Frame5:D|Frame2_1:C Frame3_2:A Frame4:B Frame5:D|Frame2_2:C Frame3_3:A "
                    "Frame4:B Frame5:D|Frame5:D|Frame3_5:A Frame5:D|Frame3_4:A")
                .split('|');
        for (const int kind : {3, 0, 6, 1, 4, 2, 5, 0}) {
            act(dialog.get(), {QStringLiteral("Option1_%1").arg(kind)});
            QCOMPARE(visibleFrames(), expected[kind]);
            QVERIFY(okEnabled());
            QCOMPARE(dialog->selection().selEreignis, std::optional<int>(kind));
        }
        act(dialog.get(),
            {"optMA_1", "Option2_1", "Combo2=3", "Text2_0=12", "Combo3_0=3", "Option1_1"});
        const QStringList reset = {"optMA_1=false", "Option2_1=false",
                                   "Combo2=", "Combo3_0=", "Text2_0=-"};
        QCOMPARE(states(dialog.get(), reset), reset);
        act(dialog.get(), {"OKButton"});
        QCOMPARE(ui.texts(), std::vector<std::string>{StatusMissingMessage});
        QVERIFY(dialog->isVisible());
        // The contacts count once the first is chosen; a box edited after the list counts
        // with its final text.
        act(dialog.get(), {"Option1_3", "Combo3_1=10"});
        QVERIFY(!dialog->selection().selKontaktVon);
        act(dialog.get(), {"Combo3_0=1"});
        QCOMPARE(dialog->selection().selKontaktBis, std::optional<std::string>("10"));
        act(dialog.get(), {"Option1_0", "optMA_1", "Option2_1", "Text2_0=7", "Combo2=2",
                           "Text2_0=12", "OKButton"});
        QCOMPARE(composed(), std::string("MGM2-0012-00000.mp3"));
    }

    void prefillsFromTheRowsNameWithOkDisabledAndComposesTheSameNameAgain() {
        open("MGM2-0012-00000.mp3"); // no event text: no pre-fill
        QCOMPARE(states(dialog.get(), {"Option1_0"}), QStringList({"Option1_0=false"}));
        open("L1M3-0012-00042.mp3", "ZIDAS-Empfänger");
        const QStringList shown = {"optADR_5=true", "Text1_1=42", "Combo2=3"};
        QCOMPARE(states(dialog.get(), shown), shown);
        QVERIFY(!okEnabled());
        act(dialog.get(), {"Option2_1", "OKButton"}); // touching a control makes OK available
        QCOMPARE(composed(), std::string("L1M3-0012-00042.mp3"));
        QCOMPARE(dialog->strAlterName(), std::string("L1M3-0012-00042.mp3"));
    }

    // The keyboard reaches every control in reading order; an address range that runs
    // backwards is refused, and Enter then takes the corrected one.
    void theKeyboardReachesEveryControlAndEnterTakesACorrectRange() {
        open("", "", "C:\\Musik\\pfiff.mp3");
        QCOMPARE(dialog->windowTitle(), QString("Ereignis auswählen... – pfiff.mp3"));
        QApplication::setActiveWindow(dialog.get());
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        QTest::keyClick(dialog.get(), Qt::Key_Return); // OK is not enabled yet
        QVERIFY(dialog->isVisible());
        // The focus starts on the first kind; the arrow keys choose as in any group of options.
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("Option1_0"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(dialog->selection().selEreignis, std::optional<int>(1));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QCOMPARE(dialog->selection().selEreignis, std::optional<int>(0));
        // Down the kind column, then each column of frames top to bottom, then the buttons.
        QCOMPARE(tabChain(control(dialog.get(), "Option1_0")),
                 QStringList({"Option1_0", "optMA_0", "Combo2", "Text2_0", "Text2_1", "Option2_0",
                              "OKButton", "CancelButton"}));
        // A click into an address box selects its "-", so that typing replaces it.
        QWidget* from = control(dialog.get(), "Text2_0");
        QWidget* to = control(dialog.get(), "Text2_1");
        QTest::mouseClick(from, Qt::LeftButton, {}, QPoint(40, 8));
        QApplication::processEvents();
        QTest::keyClicks(from, "12");
        QTest::keyClick(from, Qt::Key_Tab);
        QApplication::processEvents();
        QTest::keyClicks(to, "5");
        act(dialog.get(), {"optMA_1", "Option2_1", "Combo2=2"});
        QCOMPARE(states(dialog.get(), {"Text2_0", "Text2_1"}),
                 QStringList({"Text2_0=12", "Text2_1=5"}));
        QTest::keyClick(to, Qt::Key_Return);
        QVERIFY(dialog->isVisible());
        QCOMPARE(ui.messages.size(), std::size_t(1));
        QVERIFY(ui.lastText().starts_with(SecondAddressMessage));
        QTest::keyClicks(to, "0");
        QTest::keyClick(to, Qt::Key_Return);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(composed(), std::string("MGM2-0012-00050.mp3"));
    }
};

TONARION_GUI_TEST(EventDialogTest)
#include "EventDialogTest.moc"
