#include "event/EventDialog.h"

#include "support/RecordingUserInterface.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <memory>

using namespace tonarion;
using namespace tonarion::testing;

class EventDialogTest : public QObject {
    Q_OBJECT

private:
    Session session;
    RecordingUserInterface ui;
    std::unique_ptr<EventDialog> dialog;

    void open(const std::string& name = "", const std::string& eventText = "") {
        session = Session{};
        ui.messages.clear();
        session.table.appendEntry(
            SoundEntry{.entryName = name, .sourcePath = "/m/a.mp3", .eventText = eventText});
        dialog =
            std::make_unique<EventDialog>(name, eventText, [this](const EventSelection& selection) {
                return EintragZusammensetzen(selection, 1, session, ui);
            });
        dialog->show();
    }
    template <typename T>
    T* child(const QString& name) const {
        T* found = dialog->findChild<T*>(name);
        if (!found) {
            qFatal("no control %s", qPrintable(name));
        }
        return found;
    }
    QRadioButton* radio(const QString& name) const { return child<QRadioButton>(name); }
    QComboBox* combo(const QString& name) const { return child<QComboBox>(name); }
    QLineEdit* box(const QString& name) const { return child<QLineEdit>(name); }
    QPushButton* ok() const { return child<QPushButton>("OKButton"); }
    void chooseKind(int kind) const { radio(QStringLiteral("Option1_%1").arg(kind))->click(); }

    // The visible frames inside "Ereignisse", each with its position.
    QStringList visibleFrames() const {
        QStringList frames;
        for (QGroupBox* frame : child<QGroupBox>("Frame1")->findChildren<QGroupBox*>(
                 QString(), Qt::FindDirectChildrenOnly)) {
            if (frame->isVisible()) {
                frames << QStringLiteral("%1@%2,%3")
                              .arg(frame->objectName())
                              .arg(frame->x())
                              .arg(frame->y());
            }
        }
        frames.sort();
        return frames;
    }

private slots:
    void beforeAKindOnlyTheKindsAndButtonsShow() {
        open();
        QCOMPARE(dialog->windowTitle(), QString("Ereignis auswählen..."));
        QVERIFY(visibleFrames().isEmpty());
        QVERIFY(!ok()->isEnabled());
        QCOMPARE(child<QPushButton>("CancelButton")->text(), QString("Abbrechen"));
        QCOMPARE(box("Text2_0")->text(), QString("-"));
        QVERIFY(box("Text2_0")->font().fixedPitch());
    }

    void eachKindShowsItsFramesInTheirSlots() {
        // Slots A (176,24), B (176,120), C (400,24), D (400,184) in pixels.
        const QStringList expected[] = {
            {"Frame2_0@400,24", "Frame3_0@176,24", "Frame4@176,120", "Frame5@400,184"},
            {"Frame2_0@400,24", "Frame3_1@176,24", "Frame4@176,120", "Frame5@400,184"},
            {"Frame2_1@400,24", "Frame3_2@176,24", "Frame4@176,120", "Frame5@400,184"},
            {"Frame2_2@400,24", "Frame3_3@176,24", "Frame4@176,120", "Frame5@400,184"},
            {"Frame5@400,184"},
            {"Frame3_5@176,24", "Frame5@400,184"},
            {"Frame3_4@176,24"},
        };
        open();
        for (const int kind : {3, 0, 6, 1, 4, 2, 5, 0}) {
            chooseKind(kind);
            QCOMPARE(visibleFrames(), expected[kind]);
            QVERIFY(ok()->isEnabled());
        }
    }

    void switchingKindsResetsEveryChoice() {
        open();
        chooseKind(0);
        radio("optMA_1")->click();
        radio("Option2_1")->click();
        combo("Combo2")->setCurrentIndex(2);
        box("Text2_0")->setText("12");
        chooseKind(1);
        QVERIFY(!radio("optMA_1")->isChecked());
        QVERIFY(!radio("Option2_1")->isChecked());
        QCOMPARE(combo("Combo2")->currentIndex(), -1);
        QCOMPARE(box("Text2_0")->text(), QString("-"));
        const EventSelection selection = dialog->selection();
        QCOMPARE(selection.selEreignis, std::optional<int>(1));
        QVERIFY(!selection.selStatus && !selection.selModus && !selection.selWert);
    }

