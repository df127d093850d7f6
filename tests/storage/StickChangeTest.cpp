#include "storage/StickChange.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

const StickChange Change{
    .newFiles = {{"MXM2-0014-00000.mp3", 123456}},
    .moves = {{"ZUM_-0003-00000.mp3", "ZUM_-0002-00000.mp3"},
              {"MGM2-0001-00000.mp3", "MRM2-0001-00000.mp3", true}},
    .deletions = {"SET_-0001-00021.mp3"},
    .plannedIndexSize = 52,
    .movesParked = true,
};

TEST(StickChangeTest, OnlyAJournalWrittenToItsEndIsFinished) {
    const std::string bytes = composeJournal(Change);
    EXPECT_EQ(parseJournal(bytes), Change);
    // Cut short anywhere, as by a pulled stick or a killed program: nothing had begun yet.
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        EXPECT_FALSE(parseJournal(bytes.substr(0, length))) << length;
    }
}

TEST(StickChangeTest, AJournalNamingFilesOutsideTheRootIsIgnored) {
    for (const std::string name : {"../tonkat.tkx", "/etc/passwd", "C:\\x.mp3", ""}) {
        StickChange hostile = Change;
        hostile.deletions = {name};
        EXPECT_FALSE(parseJournal(composeJournal(hostile))) << name;
    }
}

} // namespace
} // namespace tonarion
