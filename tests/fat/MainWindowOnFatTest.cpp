// The tool's main work from end to end: a sound dropped on the main window, bound in the
// event dialog, and written to a real FAT32 stick.

#include "storage/StickSelection.h"
#include "storage/platform/linux/LinuxFileOperations.h"
#include "support/FatImage.h"
#include "support/FileBytes.h"
#include "support/GuiTestMain.h"
#include "support/WindowFixture.h"

#include <filesystem>

using namespace tonarion;
using namespace tonarion::testing;
namespace fs = std::filesystem;

class MainWindowOnFatTest : public QObject, WindowFixture {
    Q_OBJECT

    FatImage image{"mainwindow"};
    LinuxFileOperations files;
    RecordingUserInterface ui;
    Session session;
    StickWorkspace workspace{session, files, ui};

    std::string onStick(const std::string& name) const { return image.root() + name; }
    // Clicks a row's Ereigniss cell; true when the event dialog opened and took these steps.
    bool clickEreignis(const QStringList& steps, int gridRow = 1) const {
        return !dialogAfter([this, gridRow] { clickCell(window->grid(), gridRow - 1, 2); }, steps)
                    .isEmpty();
    }
    static QStringList turnoutAt12(const QString& status) {
        return {"Option1_0", status, "Option2_1", "Combo2=2", "Text2_0=12", "OKButton"};
    }

private slots:
    void cleanup() { window.reset(); } // before the workspace it works on

    void aDroppedSoundIsBoundReboundAndACancelChangesNothing() {
        const std::string music = image.root() + "../music/";
        fs::create_directories(music);
        writeBytes(music + "pfiff.mp3", "pfiff");
        session.stickRoot = image.root();
        QVERIFY(gueltigeAuswahl(session, files, ui));
        reset();
        openWindow(&ui, &workspace);
        workspace.dropFiles(std::vector<std::string>{music + "pfiff.mp3"});

        QVERIFY(clickEreignis(turnoutAt12("optMA_1")));
        QCOMPARE(readBytes(onStick("MGM2-0012-00000.mp3")), std::string("pfiff"));
        QVERIFY(readBytes(onStick("tonkat.tkx"))
                    .find("\r\nMGM2-0012-00000.mp3;" + music + "pfiff.mp3\r\n") !=
                std::string::npos);
        // Binding it anew to the red turnout leaves only the new file.
        QVERIFY(clickEreignis(turnoutAt12("optMA_0")));
        QVERIFY(fs::exists(onStick("MRM2-0012-00000.mp3")));
        QVERIFY(!fs::exists(onStick("MGM2-0012-00000.mp3")));
        // A cancelled dialog changes nothing; the empty last row opens none.
        const std::string index = readBytes(onStick("tonkat.tkx"));
        QVERIFY(clickEreignis({"Option1_4", "CancelButton"}));
        QVERIFY(!clickEreignis({}, 2));
        QCOMPARE(readBytes(onStick("tonkat.tkx")), index);
        QCOMPARE(column(1), QStringList({"MRM2-0012-00000.mp3", ""}));
        QVERIFY(ui.messages.empty());
    }
};

TONARION_GUI_TEST(MainWindowOnFatTest)
#include "MainWindowOnFatTest.moc"
