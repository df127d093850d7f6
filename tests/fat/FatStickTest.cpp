// The storage layer against a real FAT32 file system, mounted with fusefat.

#include "event/EventOptions.h"
#include "storage/IndexFile.h"
#include "storage/StickSelection.h"
#include "storage/StickWorkspace.h"
#include "storage/platform/linux/LinuxFileOperations.h"
#include "support/FatImage.h"
#include "support/RecordingUserInterface.h"
#include "support/Selections.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tonarion {
namespace {

using namespace testing;
namespace fs = std::filesystem;

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return in ? bytes.str() : "<missing>";
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

const std::string DefaultSettings = "SET_-0001-00021.mp3\r\nSET_-0002-00180.mp3\r\n"
                                    "SET_-0003-00028.mp3\r\nSET_-0004-00002.mp3\r\n"
                                    "SET_-0005-00000.mp3\r\nSET_-0006-00000.mp3\r\n";

class FatStickTest : public ::testing::Test {
protected:
    FatStickTest()
        : m_image(::testing::UnitTest::GetInstance()->current_test_info()->name()) {
        m_music = m_image.root() + "../music/";
        fs::create_directories(m_music);
        session.stickRoot = m_image.root();
    }

    std::string stick(const std::string& name) const { return m_image.root() + name; }
    std::string music(const std::string& name) const { return m_music + name; }

    // Accepts the stick as the drive dialog does and loads it as the main window does.
    void openStick() {
        ASSERT_TRUE(gueltigeAuswahl(session, files, ui));
        ASSERT_EQ(workspace.load("/opt/tonarion"), IndexReadResult::Read);
    }

    static EventSelection greenTurnout(const std::string& address) {
        return turnoutSelection(1, address);
    }
    static EventSelection random() {
        EventSelection sel;
        sel.selEreignis = static_cast<int>(EventKind::Zufall);
        sel.selModus = Option2[1].codeText;
        return sel;
    }

