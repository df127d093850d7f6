#include "event/EintragZusammensetzen.h"

#include "event/EventOptions.h"
#include "support/RecordingUserInterface.h"

#include <gtest/gtest.h>

#include <functional>

namespace tonarion {
namespace {

using testing::RecordingUserInterface;

const std::string NoMessage;

// A selection with every choice its kind needs, as a user would make them.
EventSelection complete(EventKind kind) {
    EventSelection sel;
    sel.selEreignis = static_cast<int>(kind);
    if (const auto* status = statusOptions(kind)) {
        sel.selStatus = (*status)[0].codeText;
    }
    sel.selModus = Option2[1].codeText;
    switch (kind) {
    case EventKind::Magnetartikel:
    case EventKind::Rueckmeldung:
        sel.selWert = ChosenListEntry{1, "2"};
        sel.selAdr1 = "12";
        sel.selAdr2 = "-";
        break;
    case EventKind::Zidas:
        sel.selWert = ChosenListEntry{0, "1"};
        sel.selAdr1 = "7";
        sel.selAdresse = ChosenOption{2, optADR[2].codeText};
        break;
    case EventKind::Kontakt:
        sel.selWert = ChosenListEntry{3, "4"};
        sel.selKontaktVon = "1";
        sel.selKontaktBis = "10";
        break;
    case EventKind::Uhrzeit:
        sel.selWert = ChosenListEntry{4, "01:00"};
        break;
    case EventKind::Endlos:
        sel.selModus.reset();
        sel.selWert = ChosenListEntry{11, "12"};
        break;
    case EventKind::Zufall:
        break;
    }
    return sel;
}

class CompositionTest : public ::testing::Test {
protected:
    // Adds a bound row as loading the index file would, and returns its row number.
    int addEntry(const std::string& name) {
        session.table.appendEntry(SoundEntry{.entryName = name, .sourcePath = "/s/" + name});
        session.counters.countLoadedEntry(name.front());
        return session.table.entryCount();
    }
    int addFile() {
        session.table.appendEntry(SoundEntry{.sourcePath = "/s/new.mp3"});
        return session.table.entryCount();
    }
    std::optional<NeuerEintrag> compose(const EventSelection& sel, int row) {
        return EintragZusammensetzen(sel, row, session, ui);
    }
    std::optional<NeuerEintrag> composeNew(const EventSelection& sel) {
        return compose(sel, addFile());
    }

