#include "workspace/EventResult.h"

#include "support/Selections.h"
#include "support/StickFixture.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

using namespace testing;

using EventResultTest = StickFixture;

TEST_F(EventResultTest, ReBindingDeletesTheOldFileOnceNoRowCarriesItsName) {
    files.addFile(Music + "pfiff.mp3", "tuut");
    files.addFile(Root + "MGM2-0012-00000.mp3", "tuut");
    files.addFile(Root + "MRM2-0013-00000.mp3", "other");
    loadStick({"MGM2-0012-00000.mp3;" + Music + "pfiff.mp3",
               "MRM2-0013-00000.mp3;" + Music + "other.mp3",
               "MGM2-0012-00000.mp3;" + Music + "pfiff.mp3"});
    EXPECT_EQ(workspace.bind(1, turnoutSelection(2, "12")), "MXM2-0012-00000.mp3");
    EXPECT_EQ(files.content(Root + "MXM2-0012-00000.mp3"), "tuut");
    EXPECT_TRUE(files.has(Root + "MGM2-0012-00000.mp3")) << "row 3 still carries it";

    EXPECT_EQ(workspace.bind(3, turnoutSelection(0, "12")), "MRM2-0012-00000.mp3");
    EXPECT_FALSE(files.has(Root + "MGM2-0012-00000.mp3"));
    EXPECT_EQ(files.content(Root + "MRM2-0013-00000.mp3"), "other");

    // The same event again commits but deletes nothing.
    files.writes.clear();
    EXPECT_EQ(workspace.bind(3, turnoutSelection(0, "12")), "MRM2-0012-00000.mp3");
    EXPECT_EQ(files.writes["delete"], 0);
    EXPECT_TRUE(files.has(Root + "MRM2-0012-00000.mp3"));
}

TEST_F(EventResultTest, TheOldFileStaysWhenTheNewOneDidNotArrive) {
    files.addFile(Root + "MGM2-0012-00000.mp3", "old copy");
    files.addFile(Music + "new.mp3", std::string(5000, 'n'));
    loadStick({"MGM2-0012-00000.mp3;" + Music + "new.mp3"});
    files.setFreeSpace(100);
    EXPECT_EQ(workspace.bind(1, turnoutSelection(0, "12")), "MRM2-0012-00000.mp3");
    EXPECT_EQ(files.content(Root + "MGM2-0012-00000.mp3"), "old copy");
    EXPECT_TRUE(session.SaveNeeded());
}

} // namespace
} // namespace tonarion
