#include "model/SoundTable.h"

#include "model/SoundFileDrop.h"
#include "support/RecordingUserInterface.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

using testing::RecordingUserInterface;

SoundTable tableWithNames(std::initializer_list<const char*> names) {
    SoundTable table;
    for (const char* name : names) {
        table.appendEntry(SoundEntry{.entryName = name, .sourcePath = std::string("/") + name});
    }
    return table;
}

std::vector<std::string> column(const SoundTable& table, Column col) {
    std::vector<std::string> texts;
    for (int row = 1; row <= table.nextRow(); ++row) {
        texts.push_back(table.cellText(row, col));
    }
    return texts;
}

using Texts = std::vector<std::string>;

TEST(SoundTableTest, AlwaysEndsWithANumberedEmptyRow) {
    SoundTable table;
    EXPECT_EQ(table.nextRow(), 1);
    EXPECT_EQ(column(table, Column::Nr), Texts{"1"});
    table = tableWithNames({"a", "b", "c"});
    table.removeRow(2);
    EXPECT_EQ(column(table, Column::Nr), (Texts{"1", "2", "3"}));
    EXPECT_EQ(column(table, Column::Filename), (Texts{"a", "c", ""}));
    EXPECT_THROW(table.removeRow(table.nextRow()), std::out_of_range);
}

TEST(SoundTableTest, SortingAlternatesDirectionIgnoringCaseAndKeepsTheEmptyRowLast) {
    SoundTable table = tableWithNames({"b", "Ärger", "A", "c", "äpfel"});
    table.sortByColumn(Column::Filename);
    EXPECT_EQ(column(table, Column::Filename), (Texts{"Ärger", "äpfel", "c", "b", "A", ""}));
    table.sortByColumn(Column::Pfad); // another column sorts the other way round
    EXPECT_EQ(column(table, Column::Filename), (Texts{"A", "b", "c", "äpfel", "Ärger", ""}));
    EXPECT_EQ(column(table, Column::Nr), (Texts{"1", "2", "3", "4", "5", "6"}));
}

TEST(SoundTableTest, EqualTextsKeepTheirOrder) {
    SoundTable table;
    for (const char* path : {"1", "2", "3"}) {
        table.appendEntry(SoundEntry{.sourcePath = path, .eventText = "Kontakt"});
    }
    table.sortByColumn(Column::Ereignis);
    EXPECT_EQ(column(table, Column::Pfad), (Texts{"1", "2", "3", ""}));
}

TEST(SoundTableTest, FindsAnotherRowWithTheSameName) {
    const SoundTable table = tableWithNames({"x", "y", "x"});
    EXPECT_EQ(table.rowWithEntryName("x", 1), 3);
    EXPECT_EQ(table.rowWithEntryName("y", 2), std::nullopt);
    EXPECT_EQ(table.rowWithEntryName("", 0), std::nullopt);
}

TEST(SoundFileDropTest, ExtensionIsEverythingAfterTheLastDotInUpperCase) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"C:\\Musik\\Pfiff.mp3", "MP3"},
        {"C:\\Musik\\Pfiff.Mp3", "MP3"},
        {"/home/anna/Pfiff.MP3", "MP3"},
        {"C:\\Musik\\Pfiff.mp3.bak", "BAK"},
        {"C:\\Alte.Sounds\\Pfiff", "SOUNDS\\PFIFF"},
        {"C:\\Musik\\Pfiff", std::nullopt},
        {"Pfiff.", ""},
    };
    for (const auto& [path, extension] : cases) {
        EXPECT_EQ(FileExtension(path), extension) << path;
    }
}

TEST(SoundFileDropTest, ANonMp3FileStopsTheDropAfterTheFilesBeforeIt) {
    SoundTable table = tableWithNames({"one", "two"});
    RecordingUserInterface ui;
    EXPECT_EQ(DropFiles(table, std::vector<std::string>{"A.mp3", "B.txt", "C.mp3"}, ui), 1);
    EXPECT_EQ(column(table, Column::Pfad), (Texts{"/one", "/two", "A.mp3", ""}));
    EXPECT_EQ(ui.texts(), Texts{"Eine oder mehr Dateien entsprechen nicht dem .MP3 Format!"});
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Information);

    DropFiles(table, std::vector<std::string>{"D.mp3"}, ui);
    EXPECT_EQ(table.row(4).sourcePath, "D.mp3");
    EXPECT_EQ(table.nextRow(), 5);
    EXPECT_TRUE(table.row(4).entryName.empty());
}

TEST(SoundFileDropTest, APathWithAControlCharacterStopsTheDropLikeANonMp3File) {
    const std::string notMp3 = NotMp3Message;
    const std::string control = ControlCharacterMessage;
    struct Case {
        std::vector<std::string> drop;
        int added;
        std::string message;
    };
    const Case cases[] = {
        {{"/a.mp3", "/zeile\numbruch.mp3", "/c.mp3"}, 1, control},
        {{"/a.mp3", std::string("/nul\0.mp3", 9), "/c.mp3"}, 1, control},
        {{"/tab\t.mp3"}, 0, control},
        {{"/del\x7F.mp3"}, 0, control},
        {{"/a.mp3", "/b.txt", "/zeile\n.mp3"}, 1, notMp3},
        {{"/a.mp3", "/zeile\n.txt"}, 1, notMp3}, // fails both: not an MP3 says it all
        {{"/Grüße/ärger.mp3", "/b.mp3"}, 2, ""}, // umlauts are no control characters
    };
    for (const auto& c : cases) {
        SoundTable table;
        RecordingUserInterface ui;
        EXPECT_EQ(DropFiles(table, c.drop, ui), c.added) << c.drop.back();
        EXPECT_EQ(table.nextRow(), c.added + 1);
        EXPECT_EQ(ui.texts(), c.message.empty() ? Texts{} : Texts{c.message}) << c.drop.back();
        if (!c.message.empty()) {
            EXPECT_EQ(ui.messages[0].icon, MessageIcon::Information);
            EXPECT_EQ(ui.messages[0].title, "Tonarion");
        }
    }
    EXPECT_EQ(control, "Der Pfad einer oder mehrerer Dateien enthält Steuerzeichen und kann nicht "
                       "gespeichert werden!");
}

TEST(SoundFileDropTest, DataWithoutAFileListAddsNothing) {
    SoundTable table;
    RecordingUserInterface ui;
    EXPECT_EQ(DropFiles(table, std::nullopt, ui), 0);
    EXPECT_EQ(table.nextRow(), 1);
    EXPECT_TRUE(ui.messages.empty());
}

} // namespace
} // namespace tonarion
