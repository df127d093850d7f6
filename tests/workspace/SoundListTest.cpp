#include "workspace/SoundList.h"

#include "support/StickFixture.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

using namespace testing;

using SoundListTest = StickFixture;

// Each group as "Title: EntryName EntryName ...", the groups joined by " | ".
std::string layoutOf(const SoundList& list) {
    std::string text;
    for (const SoundListGroup& group : list.groups) {
        text += (text.empty() ? "" : " | ") + group.title + ":";
        for (const SoundListLine& line : group.lines) {
            text += " " + (line.entry.isBound() ? line.entry.entryName : line.entry.sourcePath);
        }
    }
    return text;
}

TEST_F(SoundListTest, EachEntryReadsAsAnOperatorWouldSayIt) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"MGM2-0012-00000.mp3;/m/pfiff.mp3",
         "Magnetartikel 12, grün, Priorität 2, unterbrechbar – pfiff.mp3"},
        {"RBO1-0005-00008.mp3;/m/belegt.mp3",
         "Rückmeldung 5 bis 8, belegt, Priorität 1, nicht unterbrechbar – belegt.mp3"},
        {"L1M3-0007-20002.mp3;/m/zug.mp3", "ZIDAS Empfänger 7, ausführen bei Fahrt von S1 nach "
                                           "S2, Zugkategorie 2, Priorität 3, unterbrechbar – "
                                           "zug.mp3"},
        {"LXO1-0012-01234.mp3;/m/lok.mp3", "ZIDAS Empfänger 12, Aktion ist "
                                           "Fahrtrichtungsunabhängig, Lok 1234, Priorität 1, "
                                           "nicht unterbrechbar – lok.mp3"},
        {"L2M1-0003-00000.mp3;/m/keine.mp3",
         "ZIDAS Empfänger 3, ausführen bei Fahrt von S2 nach S1, Priorität 1, unterbrechbar – "
         "keine.mp3"},
        {"KSM4-0001-00010.mp3;/m/k.mp3",
         "Kontakt 1 bis 10, schließen, Priorität 4, unterbrechbar – k.mp3"},
        {"ZUO_-0001-00000.mp3;/m/z.mp3", "Zufällige Wiedergabe 1, nicht unterbrechbar – z.mp3"},
        {"UZM_-0005-00000.mp3;/m/u.mp3", "Zeitgesteuerte Wiedergabe 01:00, unterbrechbar – u.mp3"},
        {"UZO_-0096-00000.mp3;/m/sp\xE4t.mp3",
         "Zeitgesteuerte Wiedergabe 23:45, nicht unterbrechbar – spät.mp3"},
        {"END_-0012-00000.mp3;/m/e.mp3", "Endlose Wiedergabeschleife 12 – e.mp3"},
        // What the dialog cannot make but a name may carry: the stop option with its fade-out
        // time, a status letter of another kind, and a kind letter in lower case.
        {"MRS7-0003-00000.mp3;/m/stop.mp3",
         "Magnetartikel 3, rot, Ausblendzeit 7, mit Stopereignis – stop.mp3"},
        {"M1M2-0004-00000.mp3;/m/fremd.mp3",
         "Magnetartikel 4, S1 NACH S2, Priorität 2, unterbrechbar – fremd.mp3"},
        {"mGM2-0012-00000.mp3;/m/klein.mp3", "Ohne Ereignis – klein.mp3"},
    };
    std::vector<std::string> lines;
    for (const auto& [line, description] : cases) {
        lines.push_back(line);
    }
    loadStick(lines);
    workspace.dropFiles(std::vector<std::string>{"C:\\Musik\\neu.mp3"});
    for (int row = 1; row <= static_cast<int>(cases.size()); ++row) {
        EXPECT_EQ(describeEntry(this->row(row)), cases[static_cast<std::size_t>(row - 1)].second)
            << cases[static_cast<std::size_t>(row - 1)].first;
    }
    EXPECT_EQ(describeEntry(this->row(static_cast<int>(cases.size()) + 1)),
              "Ohne Ereignis – neu.mp3");
}

