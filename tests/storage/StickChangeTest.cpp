#include "storage/StickChange.h"

#include "support/TestStick.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

using namespace testing;

const StickChange Change{
    .newFiles = {{"MXM2-0014-00000.mp3", 123456}},
    .moves = {{"ZUM_-0003-00000.mp3", "ZUM_-0002-00000.mp3"},
              {"MGM2-0001-00000.mp3", "MRM2-0001-00000.mp3", true}},
    .deletions = {"SET_-0001-00021.mp3"},
    .startIndex = {52, 0xCBF43926},
    .plannedIndex = {0, 0},
    .movesParked = true,
    .movedBefore = {{"ZUO_-0002-00000.mp3", "ZUO_-0001-00000.mp3"}},
};

TEST(StickChangeTest, OnlyAJournalWrittenToItsEndIsFinished) {
    const std::string bytes = composeJournal(Change);
    EXPECT_EQ(parseJournal(bytes), Change);
    // The stamp's checksum is CRC-32, so that journals stay readable across versions.
    EXPECT_EQ(stampOf("123456789"), (IndexStamp{9, 0xCBF43926}));
    // Cut short anywhere, as by a pulled stick or a killed program: nothing had begun yet.
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        EXPECT_FALSE(parseJournal(bytes.substr(0, length))) << length;
    }
    // A journal naming files outside the root is ignored.
    for (const std::string name : {"../tonkat.tkx", "/etc/passwd", "C:\\x.mp3", ""}) {
        StickChange hostile = Change;
        hostile.deletions = {name};
        EXPECT_FALSE(parseJournal(composeJournal(hostile))) << name;
    }
}

TEST(StickChangeTest, AJournalIsCarriedOutOnlyOnTheIndexFileItWasPlannedFrom) {
    const std::string own = indexWith({"ZUM_-0001-00000.mp3;/stick/ZUM_-0001-00000.mp3",
                                       "ZUM_-0002-00000.mp3;/stick/ZUM_-0002-00000.mp3"});
    const std::string start = indexWith({"ZUM_-0002-00000.mp3;/stick/ZUM_-0002-00000.mp3"});
    const std::string planned = indexWith({"ZUM_-0001-00000.mp3;/stick/ZUM_-0001-00000.mp3"});
    StickChange renumbering;
    renumbering.moves = {{"ZUM_-0002-00000.mp3", "ZUM_-0001-00000.mp3"}};
    renumbering.deletions = {"SET_-0001-00021.mp3"};
    renumbering.startIndex = stampOf(start);
    renumbering.plannedIndex = stampOf(planned);
    const std::string journal = composeJournal(renumbering);
    // Copied, with the planned index file, onto a stick of two random sounds of its own.
    FakeFileOperations files;
    files.addFolder(Root);
    files.addFile(Root + IndexFileName, own);
    files.addFile(Root + IndexTempName, planned);
    files.addFile(Root + JournalName, journal);
    files.addFile(Root + "ZUM_-0001-00000.mp3", "first");
    files.addFile(Root + "ZUM_-0002-00000.mp3", "second");
    files.addFile(Root + "SET_-0001-00021.mp3");
    const std::vector<std::string> before = files.filesIn(Root);
    StickFiles stick(files, Root);
    EXPECT_EQ(journalStateOf(stick, IndexFileName), JournalState::Foreign);
    EXPECT_FALSE(finishInterruptedChange(stick, IndexFileName));
    EXPECT_EQ(files.filesIn(Root), before);
    EXPECT_EQ(files.content(Root + "ZUM_-0001-00000.mp3"), "first");
    EXPECT_EQ(files.content(Root + "ZUM_-0002-00000.mp3"), "second");
    EXPECT_EQ(files.content(Root + IndexFileName), own);

    // On the stick it was written for, it is finished.
    files.addFile(Root + IndexFileName, start);
    files.ShellDelete(Root + "ZUM_-0001-00000.mp3");
    EXPECT_EQ(journalStateOf(stick, IndexFileName), JournalState::Waiting);
    EXPECT_TRUE(finishInterruptedChange(stick, IndexFileName));
    EXPECT_EQ(files.filesIn(Root),
              std::vector<std::string>({"ZUM_-0001-00000.mp3", IndexFileName}));
    EXPECT_EQ(files.content(Root + "ZUM_-0001-00000.mp3"), "second");
    EXPECT_EQ(files.content(Root + IndexFileName), planned);

    // The move made, then the planned index file taken away by a later commit: the start
    // writes the index file it started from with the moved sound under its new name.
    files.addFile(Root + IndexFileName, start);
    files.addFile(Root + JournalName, journal);
    EXPECT_EQ(journalStateOf(stick, IndexFileName), JournalState::NotBegun);
    EXPECT_TRUE(finishInterruptedChange(stick, IndexFileName));
    EXPECT_EQ(files.filesIn(Root),
              std::vector<std::string>({"ZUM_-0001-00000.mp3", IndexFileName}));
    const IndexContent index = parseIndexFile(files.content(Root + IndexFileName));
    ASSERT_EQ(index.entries.size(), 1u);
    EXPECT_EQ(index.entries[0].entryName, "ZUM_-0001-00000.mp3");
}

} // namespace
} // namespace tonarion