    void prefillsFromTheRowsName() {
        open("UZM_-0005-00000.mp3", "Uhrzeit");
        QVERIFY(radio("Option1_5")->isChecked());
        QVERIFY(radio("Option2_1")->isChecked());
        QCOMPARE(combo("Combo1")->currentText(), QString("01:00"));
        QVERIFY(!ok()->isEnabled());

        open("l1m3-0012-20003.mp3", "ZIDAS-Empfänger");
        QVERIFY(radio("optADR_3")->isChecked());
        QCOMPARE(box("Text1_0")->text(), QString("12"));

        open("L1M3-0012-00042.mp3", "ZIDAS-Empfänger");
        QVERIFY(radio("optADR_5")->isChecked());
        QCOMPARE(box("Text1_1")->text(), QString("42"));
        QCOMPARE(combo("Combo2")->currentText(), QString("3"));

        open("KSS9-0002-00007.mp3", "Kontakt");
        QVERIFY(radio("optKON_1")->isChecked());
        QVERIFY(!radio("Option2_0")->isChecked() && !radio("Option2_1")->isChecked());
        QCOMPARE(combo("Combo2")->currentIndex(), -1);
        QCOMPARE(combo("Combo3_0")->currentText(), QString("2"));
        QCOMPARE(combo("Combo3_1")->currentText(), QString("7"));

        open("MGM2-0012-00000.mp3", "Magnetartikel");
        QCOMPARE(box("Text2_1")->text(), QString("0"));
        open("UZM_-0099-00000.mp3", "Uhrzeit"); // beyond the list: no choice
        QCOMPARE(combo("Combo1")->currentIndex(), -1);
        open("MGM2-0012-00000.mp3", ""); // no event text: no pre-fill
        QVERIFY(!radio("Option1_0")->isChecked());
    }

    void aPrefilledDialogComposesTheSameNameAgain() {
        open("L1M3-0012-00042.mp3", "ZIDAS-Empfänger");
        radio("Option2_1")->click(); // touching a control makes OK available
        QVERIFY(ok()->isEnabled());
        ok()->click();
        QVERIFY(dialog->neuerEintrag());
        QCOMPARE(dialog->neuerEintrag()->entryName(), std::string("L1M3-0012-00042.mp3"));
        QCOMPARE(dialog->strAlterName(), std::string("L1M3-0012-00042.mp3"));
    }

    void theLastContactAloneRecordsNothing() {
        open();
        chooseKind(3);
        combo("Combo3_1")->setCurrentIndex(9);
        QVERIFY(!dialog->selection().selKontaktVon);
        combo("Combo3_0")->setCurrentIndex(0);
        QCOMPARE(dialog->selection().selKontaktVon, std::optional<std::string>("1"));
        QCOMPARE(dialog->selection().selKontaktBis, std::optional<std::string>("10"));
    }

    void okWithMissingChoicesShowsTheFirstMessageOfEachKind() {
        const std::string expected[] = {
            "Bitte aktivieren Sie den Status!",
            "Bitte aktivieren Sie den Status!",
            "Bitte aktivieren Sie den Status!",
            "Bitte aktivieren Sie den Status!",
            "Bitte aktivieren Sie die Unterbrechungserlaubniss!",
            "Bitte aktivieren Sie die Zeitangabe!",
            "Bitte aktivieren Sie die Wiedergabeposition!",
        };
        for (int kind = 0; kind < 7; ++kind) {
            open();
            chooseKind(kind);
            ok()->click();
            QCOMPARE(ui.texts(), std::vector<std::string>{expected[kind]});
            QVERIFY(dialog->isVisible());
        }
    }

    void aBoxEditedAfterTheListCountsWithItsFinalText() {
        open();
        chooseKind(0);
        radio("optMA_1")->click();
        radio("Option2_1")->click();
        box("Text2_0")->setText("7");
        combo("Combo2")->setCurrentIndex(1);
        box("Text2_0")->setText("12");
        ok()->click();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->neuerEintrag()->entryName(), std::string("MGM2-0012-00000.mp3"));
    }

    void cancelLeavesNoResult() {
        open("MGM2-0012-00000.mp3", "Magnetartikel");
        radio("optMA_0")->click();
        child<QPushButton>("CancelButton")->click();
        QVERIFY(!dialog->neuerEintrag());
        QVERIFY(!session.SaveNeeded);
    }
};

QTEST_MAIN(EventDialogTest)
#include "EventDialogTest.moc"
