#include "storage/RowDeletion.h"

#include "model/EntryName.h"
#include "support/StickFixture.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

using namespace testing;

class RowDeletionTest : public StickFixture {
protected:
    // Loads random entries with the given running numbers, in this row order; each has its
    // file on the stick, holding its number, and a source on the computer.
    void loadRandomEntries(std::initializer_list<int> numbers) {
        for (const int number : numbers) {
            const std::string name = "ZUM_-" + pad4(std::to_string(number)) + "-00000.mp3";
            files.addFile(Root + name, "sound " + std::to_string(number));
            files.addFile(Music + std::to_string(number) + ".mp3",
                          "sound " + std::to_string(number));
            m_lines.push_back(name + ";" + Music + std::to_string(number) + ".mp3");
        }
        std::string bytes = std::string(IndexHeader) + "\r\n";
        for (const auto& line : m_lines) {
            bytes += line + "\r\n";
        }
        files.addFile(Root + IndexFileName, bytes);
        ASSERT_EQ(workspace.load("/opt"), IndexReadResult::Read);
    }
    std::vector<std::string> names() const {
        std::vector<std::string> result;
        for (const auto& entry : session.table.entries()) {
            result.push_back(entry.entryName.substr(0, 9) + "|" + entry.address1);
        }
        return result;
    }
    std::string stickFile(int number) const {
        return files.content(Root + "ZUM_-" + pad4(std::to_string(number)) + "-00000.mp3");
    }

    std::vector<std::string> m_lines;
};

using Names = std::vector<std::string>;

