// The tool's main work from end to end: a sound dropped on the main window, bound in the
// event dialog, and written to a real FAT32 stick.

#include "event/EventDialog.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/SoundTableModel.h"
#include "storage/StickSelection.h"
#include "storage/platform/linux/LinuxFileOperations.h"
#include "support/FatImage.h"
#include "support/ModalDialog.h"
#include "support/RecordingUserInterface.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

using namespace tonarion;
using namespace tonarion::testing;
namespace fs = std::filesystem;

namespace {

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return in ? bytes.str() : "<missing>";
}

// The user's choices for a green or red turnout at address 12.
void chooseTurnout(EventDialog* dialog, const char* status) {
    dialog->findChild<QRadioButton*>("Option1_0")->click();
    dialog->findChild<QRadioButton*>(status)->click();
    dialog->findChild<QRadioButton*>("Option2_1")->click();
    dialog->findChild<QComboBox*>("Combo2")->setCurrentIndex(1);
    dialog->findChild<QLineEdit*>("Text2_0")->setText("12");
    dialog->findChild<QPushButton*>("OKButton")->click();
}

} // namespace

class MainWindowOnFatTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<FatImage> image;
    std::string music;
    LinuxFileOperations files;
    RecordingUserInterface ui;
    std::unique_ptr<Session> session;
    std::unique_ptr<StickWorkspace> workspace;
    std::unique_ptr<MainWindow> window;

    std::string stick(const std::string& name) const { return image->root() + name; }

    void clickEreignisCell(int gridRow) {
        const QModelIndex cell = window->model()->index(gridRow - 1, 2);
        QTest::mouseClick(window->grid()->viewport(), Qt::LeftButton, {},
                          window->grid()->visualRect(cell).center());
    }

private slots:
    void init() {
        image = std::make_unique<FatImage>("mainwindow");
        music = image->root() + "../music/";
        fs::create_directories(music);
        std::ofstream(music + "pfiff.mp3") << "pfiff";
        session = std::make_unique<Session>();
        session->stickRoot = image->root();
        workspace = std::make_unique<StickWorkspace>(*session, files, ui);
        QVERIFY(gueltigeAuswahl(*session, files, ui));
        window = std::make_unique<MainWindow>(*workspace, ui);
        QVERIFY(window->load("/opt/tonarion"));
        window->show();
        workspace->dropFiles(std::vector<std::string>{music + "pfiff.mp3"});
    }
    void cleanup() {
        window.reset();
        workspace.reset();
        image.reset();
    }

    void aDroppedSoundIsBoundAndWrittenToTheStick() {
        whenDialogOpens<EventDialog>([](EventDialog* dialog) { chooseTurnout(dialog, "optMA_1"); });
        clickEreignisCell(1);
        QCOMPARE(readBytes(stick("MGM2-0012-00000.mp3")), std::string("pfiff"));
        QVERIFY(readBytes(stick("tonkat.tkx"))
                    .starts_with("Tonarion-Inhalt - Veltrako Ruzirovuza GmbH\r\n"
                                 "MGM2-0012-00000.mp3;" +
                                 music + "pfiff.mp3\r\nSET_-0001-00021.mp3\r\n"));
        QCOMPARE(window->model()->index(0, 3).data().toString(), QString("GRÜN"));
        QCOMPARE(window->model()->index(0, 4).data().toString(), QString("MIT ERLAUBNISS"));
        QVERIFY(ui.messages.empty());

        // Binding it anew to the red turnout leaves only the new file.
        whenDialogOpens<EventDialog>([](EventDialog* dialog) { chooseTurnout(dialog, "optMA_0"); });
        clickEreignisCell(1);
        QVERIFY(fs::exists(stick("MRM2-0012-00000.mp3")));
        QVERIFY(!fs::exists(stick("MGM2-0012-00000.mp3")));
        QCOMPARE(session->counters.cntMRL(), 1);
    }

    void aCancelledDialogChangesNothing() {
        const std::string index = readBytes(stick("tonkat.tkx"));
        whenDialogOpens<EventDialog>([](EventDialog* dialog) {
            dialog->findChild<QRadioButton*>("Option1_4")->click();
            dialog->findChild<QPushButton*>("CancelButton")->click();
        });
        clickEreignisCell(1);
        QCOMPARE(readBytes(stick("tonkat.tkx")), index);
        QCOMPARE(window->model()->index(0, 0).data().toString(), QString());
        QCOMPARE(session->counters.total(), 0);
    }

    void theEmptyLastRowOpensNoDialog() {
        bool opened = false;
        whenDialogOpens<EventDialog>([&opened](EventDialog*) { opened = true; });
        window->grid()->setCurrentIndex(window->model()->index(1, 2));
        clickEreignisCell(2);
        QVERIFY(!opened);
    }
};

QTEST_MAIN(MainWindowOnFatTest)
#include "MainWindowOnFatTest.moc"
