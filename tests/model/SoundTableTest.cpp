#include "model/SoundTable.h"

#include "model/SoundFileDrop.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

using Texts = std::vector<std::string>;

SoundTable tableWithNames(std::initializer_list<const char*> names) {
    SoundTable table;
    for (const char* name : names) {
        table.appendEntry(SoundEntry{.entryName = name, .sourcePath = std::string("/") + name});
    }
    return table;
}

Texts column(const SoundTable& table, Column col) {
    Texts texts;
    for (int row = 1; row <= table.nextRow(); ++row) {
        texts.push_back(table.cellText(row, col));
    }
    return texts;
}

TEST(SoundTableTest, SortingAlternatesDirectionIgnoringCaseAndKeepsTheEmptyRowLast) {
    SoundTable table = tableWithNames({"b", "Ärger", "A", "c", "äpfel"});
    table.sortByColumn(Column::Filename);
    EXPECT_EQ(column(table, Column::Filename), (Texts{"Ärger", "äpfel", "c", "b", "A", ""}));
    table.sortByColumn(Column::Pfad); // another column sorts the other way round
    EXPECT_EQ(column(table, Column::Filename), (Texts{"A", "b", "c", "äpfel", "Ärger", ""}));
    EXPECT_EQ(column(table, Column::Nr), (Texts{"1", "2", "3", "4", "5", "6"}));
    table.sortByColumn(Column::Ereignis); // equal (empty) texts keep their order
    EXPECT_EQ(column(table, Column::Filename), (Texts{"A", "b", "c", "äpfel", "Ärger", ""}));
    EXPECT_THROW(table.removeRow(table.nextRow()), std::out_of_range); // the empty row stays
}

TEST(SoundFileDropTest, ANonMp3FileOrAControlCharacterStopsTheDropAfterTheFilesBeforeIt) {
    const auto notMp3 = DropResult::Stop::NotAnMp3;
    const auto control = DropResult::Stop::ControlCharacter;
    const auto none = DropResult::Stop::None;
    const struct {
        std::optional<std::vector<std::string>> drop;
        Texts added; // the paths of the rows it adds
        DropResult::Stop stop;
    } cases[] = {
        // The extension is everything after the last dot, in either letter case.
        {{{"/a.Mp3", "/b.mp3.bak", "/c.mp3"}}, {"/a.Mp3"}, notMp3},
        {{{"/Alte.mp3/Pfiff"}}, {}, notMp3},
        {{{"/Pfiff"}}, {}, notMp3},
        {{{"/a.mp3", "/zeile\numbruch.mp3", "/c.mp3"}}, {"/a.mp3"}, control},
        {{{std::string("/nul\0.mp3", 9)}}, {}, control},
        {{{"/del\x7F.mp3"}}, {}, control},
        {{{"/zeile\n.txt", "/c.mp3"}}, {}, notMp3}, // fails both: not an MP3 says it all
        {{{"/Grüße.alt/ärger.mp3", "/b.MP3"}}, {"/Grüße.alt/ärger.mp3", "/b.MP3"}, none},
        {std::nullopt, {}, none}, // data without a file list
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.drop ? c.drop->back() : "no file list");
        SoundTable table = tableWithNames({"one"});
        const DropResult dropped = DropFiles(table, c.drop);
        EXPECT_EQ(dropped.added, static_cast<int>(c.added.size()));
        Texts paths = {"/one"};
        paths.insert(paths.end(), c.added.begin(), c.added.end());
        paths.push_back("");
        EXPECT_EQ(column(table, Column::Pfad), paths);
        EXPECT_EQ(dropped.stoppedBy, c.stop);
    }
}

} // namespace
} // namespace tonarion