    FatImage m_image;
    std::string m_music;
    LinuxFileOperations files;
    RecordingUserInterface ui;
    Session session;
    StickWorkspace workspace{session, files, ui};
};

TEST_F(FatStickTest, OneRequestFromEndToEnd) {
    openStick();
    writeBytes(music("pfiff.mp3"), "pfiff");
    workspace.dropFiles(std::vector<std::string>{music("pfiff.mp3")});
    EXPECT_EQ(workspace.bind(1, greenTurnout("12")), "MGM2-0012-00000.mp3");

    EXPECT_EQ(readBytes(stick("MGM2-0012-00000.mp3")), "pfiff");
    EXPECT_EQ(readBytes(stick("tonkat.tkx")),
              "Tonarion-Inhalt - Veltrako Ruzirovuza GmbH\r\nMGM2-0012-00000.mp3;" +
                  music("pfiff.mp3") + "\r\n" + DefaultSettings);
    for (const char* setting : {"SET_-0001-00021.mp3", "SET_-0006-00000.mp3"}) {
        EXPECT_EQ(fs::file_size(stick(setting)), 0u) << setting;
    }
    EXPECT_FALSE(fs::exists(stick(IndexTempName)));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(FatStickTest, AChangedSoundReplacesItsCopyInOneStep) {
    openStick();
    writeBytes(music("pfiff.mp3"), "pfiff");
    workspace.dropFiles(std::vector<std::string>{music("pfiff.mp3")});
    workspace.bind(1, greenTurnout("12"));
    writeBytes(music("pfiff.mp3"), "pfiff, edited and longer");
    session.SaveNeeded = true;
    EXPECT_EQ(workspace.commit(), CommitResult::Written) << ui.lastText();
    EXPECT_EQ(readBytes(stick("MGM2-0012-00000.mp3")), "pfiff, edited and longer");
    EXPECT_FALSE(fs::exists(stick("MGM2-0012-00000.mp3.tonarion-new")));
}

TEST_F(FatStickTest, AStickFileWithAnOlderNameIsRenamedAndReBindingDeletesOnlyTheOldFile) {
    writeBytes(stick("MGM2-0012-00000.mp3"), "stick only");
    writeBytes(stick("KSM4-0001-00010.mp3"), "contact");
    writeBytes(stick("tonkat.tkx"), "Tonarion-Inhalt - Veltrako Ruzirovuza GmbH\r\n"
                                    "MGM2-0012-00000.mp3;" +
                                        stick("MGM2-0012-00000.mp3") + "\r\n" +
                                        "KSM4-0001-00010.mp3;" + stick("KSM4-0001-00010.mp3") +
                                        "\r\n" + DefaultSettings);
    openStick();
    EXPECT_EQ(workspace.bind(1, greenTurnout("13")), "MGM2-0013-00000.mp3");
    EXPECT_EQ(readBytes(stick("MGM2-0013-00000.mp3")), "stick only");
    EXPECT_FALSE(fs::exists(stick("MGM2-0012-00000.mp3")));
    EXPECT_EQ(readBytes(stick("KSM4-0001-00010.mp3")), "contact");
    EXPECT_NE(
        readBytes(stick("tonkat.tkx")).find("MGM2-0013-00000.mp3;" + stick("MGM2-0013-00000.mp3")),
        std::string::npos);
}

TEST_F(FatStickTest, DeletingRandomEntryOneMovesFiveAndNineDown) {
    openStick();
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) {
        writeBytes(music(name), name);
    }
    workspace.dropFiles(std::vector<std::string>{music("a.mp3"), music("b.mp3"), music("c.mp3")});
    for (int row = 1; row <= 3; ++row) {
        workspace.bind(row, random());
    }
    // Give them the numbers 1, 5 and 9 as a hand-made index file might.
    fs::rename(stick("ZUM_-0002-00000.mp3"), stick("ZUM_-0005-00000.mp3"));
    fs::rename(stick("ZUM_-0003-00000.mp3"), stick("ZUM_-0009-00000.mp3"));
    writeBytes(stick("tonkat.tkx"), "Tonarion-Inhalt - Veltrako Ruzirovuza GmbH\r\n"
                                    "ZUM_-0001-00000.mp3;" +
                                        music("a.mp3") + "\r\n" + "ZUM_-0005-00000.mp3;" +
                                        music("b.mp3") + "\r\n" + "ZUM_-0009-00000.mp3;" +
                                        music("c.mp3") + "\r\n" + DefaultSettings);
    openStick();
    workspace.deleteRow(1);
    EXPECT_EQ(workspace.commit(), CommitResult::Written);
    EXPECT_EQ(readBytes(stick("ZUM_-0001-00000.mp3")), "b.mp3");
    EXPECT_EQ(readBytes(stick("ZUM_-0002-00000.mp3")), "c.mp3");
    EXPECT_FALSE(fs::exists(stick("ZUM_-0005-00000.mp3")));
    EXPECT_FALSE(fs::exists(stick("ZUM_-0009-00000.mp3")));
    EXPECT_EQ(session.counters.cntZufall(), 2);
}

TEST_F(FatStickTest, NamesOnFatIgnoreLetterCase) {
    writeBytes(stick("TONKAT.TKX"), "Tonarion-Inhalt - Veltrako Ruzirovuza GmbH\r\n"
                                    "MGM2-0012-00000.mp3;" +
                                        stick("mgm2-0012-00000.MP3") + "\r\n" + DefaultSettings);
    writeBytes(stick("mgm2-0012-00000.MP3"), "sound");
    openStick();
    EXPECT_EQ(session.indexFileName, "TONKAT.TKX");
    session.SaveNeeded = true;
    EXPECT_EQ(workspace.commit(), CommitResult::Written);
    EXPECT_EQ(readBytes(stick("MGM2-0012-00000.mp3")), "sound");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(FatStickTest, AReadOnlyStickKeepsItsIndexAndTheChangesStayPending) {
    openStick();
    const std::string before = readBytes(stick("tonkat.tkx"));
    writeBytes(music("pfiff.mp3"), "pfiff");
    workspace.dropFiles(std::vector<std::string>{music("pfiff.mp3")});
    m_image.remount(FatImage::Mount::ReadOnly);

    workspace.bind(1, greenTurnout("12"));
    EXPECT_TRUE(session.SaveNeeded);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.starts_with(
        "Die Änderungen konnten nicht vollständig auf den USB-Stick geschrieben werden.\r\n\r\n"
        "MGM2-0012-00000.mp3: "));
    EXPECT_EQ(readBytes(stick("tonkat.tkx")), before);

    m_image.remount(FatImage::Mount::ReadWrite);
    EXPECT_EQ(workspace.commit(), CommitResult::Written);
    EXPECT_EQ(readBytes(stick("MGM2-0012-00000.mp3")), "pfiff");
}

TEST_F(FatStickTest, AFullStickKeepsItsIndexByteForByte) {
    openStick();
    const std::string before = readBytes(stick("tonkat.tkx"));
    writeBytes(music("big.mp3"), std::string(48 << 20, 'x'));
    workspace.dropFiles(std::vector<std::string>{music("big.mp3")});
    EXPECT_EQ(workspace.bind(1, greenTurnout("12")), "MGM2-0012-00000.mp3");
    EXPECT_TRUE(session.SaveNeeded);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.starts_with(std::string(CommitFailedMessage) +
                                                "\r\n\r\nMGM2-0012-00000.mp3: "));
    EXPECT_EQ(readBytes(stick("tonkat.tkx")), before);
    EXPECT_FALSE(fs::exists(stick("MGM2-0012-00000.mp3")));
    EXPECT_FALSE(fs::exists(stick(IndexTempName)));
}

