#include "workspace/RowDeletion.h"

#include "support/Selections.h"
#include "support/StickFixture.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

using namespace testing;

using RowDeletionTest = StickFixture;

TEST_F(RowDeletionTest, AFileGoesWithTheLastRowThatCarriesItsName) {
    files.addFile(Root + "MGM2-0012-00000.mp3");
    files.addFile(Root + "KSM4-0001-00010.mp3");
    loadStick(
        {"MGM2-0012-00000.mp3;/a.mp3", "MGM2-0012-00000.mp3;/b.mp3", "KSM4-0001-00010.mp3;/c.mp3"});
    workspace.deleteRow(1);
    EXPECT_TRUE(files.has(Root + "MGM2-0012-00000.mp3"));
    EXPECT_EQ(parseIndexFile(index()).entries.size(), 2u) << "the stick follows at once";
    workspace.deleteRow(2);
    EXPECT_FALSE(files.has(Root + "KSM4-0001-00010.mp3"));
    EXPECT_EQ(session.counters().cntKontakt(), 0);

    // Neither the trailing empty row nor a row beyond it can be deleted.
    workspace.deleteRow(2);
    workspace.deleteRow(7);
    EXPECT_EQ(session.table().nextRow(), 2);

    // An unbound row goes without a change to the stick.
    workspace.commit();
    workspace.dropFiles(std::vector<std::string>{"/d.mp3"});
    workspace.deleteRow(2);
    EXPECT_EQ(session.table().nextRow(), 2);
    EXPECT_FALSE(session.SaveNeeded());
}

// Binding anew as deleting: the old file goes once no row carries its name, and only after the
// new one arrived.
TEST_F(RowDeletionTest, ReBindingDeletesTheOldFileOnceNoRowCarriesItsName) {
    files.addFile(Music + "pfiff.mp3", "tuut");
    files.addFile(Root + "MGM2-0012-00000.mp3", "tuut");
    files.addFile(Root + "MRM2-0013-00000.mp3", "other");
    loadStick({"MGM2-0012-00000.mp3;" + Music + "pfiff.mp3",
               "MRM2-0013-00000.mp3;" + Music + "other.mp3",
               "MGM2-0012-00000.mp3;" + Music + "pfiff.mp3"});
    EXPECT_EQ(workspace.bind(1, turnoutSelection(2, "12")).value().entryName,
              "MXM2-0012-00000.mp3");
    EXPECT_EQ(files.content(Root + "MXM2-0012-00000.mp3"), "tuut");
    EXPECT_TRUE(files.has(Root + "MGM2-0012-00000.mp3")) << "row 3 still carries it";
    EXPECT_EQ(workspace.bind(3, turnoutSelection(0, "12")).value().entryName,
              "MRM2-0012-00000.mp3");
    EXPECT_FALSE(files.has(Root + "MGM2-0012-00000.mp3"));
    EXPECT_EQ(files.content(Root + "MRM2-0013-00000.mp3"), "other");

    files.addFile(Music + "pfiff.mp3", std::string(5000, 'n'), 5000);
    files.setFreeSpace(100);
    EXPECT_EQ(workspace.bind(3, turnoutSelection(1, "12")).value().entryName,
              "MGM2-0012-00000.mp3");
    EXPECT_EQ(files.content(Root + "MRM2-0012-00000.mp3"), "tuut");
    EXPECT_TRUE(session.SaveNeeded());
}

TEST_F(RowDeletionTest, RenumberingGoesInNumberOrderAndCopiesOnlyWhatTheStickLacks) {
    files.addFile(Root + "ZUM_-0002-00000.mp3", "stick 2");
    files.addFile(Music + "2.mp3", "stick 2");
    files.addFile(Root + "ZUM_-0003-00000.mp3", "stick 3");
    files.addFile(Music + "4.mp3", "computer 4");
    loadStick({"ZUM_-0003-00000.mp3;/gone/3.mp3", "ZUM_-0001-00000.mp3;/gone/1.mp3",
               "ZUM_-0004-00000.mp3;" + Music + "4.mp3", "ZUM_-0002-00000.mp3;" + Music + "2.mp3"});
    files.writes.clear();
    workspace.deleteRow(2);
    // The stick files are renamed, even where the computer still has the sound.
    EXPECT_EQ(files.writes["copy"], 1) << "only the sound the stick lacked";
    EXPECT_EQ(files.content(Root + "ZUM_-0001-00000.mp3"), "stick 2");
    EXPECT_EQ(files.content(Root + "ZUM_-0002-00000.mp3"), "stick 3");
    EXPECT_EQ(files.content(Root + "ZUM_-0003-00000.mp3"), "computer 4");
    EXPECT_FALSE(files.has(Root + "ZUM_-0004-00000.mp3"));
    EXPECT_EQ(row(1).entryName, "ZUM_-0002-00000.mp3");
    EXPECT_EQ(row(1).address1, "0002");
    EXPECT_EQ(row(1).sourcePath, "/gone/3.mp3");
    EXPECT_EQ(row(3).sourcePath, Music + "2.mp3");
    EXPECT_EQ(session.counters().cntZufall(), 3);
}