    Session session;
    RecordingUserInterface ui;
};

struct ExampleCase {
    std::function<void(EventSelection&)> choose;
    EventKind kind;
    const char* name;
    std::array<const char*, 4> texts; // Ereigniss, Status, Modus, Priorität
};

TEST_F(CompositionTest, ComposesTheNameAndTheTextsOfEachKind) {
    const ExampleCase cases[] = {
        {[](auto& s) { s.selStatus = optMA[1].codeText; },
         EventKind::Magnetartikel,
         "MGM2-0012-00000.mp3",
         {"Magnetartikel", "GRÜN", "MIT ERLAUBNISS", "2"}},
        {[](auto& s) { s.selAdr2 = "5"; },
         EventKind::Magnetartikel,
         "MRM2-0012-00005.mp3",
         {"Magnetartikel", "ROT", "MIT ERLAUBNISS", "2"}},
        {[](auto& s) { s.selStatus = optMA[2].codeText; },
         EventKind::Magnetartikel,
         "MXM2-0012-00000.mp3",
         {"Magnetartikel", "BELIEBIG", "MIT ERLAUBNISS", "2"}},
        {[](auto& s) {
             s.selModus = Option2[0].codeText;
             s.selWert = ChosenListEntry{0, "1"};
             s.selAdr1 = "5";
             s.selAdr2 = "8";
         },
         EventKind::Rueckmeldung,
         "RBO1-0005-00008.mp3",
         {"Rückmeldung", "BELEGT", "OHNE ERLAUBNISS", "1"}},
        {[](auto& s) {
             s.selStatus = optZID[1].codeText;
             s.selWert = ChosenListEntry{2, "3"};
         },
         EventKind::Zidas,
         "L1M3-0007-20002.mp3",
         {"ZIDAS Empfänger", "S1 nach S2", "MIT ERLAUBNISS", "3"}},
        {[](auto& s) {
             s.selModus = Option2[0].codeText;
             s.selAdr1 = "12";
             s.selAdresse = ChosenOption{5, optADR[5].codeText};
             s.selAdr2 = "1234";
         },
         EventKind::Zidas,
         "LXO1-0012-01234.mp3",
         {"ZIDAS Empfänger", "UNABHÄNGIG", "OHNE ERLAUBNISS", "1"}},
        {[](auto& s) {
             s.selAdresse = ChosenOption{3, optADR[3].codeText};
             s.selAdr2 = "99x"; // the loco box does not count for a category
         },
         EventKind::Zidas,
         "LXM1-0007-20003.mp3",
         {"ZIDAS Empfänger", "UNABHÄNGIG", "MIT ERLAUBNISS", "1"}},
        {[](auto& s) { s.selStatus = optKON[1].codeText; },
         EventKind::Kontakt,
         "KSM4-0001-00010.mp3",
         {"Kontakt", "SCHLIESSEN", "MIT ERLAUBNISS", "4"}},
        {[](auto& s) { s.selKontaktBis = ""; },
         EventKind::Kontakt,
         "KOM4-0001-00000.mp3",
         {"Kontakt", "ÖFFNEN", "MIT ERLAUBNISS", "4"}},
        {[](auto& s) { s.selModus = Option2[0].codeText; },
         EventKind::Zufall,
         "ZUO_-0001-00000.mp3",
         {"Zufällige Wiedergabe", "_", "OHNE ERLAUBNISS", "_"}},
        {[](auto&) {},
         EventKind::Uhrzeit,
         "UZM_-0005-00000.mp3",
         {"Uhrzeit", "_", "MIT ERLAUBNISS", "_"}},
        {[](auto& s) {
             s.selWert = ChosenListEntry{95, "23:45"};
         },
         EventKind::Uhrzeit,
         "UZM_-0096-00000.mp3",
         {"Uhrzeit", "_", "MIT ERLAUBNISS", "_"}},
        {[](auto& s) {
             s.selWert = ChosenListEntry{0, "00:00"};
         },
         EventKind::Uhrzeit,
         "UZM_-0001-00000.mp3",
         {"Uhrzeit", "_", "MIT ERLAUBNISS", "_"}},
        {[](auto&) {},
         EventKind::Endlos,
         "END_-0012-00000.mp3",
         {"Endlose Wiedergabe", "_", "_", "_"}},
        {[](auto& s) {
             s.selWert = ChosenListEntry{126, "127"};
         },
         EventKind::Endlos,
         "END_-0127-00000.mp3",
         {"Endlose Wiedergabe", "_", "_", "_"}},
    };
    for (const auto& c : cases) {
        Session fresh;
        std::swap(session, fresh);
        EventSelection sel = complete(c.kind);
        c.choose(sel);
        const auto entry = composeNew(sel);
        ASSERT_TRUE(entry) << c.name << ": " << ui.lastText();
        EXPECT_EQ(entry->entryName(), c.name);
        EXPECT_EQ(entry->txtEreignis, c.texts[0]) << c.name;
        EXPECT_EQ(entry->txtStatus, c.texts[1]) << c.name;
        EXPECT_EQ(entry->txtModus, c.texts[2]) << c.name;
        EXPECT_EQ(entry->txtPrio, c.texts[3]) << c.name;
        EXPECT_TRUE(session.SaveNeeded);
    }
    EXPECT_TRUE(ui.messages.empty());
}

struct OrderCase {
    EventKind kind;
    std::function<void(EventSelection&)> omit;
    std::string message;
};

TEST_F(CompositionTest, ReportsTheFirstMissingChoiceOfEachKind) {
    const OrderCase cases[] = {
        {EventKind::Rueckmeldung, [](auto& s) { s.selStatus.reset(), s.selWert.reset(); },
         StatusMissingMessage},
        {EventKind::Rueckmeldung, [](auto& s) { s.selWert.reset(); }, PriorityMissingMessage},
        {EventKind::Magnetartikel, [](auto& s) { s.selModus.reset(), s.selWert.reset(); },
         ModeMissingMessage},
        {EventKind::Magnetartikel, [](auto& s) { s.selAdr1 = "-", s.selAdr2.reset(); },
         FirstAddressMessage},
        {EventKind::Magnetartikel, [](auto& s) { s.selAdr1.reset(); }, FirstAddressMessage},
        {EventKind::Magnetartikel, [](auto& s) { s.selAdr2.reset(); }, SecondAddressMessage},
        {EventKind::Zidas, [](auto& s) { s.selAdr1 = "-", s.selAdresse.reset(); },
         FirstAddressMessage},
        {EventKind::Zidas, [](auto& s) { s.selAdresse.reset(); }, CategoryMissingMessage},
        {EventKind::Zidas,
         [](auto& s) {
             s.selAdresse = ChosenOption{5, "9999"};
         },
         SecondAddressMessage},
        {EventKind::Zidas,
         [](auto& s) {
             s.selAdresse = ChosenOption{5, "9999"}, s.selAdr2 = "123456";
         },
         LocoAddressMessage},
        {EventKind::Kontakt, [](auto& s) { s.selWert.reset(), s.selKontaktVon.reset(); },
         PriorityMissingMessage},
        {EventKind::Kontakt, [](auto& s) { s.selKontaktVon.reset(); }, ContactMissingMessage},
        {EventKind::Zufall, [](auto& s) { s.selModus.reset(); }, ModeMissingMessage},
        {EventKind::Uhrzeit, [](auto& s) { s.selModus.reset(), s.selWert.reset(); },
         TimeMissingMessage},
        {EventKind::Uhrzeit, [](auto& s) { s.selModus.reset(); }, ModeMissingMessage},
        {EventKind::Endlos, [](auto& s) { s.selWert.reset(); }, PositionMissingMessage},
        {EventKind::Magnetartikel, [](auto& s) { s.selEreignis.reset(); }, NoMessage},
    };
    const int row = addFile();
    for (const auto& c : cases) {
        ui.messages.clear();
        EventSelection sel = complete(c.kind);
        c.omit(sel);
        EXPECT_FALSE(compose(sel, row));
        EXPECT_EQ(ui.texts(), c.message.empty() ? std::vector<std::string>{}
                                                : std::vector<std::string>{c.message})
            << "kind " << static_cast<int>(c.kind);
        if (!ui.messages.empty()) {
            EXPECT_EQ(ui.messages[0].icon, MessageIcon::Information);
        }
    }
    EXPECT_EQ(session.counters.total(), 0);
    EXPECT_FALSE(session.SaveNeeded);
}

struct MendedCase {
    EventKind kind;
    std::function<void(EventSelection&)> choose;
    std::string expected; // an EntryName, or the message that refuses the entry
};

TEST_F(CompositionTest, AddressesMustBeDecimalNumbersThatFitTheName) {
    const MendedCase cases[] = {
        {EventKind::Magnetartikel, [](auto& s) { s.selAdr1 = "12345"; }, FirstAddressMessage},
        {EventKind::Magnetartikel, [](auto& s) { s.selAdr1 = "1a"; }, FirstAddressMessage},
        {EventKind::Magnetartikel, [](auto& s) { s.selAdr1 = "..\\x"; }, FirstAddressMessage},
        {EventKind::Magnetartikel, [](auto& s) { s.selAdr1 = ""; }, FirstAddressMessage},
        {EventKind::Magnetartikel, [](auto& s) { s.selAdr1 = " 0012 "; }, "MRM2-0012-00000.mp3"},
        {EventKind::Magnetartikel, [](auto& s) { s.selAdr2 = ""; }, SecondAddressMessage},
        {EventKind::Rueckmeldung, [](auto& s) { s.selAdr2 = "123456"; }, SecondAddressMessage},
        {EventKind::Rueckmeldung, [](auto& s) { s.selAdr2 = "1/2"; }, SecondAddressMessage},
        {EventKind::Rueckmeldung, [](auto& s) { s.selAdr2 = "12345"; }, "RBM2-0012-12345.mp3"},
        {EventKind::Zidas, [](auto& s) { s.selAdr1 = "20000"; }, FirstAddressMessage},
        {EventKind::Zidas,
         [](auto& s) {
             s.selAdresse = ChosenOption{5, "9999"}, s.selAdr2 = "12a";
         },
         LocoAddressMessage},
        {EventKind::Zidas,
         [](auto& s) {
             s.selAdresse = ChosenOption{5, "9999"}, s.selAdr2 = "";
         },
         LocoAddressMessage},
        {EventKind::Zidas,
         [](auto& s) {
             s.selAdresse = ChosenOption{5, "9999"}, s.selAdr2 = "-";
         },
         "LXM1-0007-00000.mp3"},
    };
    for (const auto& c : cases) {
        Session fresh;
        std::swap(session, fresh);
        ui.messages.clear();
        EventSelection sel = complete(c.kind);
        c.choose(sel);
        const auto entry = composeNew(sel);
        EXPECT_EQ(entry ? entry->entryName() : ui.lastText(), c.expected);
    }
}

struct CapacityCase {
    const char* existing;
    EventKind kind;
    int limit;
    std::function<void(EventSelection&)> spoil; // a missing choice the limit is checked before
    std::string messageWhenFullAndSpoilt;
};

TEST_F(CompositionTest, TheLimitOfEachGroupIsCheckedAtItsPlaceInTheOrder) {
    const CapacityCase cases[] = {
        {"END_-0001-00000.mp3", EventKind::Endlos, 127, [](auto& s) { s.selWert.reset(); },
         "Maximale Anzahl (127) an Samples erreicht"},
        {"ZUM_-0001-00000.mp3", EventKind::Zufall, 127, [](auto& s) { s.selModus.reset(); },
         "Maximale Anzahl (127) an Samples erreicht"},
        {"UZM_-0001-00000.mp3", EventKind::Uhrzeit, 96, [](auto& s) { s.selWert.reset(); },
         "Maximale Anzahl (96) an Samples erreicht"},
        {"KOM1-0001-00000.mp3", EventKind::Kontakt, 63, [](auto& s) { s.selWert.reset(); },
         PriorityMissingMessage},
        {"LXM1-0001-20000.mp3", EventKind::Zidas, 255, [](auto& s) { s.selAdr1 = "-"; },
         FirstAddressMessage},
        {"MGM1-0001-00000.mp3", EventKind::Magnetartikel, 255, [](auto& s) { s.selAdr2 = ""; },
         SecondAddressMessage},
    };
    for (const auto& c : cases) {
        Session fresh;
        std::swap(session, fresh);
        for (int i = 1; i < c.limit; ++i) {
            addEntry(std::string(c.existing).replace(5, 4, std::to_string(1000 + i)));
        }
        ui.messages.clear();
        EXPECT_TRUE(composeNew(complete(c.kind))) << c.existing << ": " << ui.lastText();

        ui.messages.clear();
        EventSelection spoilt = complete(c.kind);
        c.spoil(spoilt);
        EXPECT_FALSE(composeNew(spoilt));
        EXPECT_EQ(ui.lastText(), c.messageWhenFullAndSpoilt) << c.existing;

        ui.messages.clear();
        const auto group = *groupOfKind(c.existing[0]);
        EXPECT_FALSE(composeNew(complete(c.kind)));
        EXPECT_EQ(ui.texts(), std::vector<std::string>{capacityMessage(group)});
        EXPECT_EQ(ui.messages[0].icon, MessageIcon::Critical);
        // At the limit even an edit that stays in the group is refused.
        EXPECT_FALSE(compose(complete(c.kind), 1));
        EXPECT_EQ(session.counters.count(group), c.limit);
    }
}

TEST_F(CompositionTest, MovesTheCountFromTheOldKindToTheNewOne) {
    const int row = addEntry("MGM2-0012-00000.mp3");
    EventSelection toR = complete(EventKind::Rueckmeldung);
    ASSERT_TRUE(compose(toR, row));
    EXPECT_EQ(session.counters.cntMRL(), 1);

    session.table.replaceRow(row, SoundEntry{.entryName = "RBM2-0012-00000.mp3"});
    ASSERT_TRUE(compose(complete(EventKind::Kontakt), row));
    EXPECT_EQ(session.counters.cntMRL(), 0);
    EXPECT_EQ(session.counters.cntKontakt(), 1);
}

TEST_F(CompositionTest, RandomEntriesAreNumberedWithoutGapsOrRepeats) {
    for (const char* name : {"ZUM_-0001-00000.mp3", "ZUM_-0002-00000.mp3", "ZUM_-0003-00000.mp3"}) {
        addEntry(name);
    }
    const auto fresh = composeNew(complete(EventKind::Zufall));
    ASSERT_TRUE(fresh);
    EXPECT_EQ(fresh->strAdr1, "0004");

    // An edited random entry that stays random keeps its own number.
    EventSelection notInterrupted = complete(EventKind::Zufall);
    notInterrupted.selModus = Option2[0].codeText;
    const auto edited = compose(notInterrupted, 2);
    ASSERT_TRUE(edited);
    EXPECT_EQ(edited->entryName(), "ZUO_-0002-00000.mp3");
    EXPECT_EQ(session.counters.cntZufall(), 4);
}

TEST_F(CompositionTest, AnEventAlreadyBoundToAnotherRowIsRefused) {
    addEntry("MGM2-0012-00000.mp3");
    const int own = addEntry("MRM2-0012-00000.mp3");
    EventSelection green = complete(EventKind::Magnetartikel);
    green.selStatus = optMA[1].codeText;
    EXPECT_FALSE(composeNew(green));
    EXPECT_EQ(ui.texts(), std::vector<std::string>{DuplicateEventMessage});
    EXPECT_EQ(session.counters.cntMRL(), 2);

    // Re-confirming a row's own name is no duplicate.
    ui.messages.clear();
    EXPECT_TRUE(compose(complete(EventKind::Magnetartikel), own));
    EXPECT_TRUE(ui.messages.empty());
}

} // namespace
} // namespace tonarion
