// The storage layer on Windows file operations, with a folder that plays the stick; these
// run under Wine in CI.

#include "event/EventOptions.h"
#include "storage/IndexFile.h"
#include "storage/StickSelection.h"
#include "storage/StickWorkspace.h"
#include "storage/platform/SystemPlatform.h"
#include "storage/platform/windows/WindowsFileOperations.h"
#include "support/RecordingUserInterface.h"
#include "support/WindowsTestFolder.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

using namespace testing;

const std::string Header = "Tonarion-Inhalt - Veltrako Ruzirovuza GmbH\r\n";
const std::string DefaultSettings = "SET_-0001-00021.mp3\r\nSET_-0002-00180.mp3\r\n"
                                    "SET_-0003-00028.mp3\r\nSET_-0004-00002.mp3\r\n"
                                    "SET_-0005-00000.mp3\r\nSET_-0006-00000.mp3\r\n";
// Ä Ö Ü ä ö ü ß, as Windows-1252 writes them.
const std::string Umlauts1252 = "\xC4\xD6\xDC\xE4\xF6\xFC\xDF";

EventSelection greenTurnout(const std::string& address) {
    EventSelection sel;
    sel.selEreignis = static_cast<int>(EventKind::Magnetartikel);
    sel.selStatus = optMA[1].codeText;
    sel.selModus = Option2[1].codeText;
    sel.selWert = ChosenListEntry{1, "2"};
    sel.selAdr1 = address;
    sel.selAdr2 = "-";
    return sel;
}

class WindowsStickTest : public ::testing::Test {
protected:
    WindowsStickTest() { session.stickRoot = stick.path(); }

    // Accepts the stick as the drive dialog does and loads it as the main window does.
    void openStick() {
        ASSERT_TRUE(gueltigeAuswahl(session, files, ui));
        ASSERT_EQ(workspace.load(programFolder()), IndexReadResult::Read);
    }

    WindowsTestFolder stick;
    WindowsFileOperations files;
    RecordingUserInterface ui;
    Session session;
    StickWorkspace workspace{session, files, ui};
};

TEST_F(WindowsStickTest, TheIndexFileIsReplacedInOneStep) {
    stick.write("tonkat.tkx", "old index");
    StickFiles stickFiles(files, session.stickRoot);
    EXPECT_FALSE(replaceIndexFile(stickFiles, "tonkat.tkx", Header + DefaultSettings));
    EXPECT_EQ(stick.read("tonkat.tkx"), Header + DefaultSettings);
    EXPECT_FALSE(stick.exists(IndexTempName));
}

