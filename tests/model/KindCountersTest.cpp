#include "model/KindCounters.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tonarion {
namespace {

struct MoveCase {
    char oldKind;
    char newKind;
    int mrl;
    int kontakt;
    int zufall;
};

TEST(KindCountersTest, MovesTheCountOnlyWhenTheGroupChanges) {
    // Every case starts with one M entry and one K entry counted.
    const MoveCase cases[] = {
        {'M', 'R', 2, 1, 0},  // same group: nothing changes
        {'M', 'L', 2, 1, 0},  //
        {'M', 'K', 1, 2, 0},  // to another group
        {'K', 'Z', 2, 0, 1},  //
        {'\0', 'M', 3, 1, 0}, // a row without an event gains one count
        {'m', 'Z', 2, 1, 1},  // a lower-case kind counted nowhere
    };
    for (const auto& c : cases) {
        KindCounters counters;
        counters.moveEntry('\0', 'M');
        counters.moveEntry('\0', 'M');
        counters.moveEntry('\0', 'K');
        counters.moveEntry(c.oldKind, c.newKind);
        EXPECT_EQ(counters.cntMRL(), c.mrl) << c.oldKind << "->" << c.newKind;
        EXPECT_EQ(counters.cntKontakt(), c.kontakt) << c.oldKind << "->" << c.newKind;
        EXPECT_EQ(counters.cntZufall(), c.zufall) << c.oldKind << "->" << c.newKind;
    }
}

TEST(KindCountersTest, ReportListsEveryCounterTheSumAndTheNextRow) {
    KindCounters counters;
    counters.countLoadedEntry('M');
    counters.countLoadedEntry('U');
    counters.countLoadedEntry('U');
    EXPECT_EQ(counterReport(counters, 4), "zidas. magnet artikel und rückmelder : 1\r\n"
                                          "Kontakt: 0\r\n"
                                          "zufall: 0\r\n"
                                          "zeitgesteuert: 2\r\n"
                                          "endlos: 0\r\n"
                                          "gesamt menge: 3\r\n"
                                          "nachste zeilenposition: 4");
}

TEST(KindCountersTest, ArithmeticOutsideSixteenBitsIsDetected) {
    KindCounters counters;
    for (int i = 0; i < 32768; ++i) {
        counters.removeEntry('E');
    }
    EXPECT_EQ(counters.cntEndlos(), -32768);
    EXPECT_THROW(counters.removeEntry('E'), std::overflow_error);
}

} // namespace
} // namespace tonarion
