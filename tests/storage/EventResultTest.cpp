#include "storage/EventResult.h"

#include "support/Selections.h"
#include "support/StickFixture.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

using namespace testing;

using EventResultTest = StickFixture;

TEST_F(EventResultTest, ADroppedFileIsBoundAndCopied) {
    loadStick({});
    files.addFile(Music + "pfiff.mp3", "tuut");
    workspace.dropFiles(std::vector<std::string>{Music + "pfiff.mp3"});
    EXPECT_EQ(workspace.bind(1, turnoutSelection(1, "12")), "MGM2-0012-00000.mp3");
    EXPECT_EQ(files.content(Root + "MGM2-0012-00000.mp3"), "tuut");
    EXPECT_EQ(row(1).eventText, "Magnetartikel");
    EXPECT_EQ(row(1).statusText, "GRÜN");
    EXPECT_EQ(row(1).modeText, "MIT ERLAUBNISS");
    EXPECT_EQ(row(1).address2, "00000");
    EXPECT_NE(index().find("MGM2-0012-00000.mp3;" + Music + "pfiff.mp3\r\n"), std::string::npos);
    EXPECT_FALSE(session.SaveNeeded);
}

TEST_F(EventResultTest, ReBindingReplacesExactlyTheOldFile) {
    files.addFile(Music + "pfiff.mp3", "tuut");
    files.addFile(Root + "MGM2-0012-00000.mp3", "tuut");
    files.addFile(Root + "MRM2-0013-00000.mp3", "other");
    loadStick({"MGM2-0012-00000.mp3;" + Music + "pfiff.mp3",
               "MRM2-0013-00000.mp3;" + Music + "other.mp3"});
    EXPECT_EQ(workspace.bind(1, turnoutSelection(2, "12")), "MXM2-0012-00000.mp3");
    EXPECT_FALSE(files.has(Root + "MGM2-0012-00000.mp3"));
    EXPECT_TRUE(files.has(Root + "MXM2-0012-00000.mp3"));
    EXPECT_TRUE(files.has(Root + "MRM2-0013-00000.mp3"));
    EXPECT_EQ(session.counters.cntMRL(), 2);

    // The same event again commits but deletes nothing.
    files.writes.clear();
    EXPECT_EQ(workspace.bind(1, turnoutSelection(2, "12")), "MXM2-0012-00000.mp3");
    EXPECT_TRUE(files.has(Root + "MXM2-0012-00000.mp3"));
    EXPECT_EQ(std::count_if(files.writes.begin(), files.writes.end(),
                            [](const auto& w) { return w.starts_with("delete"); }),
              0);
}

TEST_F(EventResultTest, ASoundWhoseSourceIsGoneTakesItsNewNameOnTheStick) {
    files.addFile(Root + "MGM2-0012-00000.mp3", "only copy");
    loadStick({"MGM2-0012-00000.mp3;" + Music + "deleted-meanwhile.mp3"});
    EXPECT_EQ(workspace.bind(1, turnoutSelection(0, "12")), "MRM2-0012-00000.mp3");
    EXPECT_EQ(files.content(Root + "MRM2-0012-00000.mp3"), "only copy");
    EXPECT_FALSE(files.has(Root + "MGM2-0012-00000.mp3"));
    EXPECT_NE(index().find("MRM2-0012-00000.mp3;" + Root + "MRM2-0012-00000.mp3\r\n"),
              std::string::npos);
    EXPECT_FALSE(session.SaveNeeded);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(EventResultTest, TheOldFileStaysWhenTheNewOneDidNotArrive) {
    files.addFile(Root + "MGM2-0012-00000.mp3", "old copy");
    files.addFile(Music + "new.mp3", std::string(5000, 'n'));
    loadStick({"MGM2-0012-00000.mp3;" + Music + "new.mp3"});
    files.setFreeSpace(100);
    EXPECT_EQ(workspace.bind(1, turnoutSelection(0, "12")), "MRM2-0012-00000.mp3");
    EXPECT_EQ(files.content(Root + "MGM2-0012-00000.mp3"), "old copy");
    EXPECT_TRUE(session.SaveNeeded);
    EXPECT_EQ(ui.messages.size(), 1u);

    files.setFreeSpace(100000);
    EXPECT_EQ(workspace.commit(), CommitResult::Written);
    EXPECT_FALSE(files.has(Root + "MGM2-0012-00000.mp3")) << "the next commit removes it";
    EXPECT_EQ(files.content(Root + "MRM2-0012-00000.mp3"), std::string(5000, 'n'));
}

} // namespace
} // namespace tonarion
