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

TEST(LoadedEntryTest, SurplusEntriesAreLoadedButNotCountedAndReportedOncePerLoad) {
    const std::tuple<const char*, KindGroup, int> cases[] = {
        {"KSM4-0001-00010.mp3", KindGroup::Kontakt, 63},
        {"LXO1-0012-01234.mp3", KindGroup::MRL, 255},
        {"UZM_-0005-00000.mp3", KindGroup::Zeit, 96},
        {"ZUO_-0003-00000.mp3", KindGroup::Zufall, 127},
        {"END_-0012-00000.mp3", KindGroup::Endlos, 127},
    };
    for (const auto& [name, group, limit] : cases) {
        KindCounters counters;
        RecordingUserInterface ui;
        LoadReport report(ui);
        for (int i = 0; i < limit; ++i) {
            loadEntry(name, "", counters, report);
        }
        EXPECT_TRUE(ui.messages.empty()) << name;
        for (int i = 0; i < 300; ++i) {
            EXPECT_EQ(loadEntry(name, "p", counters, report).entryName, name);
        }
        EXPECT_EQ(counters.count(group), limit) << name;
        ASSERT_EQ(ui.messages.size(), 1u) << name;
        EXPECT_EQ(ui.messages[0].text,
                  "Maximale Anzahl (" + std::to_string(limit) + ") an Samples erreicht");
        EXPECT_EQ(ui.messages[0].icon, MessageIcon::Critical);
        EXPECT_EQ(ui.messages[0].title, "Tonarion");
    }
}

} // namespace
} // namespace tonarion
