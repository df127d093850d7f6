#include "model/KindCounters.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <tuple>

namespace tonarion {
namespace {

TEST(KindCountersTest, MovesTheCountOnlyWhenTheGroupChanges) {
    // Every case starts with two M entries and one K entry counted.
    const std::tuple<char, char, int, int, int> cases[] = {
        // old kind, new kind, then cntMRL, cntKontakt, cntZufall
        {'M', 'R', 2, 1, 0},  // same group: nothing changes
        {'M', 'K', 1, 2, 0},  // to another group
        {'K', 'Z', 2, 0, 1},  //
        {'\0', 'M', 3, 1, 0}, // a row without an event gains one count
        {'m', 'Z', 2, 1, 1},  // a lower-case kind counted nowhere
    };
    for (const auto& [oldKind, newKind, mrl, kontakt, zufall] : cases) {
        KindCounters counters;
        counters.moveEntry('\0', 'M');
        counters.moveEntry('\0', 'M');
        counters.moveEntry('\0', 'K');
        counters.moveEntry(oldKind, newKind);
        EXPECT_EQ(counters.cntMRL(), mrl) << oldKind << "->" << newKind;
        EXPECT_EQ(counters.cntKontakt(), kontakt) << oldKind << "->" << newKind;
        EXPECT_EQ(counters.cntZufall(), zufall) << oldKind << "->" << newKind;
    }
}

TEST(KindCountersTest, AFullGroupTakesNoEntryFromOutsideButKeepsItsOwn) {
    KindCounters counters;
    for (int i = 0; i < 255; ++i) {
        counters.countLoadedEntry('R');
    }
    // old kind of the edited row, and whether binding an M entry to it is refused
    const std::tuple<char, bool> cases[] = {
        {'M', false}, {'L', false}, {'\0', true}, {'K', true}, {'m', true},
    };
    for (const auto& [oldKind, refused] : cases) {
        EXPECT_EQ(counters.wouldExceed(KindGroup::MRL, oldKind), refused) << oldKind;
    }
    EXPECT_FALSE(counters.wouldExceed(KindGroup::Kontakt, 'M'));
    counters.removeEntry('L');
    EXPECT_FALSE(counters.wouldExceed(KindGroup::MRL, '\0'));
}

TEST(KindCountersTest, ReportListsEveryCounterTheSumAndARowBeyondSixteenBits) {
    KindCounters counters;
    counters.countLoadedEntry('M');
    counters.countLoadedEntry('U');
    counters.countLoadedEntry('U');
    EXPECT_EQ(counterReport(counters, 70000), "zidas. magnet artikel und rückmelder : 1\r\n"
                                              "Kontakt: 0\r\n"
                                              "zufall: 0\r\n"
                                              "zeitgesteuert: 2\r\n"
                                              "endlos: 0\r\n"
                                              "gesamt menge: 3\r\n"
                                              "nachste zeilenposition: 70000");
    // Arithmetic outside sixteen bits is detected.
    for (int i = 0; i < 32768; ++i) {
        counters.removeEntry('E');
    }
    EXPECT_EQ(counters.cntEndlos(), -32768);
    EXPECT_THROW(counters.removeEntry('E'), std::overflow_error);
}

} // namespace
} // namespace tonarion
