#include "model/LoadedEntry.h"

#include "support/RecordingUserInterface.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

using testing::RecordingUserInterface;

struct DecodeCase {
    const char* name;
    const char* event;
    const char* status;
    const char* mode;
};

TEST(LoadedEntryTest, DecodesEachLetterOnItsOwn) {
    const DecodeCase cases[] = {
        {"MGM2-0012-00000.mp3", "Magnetartikel", "GRÜN", "MIT ERLAUBNIS"},
        {"M1O1-0012-00000.mp3", "Magnetartikel", "S1 NACH S2", "OHNE ERLAUBNIS"},
        {"RFS5-0005-00008.mp3", "Rückmeldung", "FREI", "STOP OPTION"},
        {"L2M3-0007-20002.mp3", "ZIDAS-Empfänger", "S2 NACH S1", "MIT ERLAUBNIS"},
        {"KAM4-0001-00010.mp3", "Kontakt", "ÄNDERUNG", "MIT ERLAUBNIS"},
        {"KOM4-0001-00010.mp3", "Kontakt", "ÖFFNEN", "MIT ERLAUBNIS"},
        {"ZUO_-0003-00000.mp3", "Zufällige Wiedergabe", "_", "OHNE ERLAUBNIS"},
        {"UZM_-0005-00000.mp3", "Uhrzeit", "_", "MIT ERLAUBNIS"},
        {"END_-0012-00000.mp3", "Endlose Wiedergabe", "_", "_"},
        {"mgm2-0012-00000.mp3", "", "_", "_"},
    };
    for (const auto& c : cases) {
        KindCounters counters;
        RecordingUserInterface ui;
        LoadReport report(ui);
        const SoundEntry row = loadEntry(c.name, "C:\\x.mp3", counters, report);
        EXPECT_EQ(row.eventText, c.event) << c.name;
        EXPECT_EQ(row.statusText, c.status) << c.name;
        EXPECT_EQ(row.modeText, c.mode) << c.name;
        EXPECT_EQ(row.prioText, std::string(1, c.name[3])) << c.name;
        EXPECT_EQ(row.address1, std::string(c.name + 5, 4)) << c.name;
        EXPECT_EQ(row.address2, std::string(c.name + 10, 5)) << c.name;
    }
}

TEST(LoadedEntryTest, LowerCaseKindIsCountedNowhere) {
    KindCounters counters;
    RecordingUserInterface ui;
    LoadReport report(ui);
    loadEntry("mgm2-0012-00000.mp3", "", counters, report);
    EXPECT_EQ(counters.total(), 0);
}

struct CapacityCase {
    const char* name;
    KindGroup group;
    int limit;
};

TEST(LoadedEntryTest, SurplusEntriesAreLoadedButNotCountedAndReportedOncePerLoad) {
    const CapacityCase cases[] = {
        {"KSM4-0001-00010.mp3", KindGroup::Kontakt, 63},
        {"LXO1-0012-01234.mp3", KindGroup::MRL, 255},
        {"UZM_-0005-00000.mp3", KindGroup::Zeit, 96},
        {"ZUO_-0003-00000.mp3", KindGroup::Zufall, 127},
        {"END_-0012-00000.mp3", KindGroup::Endlos, 127},
    };
    for (const auto& c : cases) {
        KindCounters counters;
        RecordingUserInterface ui;
        LoadReport report(ui);
        for (int i = 0; i < c.limit; ++i) {
            loadEntry(c.name, "", counters, report);
        }
        EXPECT_TRUE(ui.messages.empty()) << c.name;
        for (int i = 0; i < 300; ++i) {
            const SoundEntry surplus = loadEntry(c.name, "p", counters, report);
            EXPECT_EQ(surplus.entryName, c.name);
        }
        EXPECT_EQ(counters.count(c.group), c.limit) << c.name;
        ASSERT_EQ(ui.messages.size(), 1u) << c.name;
        EXPECT_EQ(ui.messages[0].text,
                  "Maximale Anzahl (" + std::to_string(c.limit) + ") an Samples erreicht");
        EXPECT_EQ(ui.messages[0].icon, MessageIcon::Critical);
        EXPECT_EQ(ui.messages[0].title, "Tonarion");
    }
}

} // namespace
} // namespace tonarion
