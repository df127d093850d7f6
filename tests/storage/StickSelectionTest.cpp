#include "storage/StickSelection.h"

#include "support/StickFixture.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

using namespace testing;

const std::string Complete = indexWith({"MGM2-0012-00000.mp3;/stick/MGM2-0012-00000.mp3"});

TEST(IndexRecoveryTest, ATemporaryIndexIsUsedOnlyWhenItIsCompleteAndTheIndexIsMissing) {
    struct Case {
        const char* what;
        std::optional<std::string> index;
        std::string tempName;
        std::string temp;
        bool readOnly;
        std::string indexAfter; // "<missing>" when there is none
        bool tempStays;
    };
    const std::string header = IndexHeader;
    const Case cases[] = {
        {"complete, no index", std::nullopt, IndexTempName, Complete, false, Complete, false},
        {"only LF line ends", std::nullopt, IndexTempName, header + "\nA\n", false,
         header + "\nA\n", false},
        {"letter case of FAT", std::nullopt, "TONKAT.TKX.TMP", Complete, false, Complete, false},
        {"cut off mid-line", std::nullopt, IndexTempName, Complete.substr(0, 60), false,
         "<missing>", false},
        {"cut off in the header", std::nullopt, IndexTempName, header.substr(0, 10), false,
         "<missing>", false},
        {"header not first", std::nullopt, IndexTempName, "x\r\n" + Complete, false, "<missing>",
         false},
        {"header without line end", std::nullopt, IndexTempName, header, false, "<missing>", false},
        {"empty", std::nullopt, IndexTempName, "", false, "<missing>", false},
        {"an index beside it", "old", IndexTempName, Complete, false, "old", false},
        {"read-only stick", std::nullopt, IndexTempName, Complete, true, "<missing>", true},
    };
    for (const auto& c : cases) {
        FakeFileOperations files;
        files.addFolder(Root);
        if (c.index) {
            files.addFile(Root + IndexFileName, *c.index);
        }
        files.addFile(Root + c.tempName, c.temp);
        files.setReadOnly(c.readOnly);
        const auto found = findIndexFile(files, Root);
        EXPECT_EQ(found.has_value(), c.indexAfter != "<missing>") << c.what;
        EXPECT_EQ(files.content(Root + IndexFileName), c.indexAfter) << c.what;
        EXPECT_EQ(files.has(Root + c.tempName), c.tempStays) << c.what;
    }
}

TEST(IndexRecoveryTest, StartUpFindsTheStickWhoseCommitWasInterrupted) {
    FakeFileOperations files;
    files.addFolder("/e/");
    files.addFile("/f/tonkat.tkx.tmp", Complete);
    EXPECT_EQ(firstStickWithIndex({driveEntry("/e/"), driveEntry("/f/")}, files), "/f/");
    EXPECT_EQ(files.content("/f/tonkat.tkx"), Complete);
}

class LostIndexTest : public StickFixture {
protected:
    bool accept() { return gueltigeAuswahl(session, files, ui); }
};

TEST_F(LostIndexTest, AnInterruptedCommitIsFinishedInsteadOfStartingAfresh) {
    files.addFile(Root + IndexTempName, Complete);
    EXPECT_TRUE(accept());
    EXPECT_EQ(index(), Complete);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LostIndexTest, TheFreshIndexListsTheSoundsAndSettingsOnTheStick) {
    for (const char* name : {"ZUM_-0002-00000.mp3", "MGM2-0012-00000.mp3", "mgm2-0013-00000.mp3",
                             "KSM4-0001-00010.MP3", "SET_-0003-00040.mp3", "SET_-0003-00010.mp3",
                             "SET_-0001-00025.mp3", "readme.txt", "MGM2-0012-00000.mp3.bak"}) {
        files.addFile(Root + name, name);
    }
    files.addFile(Root + "M\nM2-0012-00000.mp3");
    ASSERT_TRUE(accept());
    EXPECT_EQ(index(),
              indexWith({"KSM4-0001-00010.MP3;/stick/KSM4-0001-00010.MP3",
                         "MGM2-0012-00000.mp3;/stick/MGM2-0012-00000.mp3",
                         "ZUM_-0002-00000.mp3;/stick/ZUM_-0002-00000.mp3", "SET_-0001-00025.mp3",
                         "SET_-0002-00180.mp3", "SET_-0003-00010.mp3", "SET_-0004-00002.mp3",
                         "SET_-0005-00000.mp3", "SET_-0006-00000.mp3"}));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              "Auf dem USB-Stick wurden 3 Sounddateien gefunden und übernommen.");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Information);

    // The sounds stay where they are: a commit neither copies nor renames them.
    ASSERT_EQ(workspace.load("/opt"), IndexReadResult::Read);
    session.SaveNeeded = true;
    files.writes.clear();
    EXPECT_EQ(workspace.commit(), CommitResult::Written);
    for (const auto& write : files.writes) {
        EXPECT_FALSE(write.starts_with("copy") || write.starts_with("rename")) << write;
    }
    EXPECT_EQ(files.content(Root + "MGM2-0012-00000.mp3"), "MGM2-0012-00000.mp3");
}

TEST_F(LostIndexTest, SettingFilesAloneAreTakenOverSilently) {
    files.addFile(Root + "SET_-0005-00001.mp3");
    ASSERT_TRUE(accept());
    EXPECT_NE(index().find("\r\nSET_-0005-00001.mp3\r\n"), std::string::npos);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LostIndexTest, AStickThatTakesNoFileIsRefusedWithoutTheCount) {
    files.addFile(Root + "MGM2-0012-00000.mp3");
    files.setReadOnly(true);
    EXPECT_FALSE(accept());
    EXPECT_EQ(ui.texts(), std::vector<std::string>{IndexNotCreatedMessage});
}

} // namespace
} // namespace tonarion