// On a stick full to its last byte, deleting makes room: the files that go are deleted before
// the new index file is written, also when the random sounds above move down.
TEST_F(RowDeletionTest, AFullStickCanAlwaysBeMadeEmptier) {
    std::vector<std::string> lines;
    for (const char* name : {"MGM2-0012-00000.mp3", "ZUM_-0001-00000.mp3", "ZUM_-0002-00000.mp3",
                             "ZUM_-0003-00000.mp3"}) {
        files.addFile(Root + name, std::string(name) + std::string(4000, '.'));
        lines.push_back(std::string(name) + ";/gone/" + name);
    }
    // One sound the computer still has as the stick has it: it moves down by a rename too.
    const std::string third = files.content(Root + "ZUM_-0003-00000.mp3");
    files.addFile(Root + "ZUM_-0003-00000.mp3", third, 5000);
    files.addFile(Music + "3.mp3", third, 5000);
    lines.back() = "ZUM_-0003-00000.mp3;" + Music + "3.mp3";
    loadStick(lines);
    const auto deleteOnFullStick = [this](int row) {
        files.setFreeSpace(0);
        const Outcome deleted = workspace.deleteRow(row);
        EXPECT_TRUE(deleted) << deleted.text();
    };
    deleteOnFullStick(1);
    EXPECT_FALSE(files.has(Root + "MGM2-0012-00000.mp3"));
    deleteOnFullStick(1);
    EXPECT_EQ(files.content(Root + "ZUM_-0001-00000.mp3").substr(0, 19), "ZUM_-0002-00000.mp3");
    EXPECT_EQ(files.content(Root + "ZUM_-0002-00000.mp3").substr(0, 19), "ZUM_-0003-00000.mp3");
    EXPECT_FALSE(files.has(Root + "ZUM_-0003-00000.mp3"));
    EXPECT_EQ(parseIndexFile(index()).entries.size(), 2u);
    EXPECT_EQ(files.filesIn(Root).size(), 2u + 6u + 1u);
}

// Random sounds copied by hand keep their numbers; loading numbers them 1 to N again, rows
// under one name (one stick file) alike.
TEST_F(RowDeletionTest, LoadingClosesGapsInTheRandomNumbers) {
    files.addFile(Root + "ZUM_-0002-00000.mp3", "two");
    files.addFile(Root + "ZUO_-0005-00000.mp3", "five");
    loadStick({"ZUO_-0005-00000.mp3;/gone/5.mp3", "ZUM_-0002-00000.mp3;/gone/2.mp3",
               "ZUM_-0002-00000.mp3;/gone/2.mp3"});
    EXPECT_EQ(row(1).entryName, "ZUO_-0002-00000.mp3");
    EXPECT_EQ(row(2).entryName, "ZUM_-0001-00000.mp3");
    EXPECT_EQ(row(3).entryName, "ZUM_-0001-00000.mp3");
    const Outcome committed = workspace.commit();
    EXPECT_TRUE(committed) << committed.text();
    EXPECT_EQ(files.content(Root + "ZUM_-0001-00000.mp3"), "two");
    EXPECT_EQ(files.content(Root + "ZUO_-0002-00000.mp3"), "five");
    EXPECT_FALSE(files.has(Root + "ZUM_-0002-00000.mp3"));
    EXPECT_FALSE(files.has(Root + "ZUO_-0005-00000.mp3"));
}

} // namespace
} // namespace tonarion
