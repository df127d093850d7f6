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
        std::string tempName;
        std::string temp;
        std::string indexAfter; // "<missing>" when there is none
    };
    const std::string header = IndexHeader;
    const Case cases[] = {
        {"complete", IndexTempName, Complete, Complete},
        {"only LF line ends", IndexTempName, header + "\nA\n", header + "\nA\n"},
        {"letter case of FAT", "TONKAT.TKX.TMP", Complete, Complete},
        {"cut off mid-line", IndexTempName, Complete.substr(0, 60), "<missing>"},
        {"header not first", IndexTempName, "x\r\n" + Complete, "<missing>"},
        {"header not a line of its own", IndexTempName, header + "x\r\n", "<missing>"},
        {"header without line end", IndexTempName, header, "<missing>"},
        {"empty", IndexTempName, "", "<missing>"},
    };
    for (const auto& c : cases) {
        FakeFileOperations files;
        files.addFile(Root + c.tempName, c.temp);
        EXPECT_EQ(findIndexFile(files, Root).has_value(), c.indexAfter != "<missing>") << c.what;
        EXPECT_EQ(files.content(Root + IndexFileName), c.indexAfter) << c.what;
        EXPECT_FALSE(files.has(Root + c.tempName)) << c.what;
    }
    // An index file beside it stays; the temporary file goes.
    FakeFileOperations files;
    files.addFile(Root + IndexFileName, "old");
    files.addFile(Root + IndexTempName, Complete);
    EXPECT_TRUE(findIndexFile(files, Root));
    EXPECT_EQ(files.filesIn(Root), std::vector<std::string>{IndexFileName});
    // On a stick that takes no change, the temporary file stays for the next start.
    files.ShellDelete(Root + IndexFileName);
    files.addFile(Root + IndexTempName, Complete);
    files.setReadOnly(true);
    EXPECT_FALSE(findIndexFile(files, Root));
    EXPECT_TRUE(files.has(Root + IndexTempName));
    // Start-up looks for it on every drive, but repairs only the stick it takes: on another
    // one, another program may be in the middle of a commit.
    files.setReadOnly(false);
    EXPECT_EQ(firstStickWithIndex({driveEntry("/e/"), driveEntry(Root)}, files), Root);
    EXPECT_EQ(files.filesIn(Root), std::vector<std::string>{IndexTempName});
    EXPECT_TRUE(findIndexFile(files, Root));
    EXPECT_EQ(files.content(Root + IndexFileName), Complete);
}

class LostIndexTest : public StickFixture {
protected:
    bool accept() { return gueltigeAuswahl(session, files, ui); }
};

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
    EXPECT_EQ(takenOverMessage(1), "Auf dem USB-Stick wurde 1 Sounddatei gefunden und übernommen.");
}

TEST_F(LostIndexTest, SettingFilesAloneAreTakenOverSilentlyAndAStickThatTakesNoFileIsRefused) {
    files.addFile(Root + "SET_-0005-00001.mp3");
    ASSERT_TRUE(accept());
    EXPECT_NE(index().find("\r\nSET_-0005-00001.mp3\r\n"), std::string::npos);
    EXPECT_TRUE(ui.messages.empty());

    files.ShellDelete(Root + IndexFileName);
    files.addFile(Root + "MGM2-0012-00000.mp3");
    files.setReadOnly(true);
    EXPECT_FALSE(accept());
    EXPECT_EQ(ui.texts(), std::vector<std::string>{IndexNotCreatedMessage});
}

} // namespace
} // namespace tonarion
