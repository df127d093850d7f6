// The storage layer on a real FAT32 file system, mounted with fusefat: what only a real FAT
// driver shows (letter case, file times, replacing a file, a read-only or a full stick). The
// request from end to end runs in the kill sweep on FAT.

#include "storage/IndexFile.h"
#include "storage/StickSelection.h"
#include "storage/platform/linux/LinuxFileOperations.h"
#include "support/FatImage.h"
#include "support/FileBytes.h"
#include "support/RecordingUserInterface.h"
#include "support/Selections.h"
#include "workspace/StickWorkspace.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace tonarion {
namespace {

using namespace testing;
namespace fs = std::filesystem;

class FatStickTest : public ::testing::Test {
protected:
    FatStickTest()
        : m_image(::testing::UnitTest::GetInstance()->current_test_info()->name()) {
        fs::create_directories(music(""));
        session.stick().setRoot(m_image.root());
    }

    std::string stick(const std::string& name) const { return m_image.root() + name; }
    std::string music(const std::string& name) const { return m_image.root() + "../music/" + name; }

    // Accepts the stick as the drive dialog does and loads it as the main window does.
    void openStick() {
        ASSERT_TRUE(gueltigeAuswahl(session, files, ui));
        ASSERT_EQ(workspace.load("/opt/tonarion"), IndexReadResult::Read);
    }
    // The stick pulled and put back with its write protection switched. The system lets go
    // of a pulled stick's files, the program's lock among them; in place of that, the program
    // lets go here, since a mounted file system with a file open is not unmounted. It takes
    // the stick anew, as the main window does.
    void putBack(FatImage::Mount mount) {
        session.stick().releaseLock();
        m_image.remount(mount);
        ASSERT_TRUE(claimStick(session, files, ui));
    }
    // Drops a sound made long ago with these bytes and binds it to the green turnout at this
    // address. (A copy stamped with the time of copying would differ from such a sound.)
    std::optional<std::string> bindSound(const std::string& file, const std::string& bytes,
                                         const std::string& address) {
        writeBytes(music(file), bytes);
        fs::last_write_time(music(file), LongAgo);
        workspace.dropFiles(std::vector<std::string>{music(file)});
        const auto bound =
            workspace.bind(session.table().entryCount(), turnoutSelection(1, address));
        if (!bound) {
            return std::nullopt;
        }
        tellOutcome(ui, bound->committed);
        return bound->entryName;
    }

    const fs::file_time_type LongAgo =
        fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    FatImage m_image;
    LinuxFileOperations files;
    RecordingUserInterface ui;
    Session session;
    StickWorkspace workspace{session, files, ui};
};

TEST_F(FatStickTest, NamesIgnoreLetterCaseAndACommitCopiesOnlyWhatChangedInOneStep) {
    writeBytes(stick("TONKAT.TKX"), std::string(IndexHeader) + "\r\nMGM2-0012-00000.mp3;" +
                                        stick("mgm2-0012-00000.MP3") + "\r\n");
    writeBytes(stick("mgm2-0012-00000.MP3"), "sound");
    openStick();
    EXPECT_EQ(session.stick().indexFileName(), "TONKAT.TKX");
    bindSound("a.mp3", "first", "1");
    bindSound("b.mp3", "bbbbb", "2");
    // Same size and time: taken for the same sound, so the stick keeps its copy.
    writeBytes(music("b.mp3"), "BBBBB");
    fs::last_write_time(music("b.mp3"), LongAgo);
    // A changed sound replaces the stick's older copy (fusefat cannot rewrite it in place).
    writeBytes(music("a.mp3"), "second version");
    session.markChanged();
    EXPECT_TRUE(workspace.commit());
    EXPECT_EQ(readBytes(stick("MGM2-0012-00000.mp3")), "sound");
    EXPECT_EQ(readBytes(stick("MGM2-0001-00000.mp3")), "second version");
    EXPECT_EQ(readBytes(stick("MGM2-0002-00000.mp3")), "bbbbb");
    EXPECT_FALSE(fs::exists(stick("MGM2-0001-00000.mp3.tonarion-new")));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(FatStickTest, AReadOnlyStickKeepsEverythingAndCatchesUpOnceWritable) {
    openStick();
    bindSound("a.mp3", "a", "12");
    const std::string before = readBytes(stick("tonkat.tkx"));
    putBack(FatImage::Mount::ReadOnly);

    EXPECT_EQ(bindSound("b.mp3", "b", "13"), "MGM2-0013-00000.mp3");
    tellOutcome(ui, workspace.deleteRow(1));
    session.settings().CurrentSettings[Setting::Volume] = "SET_-0001-00025.mp3";
    const Outcome committed = workspace.commit();
    EXPECT_EQ(committed.reason, OutcomeReason::CommitFailed);
    tellOutcome(ui, committed);
    // The bind, the deletion and the commit: each is told that the stick is write-protected.
    ASSERT_EQ(ui.messages.size(), 3u);
    for (const auto& message : ui.messages) {
        EXPECT_TRUE(message.text.starts_with(std::string(CommitFailedMessage) + "\r\n\r\n" +
                                             WriteProtectedMessage))
            << message.text;
    }
    EXPECT_EQ(readBytes(stick("tonkat.tkx")), before);
    EXPECT_EQ(readBytes(stick("MGM2-0012-00000.mp3")), "a");
    EXPECT_TRUE(session.SaveNeeded());

    putBack(FatImage::Mount::ReadWrite);
    EXPECT_TRUE(workspace.commit());
    EXPECT_FALSE(fs::exists(stick("MGM2-0012-00000.mp3")));
    EXPECT_FALSE(fs::exists(stick("SET_-0001-00021.mp3")));
    EXPECT_EQ(readBytes(stick("MGM2-0013-00000.mp3")), "b");
    EXPECT_NE(readBytes(stick("tonkat.tkx")).find("\nSET_-0001-00025.mp3\r\n"), std::string::npos);
}

TEST_F(FatStickTest, AFullStickKeepsItsIndexByteForByte) {
    openStick();
    const std::string before = readBytes(stick("tonkat.tkx"));
    EXPECT_EQ(bindSound("big.mp3", std::string(48 << 20, 'x'), "12"), "MGM2-0012-00000.mp3");
    EXPECT_TRUE(session.SaveNeeded());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.starts_with(std::string(CommitFailedMessage) + "\r\n\r\n" +
                                                NotEnoughSpaceMessage + "\r\n\r\n" +
                                                "MGM2-0012-00000.mp3: "))
        << ui.messages[0].text;
    EXPECT_EQ(readBytes(stick("tonkat.tkx")), before);
    EXPECT_FALSE(fs::exists(stick("MGM2-0012-00000.mp3")));
    EXPECT_FALSE(fs::exists(stick(IndexTempName)));
}

} // namespace
} // namespace tonarion
