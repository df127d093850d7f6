// The storage layer on Windows file operations, with a folder that plays the stick; these
// run under Wine in CI.

#include "storage/IndexFile.h"
#include "storage/StickSelection.h"
#include "storage/platform/SystemPlatform.h"
#include "storage/platform/windows/WindowsFileOperations.h"
#include "support/RecordingUserInterface.h"
#include "support/TempFolder.h"
#include "support/TestStick.h"
#include "workspace/StickWorkspace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

namespace tonarion {
namespace {

using namespace testing;

class WindowsStickTest : public ::testing::Test {
protected:
    WindowsStickTest() { session.stick().setRoot(stick.path()); }

    // Accepts the stick as the drive dialog does and loads it as the main window does.
    void openStick() {
        ASSERT_TRUE(gueltigeAuswahl(session, files, ui));
        ASSERT_EQ(workspace.load(programFolder()), IndexReadResult::Read);
    }

    TempFolder stick;
    WindowsFileOperations files;
    RecordingUserInterface ui;
    Session session;
    StickWorkspace workspace{session, files, ui};
};

TEST_F(WindowsStickTest, AnUmlautIndexIsReadAndReplacedByteForByte) {
    const std::string umlauts = "\xC4\xD6\xDC\xE4\xF6\xFC\xDF"; // ÄÖÜäöüß in Windows-1252
    std::vector<std::string> lines = {"MGM2-0012-00000.mp3;C:\\Gr" + umlauts + "\\" + umlauts +
                                      ".mp3"};
    lines.insert(lines.end(), DefaultSettingLines.begin(), DefaultSettingLines.end());
    const std::string bytes = indexWith(lines);
    stick.write("tonkat.tkx", bytes);
    stick.write("MGM2-0012-00000.mp3", "on the stick only");
    openStick();
    EXPECT_EQ(session.table().row(1).sourcePath, "C:\\GrÄÖÜäöüß\\ÄÖÜäöüß.mp3");

    // The source is gone: the commit keeps the stick's copy and replaces the index in one step.
    session.markChanged();
    EXPECT_TRUE(workspace.commit());
    EXPECT_EQ(stick.read("tonkat.tkx"), bytes);
    EXPECT_FALSE(stick.exists(IndexTempName));
    EXPECT_EQ(stick.read("MGM2-0012-00000.mp3"), "on the stick only");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(WindowsStickTest, AMissingDriveEndsTheProgramWithItsMessage) {
    session.stick().setRoot("Q:\\");
    EXPECT_EQ(workspace.load(programFolder()), IndexReadResult::DriveNotReady);
    EXPECT_EQ(ui.texts(), std::vector<std::string>{WrongDriveMessage});
}

TEST(WindowsPlatformTest, TheProgramsFolderAndAStickRootAreWindowsPaths) {
    const std::string folder = programFolder();
    EXPECT_FALSE(folder.ends_with('\\')) << folder;
    EXPECT_TRUE(isAbsoluteSourcePath(folder)) << folder;
    EXPECT_TRUE(WindowsFileOperations().FileExists(folder + "\\tonarion_core_tests.exe")) << folder;
    // A stick root is absolute and ends in one separator.
    EXPECT_EQ(stickRootOf("E:\\"), "E:\\");
    EXPECT_EQ(stickRootOf("E:/"), "E:\\");
    EXPECT_EQ(stickRootOf("E:\\Sounds\\..\\Sounds"), "E:\\Sounds\\");
    EXPECT_EQ(stickRootOf("\\\\server\\share"), "\\\\server\\share\\");
}

// scripts/test-windows maps the drive letters U: and V: to one empty folder, as a stick that
// Windows gives another letter tomorrow, or a folder mapped with subst.
TEST(WindowsTwoLettersTest, DeletingARandomRowUnderTheOtherLetterRenumbersTheRightSounds) {
    const std::filesystem::path folder = L"U:\\";
    ASSERT_TRUE(std::filesystem::exists(L"V:\\")) << "U: and V: must be mapped to one folder";
    const std::vector<std::string> names = {"ZUM_-0001-00000.mp3", "ZUM_-0002-00000.mp3",
                                            "ZUM_-0003-00000.mp3", "ZUM_-0004-00000.mp3"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::ofstream(folder / names[i], std::ios::binary) << std::string(1, char('a' + i));
    }
    WindowsFileOperations files;
    RecordingUserInterface ui;
    std::optional<Session> session;
    const auto onDrive = [&](const std::string& root,
                             const std::function<void(StickWorkspace&)>& work) {
        session.emplace();
        StickWorkspace workspace(*session, files, ui);
        ASSERT_TRUE(workspace.openFolder(root));
        ASSERT_EQ(workspace.load(programFolder()), IndexReadResult::Read);
        work(workspace);
        workspace.commit();
    };
    onDrive("U:\\", [](StickWorkspace&) {});
    onDrive("V:\\", [](StickWorkspace& workspace) { workspace.deleteRow(2); });
    onDrive("U:\\", [&](StickWorkspace&) { session->markChanged(); });

    std::vector<std::string> contents;
    for (const auto& name : names) {
        std::ifstream in(folder / name, std::ios::binary);
        std::string bytes;
        contents.push_back(std::getline(in, bytes) ? bytes : "<missing>");
    }
    EXPECT_EQ(contents, (std::vector<std::string>{"a", "c", "d", "<missing>"}));
}

} // namespace
} // namespace tonarion
