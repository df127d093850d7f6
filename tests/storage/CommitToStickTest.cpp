#include "storage/CommitToStick.h"

#include "support/StickFixture.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

using namespace testing;

class CommitTest : public StickFixture {
protected:
    // A bound row as the event dialog leaves it.
    void bindRow(const std::string& name, const std::string& source) {
        session.table.appendEntry(SoundEntry{.entryName = name, .sourcePath = source});
        session.SaveNeeded = true;
    }
    CommitResult commit() { return CommitToStick(session, files, ui); }
};

TEST_F(CommitTest, WithoutChangesNothingIsTouched) {
    loadStick({"MGM2-0012-00000.mp3;/elsewhere/gone.mp3"});
    EXPECT_EQ(commit(), CommitResult::NothingToDo);
    EXPECT_TRUE(files.writes.empty());
    EXPECT_EQ(ui.waitWindowShown, 0);
}

TEST_F(CommitTest, WritesSoundsSettingsAndTheIndexInTableOrder) {
    loadStick({});
    files.addFile(Music + "pfiff.mp3", "tuut");
    bindRow("MGM2-0012-00000.mp3", Music + "pfiff.mp3");
    session.table.appendEntry(SoundEntry{.sourcePath = Music + "unbound.mp3"});
    bindRow("KSM4-0001-00010.mp3", ""); // no source: no line, no file
    files.ShellDelete(Root + "SET_-0004-00002.mp3");
    files.writes.clear();

    EXPECT_EQ(commit(), CommitResult::Written);
    EXPECT_EQ(files.content(Root + "MGM2-0012-00000.mp3"), "tuut");
    EXPECT_EQ(index(),
              indexWith({"MGM2-0012-00000.mp3;" + Music + "pfiff.mp3", "SET_-0001-00021.mp3",
                         "SET_-0002-00180.mp3", "SET_-0003-00028.mp3", "SET_-0004-00002.mp3",
                         "SET_-0005-00000.mp3", "SET_-0006-00000.mp3"}));
    EXPECT_TRUE(files.has(Root + "SET_-0004-00002.mp3"));
    EXPECT_FALSE(session.SaveNeeded);
    EXPECT_EQ(ui.waitWindowShown, 1);
    EXPECT_FALSE(ui.waitWindowVisible);
    EXPECT_FALSE(ui.busyPointer);
    EXPECT_TRUE(ui.messages.empty());
    // The index file is replaced in one step, never deleted first.
    EXPECT_EQ(files.writes.back(), "replace " + Root + IndexTempName + " " + Root + IndexFileName);
}

TEST_F(CommitTest, AStickFileUnderAnOlderNameIsRenamedOnlyWhenItLiesInTheRoot) {
    files.addFile(Root + "MGM2-0012-00000.mp3", "old sound");
    files.addFolder("/stick/sub/");
    files.addFile("/stick/sub/MRM1-0001-00000.mp3", "in a folder");
    loadStick({"MGM2-0012-00000.mp3;/stick/MGM2-0012-00000.mp3",
               "MRM1-0001-00000.mp3;/stick/sub/MRM1-0001-00000.mp3"});
    session.table.replaceRow(1, SoundEntry{.entryName = "MRM2-0012-00000.mp3",
                                           .sourcePath = Root + "MGM2-0012-00000.mp3"});
    session.table.replaceRow(2, SoundEntry{.entryName = "MXM1-0001-00000.mp3",
                                           .sourcePath = "/stick/sub/MRM1-0001-00000.mp3"});
    session.SaveNeeded = true;
    EXPECT_EQ(commit(), CommitResult::Written);
    EXPECT_EQ(files.content(Root + "MRM2-0012-00000.mp3"), "old sound");
    EXPECT_FALSE(files.has(Root + "MGM2-0012-00000.mp3"));
    EXPECT_EQ(row(1).sourcePath, Root + "MRM2-0012-00000.mp3");
    EXPECT_EQ(files.content(Root + "MXM1-0001-00000.mp3"), "in a folder");
    EXPECT_TRUE(files.has("/stick/sub/MRM1-0001-00000.mp3"));
    EXPECT_EQ(row(2).sourcePath, "/stick/sub/MRM1-0001-00000.mp3");
}

TEST_F(CommitTest, CopiesOnlyWhatChanged) {
    struct Case {
        double stickTime;
        std::string stickContent;
        bool copied;
    };
    const double source = 5'000'000;
    const Case cases[] = {
        {source, "abcd", false},        {source + 2, "abcd", false},
        {source - 2, "abcd", false},    {source + 3600 + 2, "abcd", false}, // daylight saving
        {source - 3600, "abcd", false}, {source + 3, "abcd", true},
        {source + 1800, "abcd", true},  {source, "abc", true}, // size differs
    };
    for (const auto& c : cases) {
        files.writes.clear();
        files.addFile(Music + "a.mp3", "abcd", source);
        files.addFile(Root + "MGM2-0012-00000.mp3", c.stickContent, c.stickTime);
        bindRow("MGM2-0012-00000.mp3", Music + "a.mp3");
        commit();
        const bool copied = std::find(files.writes.begin(), files.writes.end(),
                                      "copy " + Music + "a.mp3 " + Root + "MGM2-0012-00000.mp3") !=
                            files.writes.end();
        EXPECT_EQ(copied, c.copied) << c.stickTime - source;
        EXPECT_EQ(files.modifiedOf(Root + "MGM2-0012-00000.mp3"), copied ? source : c.stickTime);
        session.table.clear();
    }
}