TEST_F(WindowsStickTest, SoundsFromFoldersNamedInGermanPolishAndGreekReachTheStick) {
    const WindowsTestFolder german("Musik Ärger Öl Übel äöüß");
    const WindowsTestFolder polishGreek("Muzyka Żółć Ωδή");
    german.write("pfiff.mp3", "pfiff");
    polishGreek.write("ψαλμός.mp3", "psalm");
    openStick();
    EXPECT_EQ(stick.read("tonkat.tkx"), Header + DefaultSettings);

    workspace.dropFiles(
        std::vector<std::string>{german.path("pfiff.mp3"), polishGreek.path("ψαλμός.mp3")});
    EXPECT_EQ(workspace.bind(1, greenTurnout("12")), "MGM2-0012-00000.mp3");
    EXPECT_EQ(workspace.bind(2, greenTurnout("13")), "MGM2-0013-00000.mp3");
    EXPECT_EQ(stick.read("MGM2-0012-00000.mp3"), "pfiff");
    EXPECT_EQ(stick.read("MGM2-0013-00000.mp3"), "psalm");
    EXPECT_EQ(stick.read("SET_-0006-00000.mp3"), "");
    EXPECT_TRUE(ui.messages.empty());

    // The index file stays Windows-1252: an umlaut is one byte, a letter it lacks is "?".
    const std::string index = stick.read("tonkat.tkx");
    EXPECT_NE(index.find("\\Musik \xC4rger \xD6l \xDC"
                         "bel \xE4\xF6\xFC\xDF "),
              std::string::npos)
        << index;
    EXPECT_NE(index.find("\\pfiff.mp3\r\nMGM2-0013-00000.mp3;"), std::string::npos) << index;
    EXPECT_NE(index.find("\\Muzyka ?\xF3?? ??? "), std::string::npos) << index;
    EXPECT_TRUE(index.ends_with("\\??????.mp3\r\n" + DefaultSettings)) << index;

    // Read back, the umlaut path is whole again. The other names no file any more, so the
    // next commit keeps the stick's copy.
    ASSERT_EQ(workspace.load(programFolder()), IndexReadResult::Read);
    EXPECT_EQ(session.table.row(1).sourcePath, german.path("pfiff.mp3"));
    session.SaveNeeded = true;
    EXPECT_EQ(workspace.commit(), CommitResult::Written);
    EXPECT_EQ(stick.read("MGM2-0013-00000.mp3"), "psalm");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(WindowsStickTest, AnUmlautIndexIsReadAndWrittenBackByteForByte) {
    const std::string bytes = Header + "MGM2-0012-00000.mp3;C:\\Gr" + Umlauts1252 + "\\" +
                              Umlauts1252 + ".mp3\r\n" + DefaultSettings;
    stick.write("tonkat.tkx", bytes);
    stick.write("MGM2-0012-00000.mp3", "on the stick only");
    openStick();
    EXPECT_EQ(session.table.row(1).sourcePath, "C:\\GrÄÖÜäöüß\\ÄÖÜäöüß.mp3");

    session.SaveNeeded = true;
    EXPECT_EQ(workspace.commit(), CommitResult::Written);
    EXPECT_EQ(stick.read("tonkat.tkx"), bytes);
    EXPECT_EQ(stick.read("MGM2-0012-00000.mp3"), "on the stick only");
}

TEST_F(WindowsStickTest, RelativeSourcePathsAreTakenFromTheProgramsFolder) {
    stick.write("tonkat.tkx", Header + "MGM2-0012-00000.mp3;sounds\\pfiff.mp3\r\n" +
                                  "KSM4-0001-00010.mp3;D:\\Musik\\a.mp3\r\n" + DefaultSettings);
    openStick();
    const std::string folder = programFolder();
    EXPECT_EQ(session.table.row(1).sourcePath, folder + "\\sounds\\pfiff.mp3");
    EXPECT_EQ(session.table.row(2).sourcePath, "D:\\Musik\\a.mp3");
    EXPECT_EQ(stick.read("tonkat.tkx"),
              Header + "MGM2-0012-00000.mp3;" + folder +
                  "\\sounds\\pfiff.mp3\r\nKSM4-0001-00010.mp3;D:\\Musik\\a.mp3\r\n" +
                  DefaultSettings);
}

TEST_F(WindowsStickTest, AMissingDriveEndsTheProgramWithItsMessage) {
    session.stickRoot = "Q:\\";
    EXPECT_EQ(workspace.load(programFolder()), IndexReadResult::DriveNotReady);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, WrongDriveMessage);
}

TEST(WindowsPlatformTest, TheProgramsFolderHoldsTheProgramAndEndsWithoutBackslash) {
    const std::string folder = programFolder();
    EXPECT_FALSE(folder.ends_with('\\')) << folder;
    EXPECT_TRUE(isAbsoluteSourcePath(folder)) << folder;
    EXPECT_TRUE(WindowsFileOperations().FileExists(folder + "\\tonarion_core_tests.exe")) << folder;
}

TEST(WindowsPlatformTest, AStickRootEndsInOneBackslash) {
    const struct {
        const char* folder;
        const char* root;
    } cases[] = {
        {"E:", "E:\\"},
        {"e:", "e:\\"},
        {"E:\\", "E:\\"},
        {"E:/", "E:/"},
        {"D:\\Sticks\\Anna", "D:\\Sticks\\Anna\\"},
        {"\\\\server\\share", "\\\\server\\share\\"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(stickRootOf(c.folder), c.root) << c.folder;
    }
}

} // namespace
} // namespace tonarion