TEST_F(FatStickTest, AReadOnlyStickRefusesDeletingAndNewSettingsAndKeepsEverything) {
    openStick();
    writeBytes(music("a.mp3"), "a");
    workspace.dropFiles(std::vector<std::string>{music("a.mp3")});
    workspace.bind(1, greenTurnout("12"));
    const std::string before = readBytes(stick("tonkat.tkx"));
    m_image.remount(FatImage::Mount::ReadOnly);

    workspace.deleteRow(1);
    session.settings.CurrentSettings[Setting::Volume] = "SET_-0001-00025.mp3";
    EXPECT_EQ(workspace.commit(), CommitResult::Failed);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.starts_with(CommitFailedMessage));
    EXPECT_EQ(readBytes(stick("tonkat.tkx")), before);
    EXPECT_EQ(readBytes(stick("MGM2-0012-00000.mp3")), "a");
    EXPECT_TRUE(session.SaveNeeded);

    // Back in writing order, the stick catches up with everything at once.
    m_image.remount(FatImage::Mount::ReadWrite);
    EXPECT_EQ(workspace.commit(), CommitResult::Written);
    EXPECT_FALSE(fs::exists(stick("MGM2-0012-00000.mp3")));
    EXPECT_FALSE(fs::exists(stick("SET_-0001-00021.mp3")));
    EXPECT_EQ(readBytes(stick("tonkat.tkx")),
              "Tonarion-Inhalt - Veltrako Ruzirovuza GmbH\r\nSET_-0001-00025.mp3\r\n" +
                  DefaultSettings.substr(DefaultSettings.find("SET_-0002")));
}

TEST_F(FatStickTest, RelativeSourcePathsAreRepairedAndWrittenBack) {
    writeBytes(stick("tonkat.tkx"), "Tonarion-Inhalt - Veltrako Ruzirovuza GmbH\r\n"
                                    "MGM2-0012-00000.mp3;sounds/pfiff.mp3\r\n" +
                                        DefaultSettings);
    openStick();
    EXPECT_EQ(session.table.row(1).sourcePath, "/opt/tonarion/sounds/pfiff.mp3");
    EXPECT_EQ(readBytes(stick("tonkat.tkx")),
              "Tonarion-Inhalt - Veltrako Ruzirovuza GmbH\r\n"
              "MGM2-0012-00000.mp3;/opt/tonarion/sounds/pfiff.mp3\r\n" +
                  DefaultSettings);
}

TEST_F(FatStickTest, ASecondCommitCopiesOnlyWhatChanged) {
    openStick();
    writeBytes(music("a.mp3"), "first");
    writeBytes(music("b.mp3"), "bbbbb");
    // Sounds made long ago: a copy stamped with the time of copying would differ.
    const auto longAgo = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    fs::last_write_time(music("a.mp3"), longAgo);
    fs::last_write_time(music("b.mp3"), longAgo);
    workspace.dropFiles(std::vector<std::string>{music("a.mp3"), music("b.mp3")});
    workspace.bind(1, greenTurnout("1"));
    workspace.bind(2, greenTurnout("2"));
    // Same size and time: taken for the same sound, so the stick keeps its copy.
    const auto time = fs::last_write_time(music("b.mp3"));
    writeBytes(music("b.mp3"), "BBBBB");
    fs::last_write_time(music("b.mp3"), time);
    // A changed sound replaces the stick's older copy.
    writeBytes(music("a.mp3"), "second version");
    session.SaveNeeded = true;
    EXPECT_EQ(workspace.commit(), CommitResult::Written);
    EXPECT_EQ(readBytes(stick("MGM2-0001-00000.mp3")), "second version");
    EXPECT_EQ(readBytes(stick("MGM2-0002-00000.mp3")), "bbbbb");
    EXPECT_FALSE(fs::exists(stick("MGM2-0001-00000.mp3.part")));
    EXPECT_TRUE(ui.messages.empty());
}

} // namespace
} // namespace tonarion