TEST_F(CommitTest, AFailureIsReportedAndTheChangesStayPending) {
    loadStick({});
    files.addFile(Music + "a.mp3", std::string(10000, 'a'));
    bindRow("MGM2-0012-00000.mp3", Music + "a.mp3");
    bindRow("MRM2-0012-00000.mp3", Music + "missing.mp3");
    files.setFreeSpace(1000);

    EXPECT_EQ(commit(), CommitResult::Failed);
    EXPECT_TRUE(session.SaveNeeded);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(
        ui.messages[0].text,
        "Die Änderungen konnten nicht vollständig auf den USB-Stick geschrieben werden."
        "\r\n\r\nMGM2-0012-00000.mp3: " +
            std::make_error_code(std::errc::no_space_on_device).message() +
            "\r\nMRM2-0012-00000.mp3: " +
            std::make_error_code(std::errc::no_such_file_or_directory).message() +
            "\r\n\r\nPrüfen Sie, ob der USB-Stick eingesteckt und nicht schreibgeschützt ist.");
    EXPECT_FALSE(ui.waitWindowVisible);

    files.setFreeSpace(100000);
    files.addFile(Music + "missing.mp3", "m");
    ui.messages.clear();
    EXPECT_EQ(commit(), CommitResult::Written);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(CommitTest, AtMostTenFailedFilesAreListed) {
    loadStick({});
    for (int i = 0; i < 12; ++i) {
        bindRow("MGM2-00" + std::to_string(10 + i) + "-00000.mp3", Music + "gone.mp3");
    }
    commit();
    const std::string& text = ui.lastText();
    EXPECT_NE(text.find("MGM2-0019-00000.mp3"), std::string::npos);
    EXPECT_EQ(text.find("MGM2-0020-00000.mp3"), std::string::npos);
    EXPECT_NE(text.find("\r\n...\r\n\r\nPrüfen"), std::string::npos);
}

TEST_F(CommitTest, ASourceThatIsGoneIsNoFailureWhileTheStickHoldsTheSound) {
    files.addFile(Root + "MGM2-0012-00000.mp3", "kept");
    loadStick({"MGM2-0012-00000.mp3;/home/anna/Musik/deleted.mp3"});
    session.SaveNeeded = true;
    EXPECT_EQ(commit(), CommitResult::Written);
    EXPECT_EQ(files.content(Root + "MGM2-0012-00000.mp3"), "kept");
    EXPECT_NE(index().find("MGM2-0012-00000.mp3;/home/anna/Musik/deleted.mp3"), std::string::npos);
}

TEST_F(CommitTest, SettingFilesFollowTheCurrentNames) {
    loadStick({});
    session.settings.CurrentSettings[Setting::Volume] = "SET_-0001-00025.mp3";
    session.SaveNeeded = true;
    files.writes.clear();
    commit();
    EXPECT_TRUE(files.has(Root + "SET_-0001-00025.mp3"));
    EXPECT_FALSE(files.has(Root + "SET_-0001-00021.mp3"));
    EXPECT_EQ(session.settings.StoredSettings[Setting::Volume], "SET_-0001-00025.mp3");
    // Unchanged setting files stay as they are.
    EXPECT_EQ(std::count_if(files.writes.begin(), files.writes.end(),
                            [](const auto& w) { return w.find("SET_-0002") != std::string::npos; }),
              0);
}

TEST_F(CommitTest, StickFilesThatSwapNamesKeepBothSounds) {
    files.addFile(Root + "MGM2-0012-00000.mp3", "a");
    files.addFile(Root + "MRM2-0013-00000.mp3", "b");
    loadStick({"MGM2-0012-00000.mp3;/gone/a.mp3", "MRM2-0013-00000.mp3;/gone/b.mp3"});
    session.table.replaceRow(1, SoundEntry{.entryName = "MRM2-0013-00000.mp3",
                                           .sourcePath = Root + "MGM2-0012-00000.mp3"});
    session.table.replaceRow(2, SoundEntry{.entryName = "MGM2-0012-00000.mp3",
                                           .sourcePath = Root + "MRM2-0013-00000.mp3"});
    session.SaveNeeded = true;
    EXPECT_EQ(commit(), CommitResult::Written);
    EXPECT_EQ(files.content(Root + "MRM2-0013-00000.mp3"), "a");
    EXPECT_EQ(files.content(Root + "MGM2-0012-00000.mp3"), "b");
    EXPECT_EQ(files.filesIn(Root).size(), 9u) << "two sounds, six settings, the index";
}

TEST_F(CommitTest, ACommitAskedForDuringACommitDoesNothing) {
    loadStick({});
    session.SaveNeeded = true;
    session.commitRunning = true;
    EXPECT_EQ(commit(), CommitResult::AlreadyRunning);
    EXPECT_TRUE(files.writes.empty());
    session.commitRunning = false;
    EXPECT_EQ(commit(), CommitResult::Written);
    EXPECT_FALSE(session.commitRunning);
}

} // namespace
} // namespace tonarion
