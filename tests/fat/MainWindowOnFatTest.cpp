// The tool's main work from end to end: a sound dropped on the main window, bound in the
// event dialog, and written to a real FAT32 stick.

#include "gui/EventDialog.h"
#include "gui/MainWindow.h"
#include "gui/SoundTableModel.h"
#include "storage/StickSelection.h"
#include "storage/platform/linux/LinuxFileOperations.h"
#include "support/FatImage.h"
#include "support/FileBytes.h"
#include "support/GuiTestMain.h"
#include "support/ModalDialog.h"
#include "support/RecordingUserInterface.h"

#include <QTest>

#include <filesystem>
#include <memory>

using namespace tonarion;
using namespace tonarion::testing;
namespace fs = std::filesystem;

class MainWindowOnFatTest : public QObject {
    Q_OBJECT

private:
    FatImage image{"mainwindow"};
    const std::string music = image.root() + "../music/";
    LinuxFileOperations files;
    RecordingUserInterface ui;
    Session session;
    StickWorkspace workspace{session, files, ui};

    std::string stick(const std::string& name) const { return image.root() + name; }

    // Clicks a row's Ereigniss cell; true when the event dialog opened and took these steps.
    static bool clickEreignis(MainWindow& window, int gridRow, const QStringList& steps = {}) {
        auto opened = std::make_shared<bool>(false);
        whenDialogOpens<EventDialog>([steps, opened](EventDialog* dialog) {
            *opened = true;
            act(dialog, steps);
        });
        clickCell(window.grid(), gridRow - 1, 2);
        return *opened;
    }
    static QStringList turnoutAt12(const QString& status) {
        return {"Option1_0", status, "Option2_1", "Combo2=2", "Text2_0=12", "OKButton"};
    }

private slots:
    void aDroppedSoundIsBoundReboundAndACancelChangesNothing() {
        fs::create_directories(music);
        writeBytes(music + "pfiff.mp3", "pfiff");
        session.stickRoot = image.root();
        QVERIFY(gueltigeAuswahl(session, files, ui));
        MainWindow window(workspace, ui);
        QVERIFY(window.load("/opt/tonarion"));
        window.show();
        workspace.dropFiles(std::vector<std::string>{music + "pfiff.mp3"});

        QVERIFY(clickEreignis(window, 1, turnoutAt12("optMA_1")));
        QCOMPARE(readBytes(stick("MGM2-0012-00000.mp3")), std::string("pfiff"));
        QVERIFY(readBytes(stick("tonkat.tkx"))
                    .find("\r\nMGM2-0012-00000.mp3;" + music + "pfiff.mp3\r\n") !=
                std::string::npos);
        QCOMPARE(window.model()->index(0, 3).data().toString(), QString("GRÜN"));

        // Binding it anew to the red turnout leaves only the new file.
        QVERIFY(clickEreignis(window, 1, turnoutAt12("optMA_0")));
        QVERIFY(fs::exists(stick("MRM2-0012-00000.mp3")));
        QVERIFY(!fs::exists(stick("MGM2-0012-00000.mp3")));

        // A cancelled dialog changes nothing; the empty last row opens none.
        const std::string index = readBytes(stick("tonkat.tkx"));
        QVERIFY(clickEreignis(window, 1, {"Option1_4", "CancelButton"}));
        QVERIFY(!clickEreignis(window, 2));
        QCOMPARE(readBytes(stick("tonkat.tkx")), index);
        QCOMPARE(window.model()->index(0, 0).data().toString(), QString("MRM2-0012-00000.mp3"));
        QCOMPARE(session.counters.total(), 1);
        QVERIFY(ui.messages.empty());
    }
};

TONARION_GUI_TEST(MainWindowOnFatTest)
#include "MainWindowOnFatTest.moc"