TEST_F(SoundListTest, GroupsGoInTheDialogsOrderAndEntriesByAddress) {
    loadStick({
        "ZUM_-0002-00000.mp3;/m/z2.mp3",
        "MGM2-0100-00000.mp3;/m/a.mp3",
        "KOM1-0002-00000.mp3;/m/k.mp3",
        "MGM1-0012-00004.mp3;/m/b.mp3",
        "ZUM_-0001-00000.mp3;/m/z1.mp3",
        "MRM1-0012-00000.mp3;/m/c.mp3",
        "RFM1-0007-00000.mp3;/m/r.mp3",
        "MXO1-0003-00000.mp3;/m/d.mp3",
        "MGM2-0012-00000.mp3;/m/twin.mp3",
        "END_-0001-00000.mp3;/m/e.mp3",
    });
    workspace.dropFiles(std::vector<std::string>{"/m/unbound.mp3"});
    const SoundList list = workspace.soundList();
    EXPECT_EQ(layoutOf(list),
              "Magnetartikel: MXO1-0003-00000.mp3 MRM1-0012-00000.mp3 MGM2-0012-00000.mp3 "
              "MGM1-0012-00004.mp3 MGM2-0100-00000.mp3 | Rückmeldung: RFM1-0007-00000.mp3 | "
              "Kontakt: KOM1-0002-00000.mp3 | Zufällige Wiedergabe: ZUM_-0001-00000.mp3 "
              "ZUM_-0002-00000.mp3 | Endlose Wiedergabeschleife: END_-0001-00000.mp3 | "
              "Ohne Ereignis: /m/unbound.mp3");
    EXPECT_EQ(list.lineCount(), 11);
    // Each line keeps its table row, which the grid shows as NR.
    EXPECT_EQ(list.groups[0].lines[0].row, 8);
    EXPECT_EQ(list.groups[0].lines[2].row, 9);
}

TEST_F(SoundListTest, CsvIsWhatGermanSpreadsheetsOpen) {
    loadStick({
        "ZUM_-0001-00000.mp3;/home/anna/Musik/Zug \xFC"
        "ber Br\xFC"
        "cke.mp3",
        "MGM2-0012-00000.mp3;/home/anna/Musik/Pfiff; \"laut\".mp3",
    });
    const std::string header =
        "\xEF\xBB\xBF"
        "NR;Filename;Pfad;Ereigniss;Status;Modus;Priorität /Ausblendzeit;Adresse 1. /von;"
        "Adresse 2. /bis;Beschreibung\r\n";
    EXPECT_EQ(
        soundListCsv(workspace.soundList()),
        header +
            "2;MGM2-0012-00000.mp3;\"/home/anna/Musik/Pfiff; \"\"laut\"\".mp3\";Magnetartikel;"
            "GRÜN;MIT ERLAUBNIS;2;0012;00000;\"Magnetartikel 12, grün, Priorität 2, "
            "unterbrechbar – Pfiff; \"\"laut\"\".mp3\"\r\n"
            "1;ZUM_-0001-00000.mp3;/home/anna/Musik/Zug über Brücke.mp3;Zufällige Wiedergabe;_;"
            "MIT ERLAUBNIS;_;0001;00000;Zufällige Wiedergabe 1, unterbrechbar – Zug über "
            "Brücke.mp3\r\n");

    // A line break in a field stays inside its quotes; an empty table is the header alone.
    SoundTable table;
    table.appendEntry({.sourcePath = "/m/zwei\r\nZeilen.mp3"});
    table.appendEntry({.sourcePath = "/m/\"laut\".mp3"}); // a quote mark alone is quoted too
    const std::string csv = soundListCsv(soundListOf(table));
    EXPECT_NE(csv.find(";\"/m/zwei\r\nZeilen.mp3\";"), std::string::npos);
    EXPECT_NE(csv.find(";\"/m/\"\"laut\"\".mp3\";"), std::string::npos) << csv;
    EXPECT_EQ(soundListCsv(soundListOf(SoundTable())), header);
}

TEST_F(SoundListTest, ARowBoundNowListsAsTheSameRowLoaded) {
    // The event dialog's spellings, which the grid keeps until the next start.
    SoundTable bound;
    bound.appendEntry({.entryName = "L1M3-0007-20002.mp3",
                       .sourcePath = "/m/zug.mp3",
                       .eventText = "ZIDAS Empfänger",
                       .statusText = "S1 NACH S2",
                       .modeText = "MIT ERLAUBNISS",
                       .prioText = "3",
                       .address1 = "0007",
                       .address2 = "20002"});
    loadStick({"L1M3-0007-20002.mp3;/m/zug.mp3"});
    const std::string loaded = soundListCsv(workspace.soundList());
    EXPECT_NE(loaded.find(";MIT ERLAUBNIS;"), std::string::npos) << loaded;
    EXPECT_EQ(soundListCsv(soundListOf(bound)), loaded);
}

} // namespace
} // namespace tonarion