TEST_F(RowDeletionTest, DeletingAnEntryRemovesItsFileAndCount) {
    files.addFile(Root + "MGM2-0012-00000.mp3");
    files.addFile(Root + "KSM4-0001-00010.mp3");
    loadStick({"MGM2-0012-00000.mp3;/a.mp3", "KSM4-0001-00010.mp3;/b.mp3"});
    workspace.deleteRow(1);
    EXPECT_FALSE(files.has(Root + "MGM2-0012-00000.mp3"));
    EXPECT_TRUE(files.has(Root + "KSM4-0001-00010.mp3"));
    EXPECT_EQ(session.counters.cntMRL(), 0);
    EXPECT_EQ(session.counters.cntKontakt(), 1);
    EXPECT_EQ(session.table.cellText(1, Column::Nr), "1");
    EXPECT_EQ(session.table.nextRow(), 2);
    EXPECT_TRUE(session.SaveNeeded);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(RowDeletionTest, AFileTheStickRefusedToDeleteGoesWithTheNextCommit) {
    files.addFile(Root + "MGM2-0012-00000.mp3");
    files.addFile(Root + "KSM4-0001-00010.mp3");
    loadStick({"MGM2-0012-00000.mp3;/a.mp3", "KSM4-0001-00010.mp3;/b.mp3"});
    files.setReadOnly(true);
    workspace.deleteRow(1);
    EXPECT_TRUE(files.has(Root + "MGM2-0012-00000.mp3"));
    EXPECT_EQ(workspace.commit(), CommitResult::Failed);

    files.setReadOnly(false);
    EXPECT_EQ(workspace.commit(), CommitResult::Written);
    EXPECT_FALSE(files.has(Root + "MGM2-0012-00000.mp3"));
    EXPECT_TRUE(files.has(Root + "KSM4-0001-00010.mp3"));
}

TEST_F(RowDeletionTest, AnUnboundRowGoesWithoutTouchingTheStick) {
    loadStick({});
    workspace.dropFiles(std::vector<std::string>{"/a.mp3", "/b.mp3"});
    files.writes.clear();
    workspace.deleteRow(1);
    EXPECT_EQ(session.table.row(1).sourcePath, "/b.mp3");
    EXPECT_TRUE(files.writes.empty());
    EXPECT_FALSE(session.SaveNeeded);
}

TEST_F(RowDeletionTest, TheEmptyLastRowCannotBeDeleted) {
    files.addFile(Root + "MGM2-0012-00000.mp3");
    loadStick({"MGM2-0012-00000.mp3;/a.mp3"});
    workspace.deleteRow(2);
    workspace.deleteRow(7);
    EXPECT_EQ(session.table.nextRow(), 2);
    EXPECT_TRUE(files.has(Root + "MGM2-0012-00000.mp3"));
    EXPECT_EQ(session.counters.cntMRL(), 1);
}

TEST_F(RowDeletionTest, AFileAnotherRowStillCarriesStays) {
    files.addFile(Root + "MGM2-0012-00000.mp3");
    loadStick({"MGM2-0012-00000.mp3;/a.mp3", "MGM2-0012-00000.mp3;/b.mp3"});
    workspace.deleteRow(1);
    EXPECT_TRUE(files.has(Root + "MGM2-0012-00000.mp3"));
    workspace.deleteRow(1);
    EXPECT_FALSE(files.has(Root + "MGM2-0012-00000.mp3"));
}

TEST_F(RowDeletionTest, RandomNumbersCloseUpInNumberOrder) {
    struct Case {
        std::initializer_list<int> rows;
        int deletedRow;
        Names after;
    };
    const Case cases[] = {
        {{1, 2, 3, 4}, 2, {"ZUM_-0001|0001", "ZUM_-0002|0002", "ZUM_-0003|0003"}},
        {{4, 3, 2, 1}, 3, {"ZUM_-0003|0003", "ZUM_-0002|0002", "ZUM_-0001|0001"}},
        {{1, 5, 9}, 1, {"ZUM_-0001|0001", "ZUM_-0002|0002"}},
    };
    for (const auto& c : cases) {
        FakeFileOperations fresh;
        files = fresh;
        files.addFolder(Root);
        m_lines.clear();
        loadRandomEntries(c.rows);
        workspace.deleteRow(c.deletedRow);
        EXPECT_EQ(names(), c.after);
        EXPECT_EQ(session.counters.cntZufall(), static_cast<int>(c.after.size()));
    }
    // After 1, 5, 9 lose the 1: the 5 and the 9 took their sounds to their new numbers.
    EXPECT_EQ(stickFile(1), "sound 5");
    EXPECT_EQ(stickFile(2), "sound 9");
    EXPECT_FALSE(files.has(Root + "ZUM_-0005-00000.mp3"));
    EXPECT_FALSE(files.has(Root + "ZUM_-0009-00000.mp3"));
}

TEST_F(RowDeletionTest, RenumberingRenamesTheStickFileEvenWhenTheSourceIsGone) {
    files.addFile(Root + "ZUM_-0001-00000.mp3", "one");
    files.addFile(Root + "ZUM_-0002-00000.mp3", "two");
    loadStick(
        {"ZUM_-0001-00000.mp3;/gone/1.mp3", "ZUM_-0002-00000.mp3;/stick/ZUM_-0002-00000.mp3"});
    workspace.deleteRow(1);
    EXPECT_EQ(files.content(Root + "ZUM_-0001-00000.mp3"), "two");
    EXPECT_EQ(row(1).sourcePath, Root + "ZUM_-0001-00000.mp3");
    EXPECT_EQ(std::count_if(files.writes.begin(), files.writes.end(),
                            [](const auto& w) { return w.starts_with("copy"); }),
              0);
}

TEST_F(RowDeletionTest, AMissingStickFileIsCopiedFromItsSource) {
    files.addFile(Music + "two.mp3", "two");
    loadStick({"ZUM_-0001-00000.mp3;/gone.mp3", "ZUM_-0002-00000.mp3;" + Music + "two.mp3"});
    workspace.deleteRow(1);
    EXPECT_EQ(files.content(Root + "ZUM_-0001-00000.mp3"), "two");
    EXPECT_EQ(row(1).sourcePath, Music + "two.mp3");
}

} // namespace
} // namespace tonarion
