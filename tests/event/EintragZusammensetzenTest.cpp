#include "event/EintragZusammensetzen.h"

#include "event/EventOptions.h"
#include "model/EntryName.h"
#include "support/RecordingUserInterface.h"

#include <gtest/gtest.h>

#include <functional>

namespace tonarion {
namespace {

using testing::RecordingUserInterface;
using enum EventKind;

const ChosenOption Loco{LocoAddressOption, "9999"};

// A refusal: the message that names the choice, and below it what is wrong.
std::string because(const char* message, const std::string& reason) {
    return message + std::string("\r\n\r\n") + reason;
}

// A selection with every choice its kind needs (and some it ignores), as a user would make them.
EventSelection complete(EventKind kind) {
    EventSelection s;
    s.selEreignis = static_cast<int>(kind);
    if (const auto* status = statusOptions(kind)) {
        s.selStatus = (*status)[0].codeText;
    }
    if (kind != Endlos) {
        s.selModus = Option2[1].codeText;
    }
    s.selWert = kind == Uhrzeit  ? ChosenListEntry{4, "01:00"}
                : kind == Endlos ? ChosenListEntry{11, "12"}
                                 : ChosenListEntry{1, "2"};
    s.selAdr1 = "12";
    s.selAdr2 = "-";
    s.selAdresse = ChosenOption{2, optADR[2].codeText};
    s.selKontaktVon = "1";
    s.selKontaktBis = "10";
    return s;
}

class CompositionTest : public ::testing::Test {
protected:
    // Adds a bound row as loading the index file would, and returns its row number.
    int addEntry(const std::string& name) {
        table.appendEntry(SoundEntry{.entryName = name, .sourcePath = "/s/" + name});
        counters.countLoadedEntry(name.front());
        return table.entryCount();
    }
    std::optional<NeuerEintrag> compose(const EventSelection& sel, int row) {
        return EintragZusammensetzen(sel, row, table, counters, ui);
    }
    std::optional<NeuerEintrag> composeNew(const EventSelection& sel) {
        table.appendEntry(SoundEntry{.sourcePath = "/s/new.mp3"});
        return compose(sel, table.entryCount());
    }

