#include "model/LoadedEntry.h"

#include "support/RecordingUserInterface.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

using testing::RecordingUserInterface;

TEST(LoadedEntryTest, DecodesEachLetterOnItsOwnAndCountsOnlyUpperCaseKinds) {
    const std::array<const char*, 4> cases[] = {
        // name, Ereignis, Status, Modus
        {"MGM2-0012-00000.mp3", "Magnetartikel", "GRÜN", "MIT ERLAUBNIS"},
        {"M1O1-0012-00000.mp3", "Magnetartikel", "S1 NACH S2", "OHNE ERLAUBNIS"},
        {"RFS5-0005-00008.mp3", "Rückmeldung", "FREI", "STOP OPTION"},
        {"L2M3-0007-20002.mp3", "ZIDAS-Empfänger", "S2 NACH S1", "MIT ERLAUBNIS"},
        {"KAM4-0001-00010.mp3", "Kontakt", "ÄNDERUNG", "MIT ERLAUBNIS"},
        {"END_-0012-00000.mp3", "Endlose Wiedergabe", "_", "_"},
        {"mgm2-0012-00000.mp3", "", "_", "_"},
    };
    for (const auto& [name, event, status, mode] : cases) {
        KindCounters counters;
        RecordingUserInterface ui;
        LoadReport report(ui);
        const SoundEntry row = loadEntry(name, "C:\\x.mp3", counters, report);
        const std::string n = name;
        EXPECT_EQ(row, (SoundEntry{n, "C:\\x.mp3", event, status, mode, n.substr(3, 1),
                                   n.substr(5, 4), n.substr(10, 5)}));
        EXPECT_EQ(counters.total(), *event ? 1 : 0) << name;
    }
}

} // namespace
} // namespace tonarion