    SoundTable table;
    KindCounters counters;
    RecordingUserInterface ui;
};

struct Case {
    EventKind kind;
    std::function<void(EventSelection&)> change;
    // The EntryName (with "|" and the grid texts Ereignis|Status|Modus|Priorität where they
    // are checked), or the one message that refuses the entry ("" for none).
    std::string expected;
};

TEST_F(CompositionTest, ComposesEachKindOrRefusesWithTheFirstFaultInOrder) {
    const Case cases[] = {
        // The names and texts of each kind.
        {Magnetartikel, [](auto& s) { s.selStatus = optMA[1].codeText; },
         "MGM2-0012-00000.mp3|Magnetartikel|GRÜN|MIT ERLAUBNISS|2"},
        {Magnetartikel, [](auto& s) { s.selStatus = optMA[2].codeText; },
         "MXM2-0012-00000.mp3|Magnetartikel|BELIEBIG|MIT ERLAUBNISS|2"},
        {Rueckmeldung, [](auto& s) { s.selAdr2 = "4096"; },
         "RBM2-0012-04096.mp3|Rückmeldung|BELEGT|MIT ERLAUBNISS|2"},
        {Zidas, [](auto& s) { s.selStatus = optZID[1].codeText; },
         "L1M2-0012-20002.mp3|ZIDAS Empfänger|S1 nach S2|MIT ERLAUBNISS|2"},
        {Zidas, [](auto& s) { s.selAdresse = Loco, s.selAdr2 = "1234"; }, "LXM2-0012-01234.mp3"},
        // The loco box does not count for a category.
        {Zidas, [](auto& s) { s.selAdr2 = "99x"; }, "LXM2-0012-20002.mp3"},
        {Kontakt, [](auto& s) { s.selStatus = optKON[1].codeText; }, "KSM2-0001-00010.mp3"},
        {Kontakt, [](auto& s) { s.selKontaktBis = ""; }, "KOM2-0001-00000.mp3"},
        {Kontakt, [](auto& s) { s.selKontaktBis = "0010"; }, "KOM2-0001-00010.mp3"},
        {Zufall, [](auto& s) { s.selModus = Option2[0].codeText; },
         "ZUO_-0001-00000.mp3|Zufällige Wiedergabe|_|OHNE ERLAUBNISS|_"},
        {Uhrzeit, [](auto&) {}, "UZM_-0005-00000.mp3|Uhrzeit|_|MIT ERLAUBNISS|_"},
        {Endlos, [](auto&) {}, "END_-0012-00000.mp3|Endlose Wiedergabe|_|_|_"},
        // The first missing choice of each kind.
        {Rueckmeldung, [](auto& s) { s.selStatus.reset(), s.selWert.reset(); },
         StatusMissingMessage},
        {Rueckmeldung, [](auto& s) { s.selWert.reset(); }, PriorityMissingMessage},
        {Magnetartikel, [](auto& s) { s.selModus.reset(), s.selWert.reset(); }, ModeMissingMessage},
        {Magnetartikel, [](auto& s) { s.selAdr1 = "-", s.selAdr2.reset(); }, FirstAddressMessage},
        {Magnetartikel, [](auto& s) { s.selAdr1.reset(); }, FirstAddressMessage},
        {Magnetartikel, [](auto& s) { s.selAdr2.reset(); }, SecondAddressMessage},
        {Zidas, [](auto& s) { s.selAdr1 = "-", s.selAdresse.reset(); }, FirstAddressMessage},
        {Zidas, [](auto& s) { s.selAdresse.reset(); }, CategoryMissingMessage},
        {Zidas, [](auto& s) { s.selAdresse = Loco, s.selAdr2.reset(); }, SecondAddressMessage},
        {Kontakt, [](auto& s) { s.selWert.reset(), s.selKontaktVon.reset(); },
         PriorityMissingMessage},
        {Kontakt, [](auto& s) { s.selKontaktVon.reset(); }, ContactMissingMessage},
        {Zufall, [](auto& s) { s.selModus.reset(); }, ModeMissingMessage},
        {Uhrzeit, [](auto& s) { s.selModus.reset(), s.selWert.reset(); }, TimeMissingMessage},
        {Uhrzeit, [](auto& s) { s.selModus.reset(); }, ModeMissingMessage},
        {Endlos, [](auto& s) { s.selWert.reset(); }, PositionMissingMessage},
        {Magnetartikel, [](auto& s) { s.selEreignis.reset(); }, ""},
        // Each kind's addresses lie in its range, and the message says so below its own words.
        // "-" and 0 are a second address not given; a range runs upwards.
        {Zidas, [](auto& s) { s.selAdr1 = "12345"; },
         because(FirstAddressMessage,
                 "Empfängeradressen reichen von 1 bis 4096, 12345 liegt außerhalb.")},
        {Magnetartikel, [](auto& s) { s.selAdr1 = "1a"; },
         because(FirstAddressMessage,
                 "„1a“ ist keine Zahl. Magnetartikeladressen reichen von 1 bis 2048.")},
        {Magnetartikel, [](auto& s) { s.selAdr1 = "0"; },
         because(FirstAddressMessage,
                 "Magnetartikeladressen reichen von 1 bis 2048, 0 liegt außerhalb.")},
        {Magnetartikel, [](auto& s) { s.selAdr1 = "2049"; },
         because(FirstAddressMessage,
                 "Magnetartikeladressen reichen von 1 bis 2048, 2049 liegt außerhalb.")},
        {Magnetartikel, [](auto& s) { s.selAdr1 = "2048", s.selAdr2 = "0"; },
         "MRM2-2048-00000.mp3"},
        {Magnetartikel, [](auto& s) { s.selAdr1 = " 0012 "; }, "MRM2-0012-00000.mp3"},
        {Magnetartikel, [](auto& s) { s.selAdr2 = ""; }, SecondAddressMessage},
        {Rueckmeldung, [](auto& s) { s.selAdr1 = "105", s.selAdr2 = "100"; },
         because(SecondAddressMessage,
                 "Die 2. Adresse (bis 100) ist kleiner als die 1. Adresse (von 105); ein Bereich "
                 "reicht von der kleineren zur größeren Adresse.")},
        {Rueckmeldung, [](auto& s) { s.selAdr1 = "4096", s.selAdr2 = "4096"; },
         "RBM2-4096-04096.mp3"},
        {Rueckmeldung, [](auto& s) { s.selAdr2 = "4097"; },
         because(SecondAddressMessage,
                 "Rückmeldeadressen reichen von 1 bis 4096, 4097 liegt außerhalb.")},
        {Rueckmeldung, [](auto& s) { s.selAdr2 = "1/2"; },
         because(SecondAddressMessage,
                 "„1/2“ ist keine Zahl. Rückmeldeadressen reichen von 1 bis 4096.")},
        {Zidas, [](auto& s) { s.selAdresse = Loco, s.selAdr2 = "10000"; },
         because(LocoAddressMessage, "Lokadressen reichen von 1 bis 9999, 10000 liegt außerhalb.")},
        {Zidas, [](auto& s) { s.selAdresse = Loco, s.selAdr2 = "9999"; }, "LXM2-0012-09999.mp3"},
        {Zidas, [](auto& s) { s.selAdresse = Loco, s.selAdr2 = ""; }, LocoAddressMessage},
        {Zidas, [](auto& s) { s.selAdresse = Loco; }, "LXM2-0012-00000.mp3"},
        {Kontakt, [](auto& s) { s.selKontaktVon = "5", s.selKontaktBis = "3"; },
         because(ContactMissingMessage,
                 "Der letzte Kontakt (bis 3) ist kleiner als der erste (von 5).")},
    };
    for (const auto& c : cases) {
        table = SoundTable{};
        counters = KindCounters{};
        ui.messages.clear();
        EventSelection sel = complete(c.kind);
        c.change(sel);
        const auto entry = composeNew(sel);
        std::string outcome = entry ? entry->entryName() : ui.lastText();
        if (entry && c.expected.find('|') != std::string::npos) {
            outcome += "|" + entry->txtEreignis + "|" + entry->txtStatus + "|" + entry->txtModus +
                       "|" + entry->txtPrio;
        }
        EXPECT_EQ(outcome, c.expected);
        EXPECT_EQ(ui.messages.size(), entry || c.expected.empty() ? 0u : 1u) << c.expected;
        EXPECT_TRUE(ui.messages.empty() || ui.messages[0].icon == MessageIcon::Information);
        EXPECT_EQ(counters.total(), entry ? 1 : 0) << c.expected;
    }
}

struct FullGroupCase {
    const char* existing; // "####" takes the numbers 1 to the group's limit
    int limit;
    EventKind editTo;                           // a kind of the same group
    int editedRow;                              // whose new name is its own or free
    const char* other;                          // an entry of another group
    std::function<void(EventSelection&)> spoil; // a missing choice
    const char* firstWhenFullAndSpoilt;         // nullptr: the limit is checked first
};

// Each group's limit is pinned where the index file is loaded; here, how a full group meets
// the dialog: an edit within the group is no addition, and the limit has its place among the
// checks of the choices.
TEST_F(CompositionTest, AtTheLimitAnEditWithinTheGroupIsNoAddition) {
    const FullGroupCase cases[] = {
        {"MGM1-####-00000.mp3", 255, Zidas, 1, "KOM1-0001-00000.mp3",
         [](auto& s) { s.selAdr1 = "-"; }, FirstAddressMessage},
        {"KOM1-####-00000.mp3", 63, Kontakt, 1, "MGM1-0001-00000.mp3",
         [](auto& s) { s.selWert.reset(); }, PriorityMissingMessage},
        {"END_-####-00000.mp3", 127, Endlos, 12, "ZUM_-0001-00000.mp3",
         [](auto& s) { s.selWert.reset(); }, nullptr},
    };
    for (const auto& c : cases) {
        table = SoundTable{};
        counters = KindCounters{};
        ui.messages.clear();
        for (int i = 1; i <= c.limit; ++i) {
            addEntry(std::string(c.existing).replace(5, 4, pad4(std::to_string(i))));
        }
        const int otherRow = addEntry(c.other);
        const KindGroup group = *groupOfKind(c.existing[0]);
        const std::string full = capacityMessage(group);

        EventSelection changed = complete(c.editTo);
        if (c.editTo != Endlos) {
            changed.selModus = Option2[0].codeText;
        }
        EXPECT_TRUE(compose(changed, c.editedRow)) << c.existing << ": " << ui.lastText();
        EXPECT_TRUE(ui.messages.empty()) << c.existing << ": " << ui.lastText();

        EventSelection spoilt = complete(c.editTo);
        c.spoil(spoilt);
        EXPECT_FALSE(composeNew(spoilt));
        EXPECT_FALSE(composeNew(complete(c.editTo))) << c.existing;
        EXPECT_FALSE(compose(complete(c.editTo), otherRow)) << c.existing;
        const std::string first = c.firstWhenFullAndSpoilt ? c.firstWhenFullAndSpoilt : full;
        EXPECT_EQ(ui.texts(), (std::vector<std::string>{first, full, full})) << c.existing;
        EXPECT_EQ(ui.messages[1].icon, MessageIcon::Critical);
        EXPECT_EQ(counters.count(group), c.limit) << c.existing;
        EXPECT_EQ(counters.count(*groupOfKind(c.other[0])), 1) << c.existing;
    }
}

TEST_F(CompositionTest, AnEventAlreadyBoundToAnotherRowIsRefused) {
    const int own = addEntry("MRM2-0012-00000.mp3");
    addEntry("MGM2-0012-00000.mp3");
    EventSelection green = complete(Magnetartikel);
    green.selStatus = optMA[1].codeText;
    for (const int row : {own, 0}) { // the other row comes after this one, then before
        ui.messages.clear();
        EXPECT_FALSE(row ? compose(green, row) : composeNew(green));
        EXPECT_EQ(ui.texts(), std::vector<std::string>{because(DuplicateEventMessage,
                                                               "Zeile 2: /s/MGM2-0012-00000.mp3")});
    }
    // Re-confirming a row's own name is no duplicate.
    ui.messages.clear();
    EXPECT_TRUE(compose(complete(Magnetartikel), own));
    EXPECT_TRUE(ui.messages.empty());
}

} // namespace
} // namespace tonarion
