#include "storage/IndexFile.h"

#include "support/StickFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tonarion {
namespace {

using namespace testing;
using namespace std::string_literals;

// The entries of an index file as "NAME;SOURCE" lines, and its settings after a "|".
std::string parsed(std::string_view bytes) {
    const IndexContent content = parseIndexFile(bytes);
    std::string text;
    for (const auto& entry : content.entries) {
        text += entry.entryName + ";" + entry.sourcePath + "\n";
    }
    for (const Setting setting : AllSettings) {
        text += "|" + content.settings[setting];
    }
    return text;
}

TEST(IndexFileParseTest, TellsLinesApartByTheirShapeAndIgnoresHostileOnes) {
    const std::pair<std::string, std::string> cases[] = {
        {"SET_-0003-00028.mp3\n"
         "MGM2-0012-00000.mp3;C:\\Musik\\pfiff.mp3\r\n"
         "\r\n"
         "Tonarion-Inhalt - Veltrako Ruzirovuza GmbH\r\n"
         "KSM4-0001-00010.mp3xxxx;D:\\a.mp3\r\n" // ";" at position 24
         "KSM4-0001-000;a-short-one.mp3\r\n"     // ";" at position 14
         "SET_-0007-00001.mp3\r\n"
         "SET_-0016-00005.mp3\r\n"
         "SET_-0003-00040.mp3\r"
         "MGM2-0012-00000.mp3;C:\\Musik\\pfiff.mp3",
         "MGM2-0012-00000.mp3;C:\\Musik\\pfiff.mp3\nKSM4-0001-00010.mp3;xxx;D:\\a.mp3\n"
         "MGM2-0012-00000.mp3;C:\\Musik\\pfiff.mp3\n|||SET_-0003-00040.mp3|||SET_-0016-00005.mp3"},
        {"../sentinel-000.mp3;a\r\n..\\sentinel-000.mp3;a\r\n/tmp/tnabcdef/S.mp3;a\r\n"
         "C:MGM2-0012-000.mp3;a\r\nMGM2-\0"
         "012-00000.mp3;a\r\nMGM2\t0012-00000.mp3;b\r\nMGM2-0012-00000.mp3;../../a.mp3\r\n"
         "SET_-0001/../../S.mp3\r\nSET_-0006-\\..\\S.mp3\r\nSET_-0002-00180.mp3\n"s,
         "MGM2-0012-00000.mp3;../../a.mp3\n||SET_-0002-00180.mp3||||"},
        {"Tonarion-Inhalt - Veltrako Ruzirovuza GmbH\rMGM2-0012-00000.mp3;a\r"
         "MRM2-0012-00000.mp3;b",
         "MGM2-0012-00000.mp3;a\nMRM2-0012-00000.mp3;b\n||||||"},
        // A byte order mark: UTF-8 text, where it is well-formed.
        {"\xEF\xBB\xBFTonarion-Inhalt - Veltrako Ruzirovuza GmbH\r\n"
         "MGM2-0012-00000.mp3;C:\\Gr\xC3\xBC\xC3\x9F\x65.mp3\r\nMRM2-0012-00000.mp3;C:\\\xFC."
         "mp3\r\n",
         "MGM2-0012-00000.mp3;C:\\Grüße.mp3\nMRM2-0012-00000.mp3;C:\\ü.mp3\n||||||"},
    };
    for (const auto& [bytes, expected] : cases) {
        EXPECT_EQ(parsed(bytes), expected) << bytes;
    }
}

TEST(IndexFileParseTest, ReadsWindows1252AndWritesItBackByteForByte) {
    const std::string bytes =
        indexWith({"MGM2-0012-00000.mp3;C:\\Gr\xFC\xDF\x65\\\xC4rger.mp3", "SET_-0001-00021.mp3"});
    const IndexContent content = parseIndexFile(bytes);
    EXPECT_EQ(content.entries[0].sourcePath, "C:\\Grüße\\Ärger.mp3");
    EXPECT_EQ(composeIndexFile({content.entries[0]}, content.settings, {}), bytes);
}

TEST(IndexFileParseTest, AbsolutePathsOnEveryPlatform) {
    for (const char* path : {"C:\\Musik\\a.mp3", "d:/a.mp3", "\\\\server\\share\\a.mp3",
                             "/home/anna/a.mp3", "\\Musik\\a.mp3"}) {
        EXPECT_TRUE(isAbsoluteSourcePath(path)) << path;
    }
    for (const char* path : {"sounds\\pfiff.mp3", "pfiff.mp3", "C:pfiff.mp3", "./a.mp3", ""}) {
        EXPECT_FALSE(isAbsoluteSourcePath(path)) << path;
    }
    EXPECT_EQ(underProgramFolder("C:\\Tool", "sounds\\pfiff.mp3"), "C:\\Tool\\sounds\\pfiff.mp3");
    EXPECT_EQ(underProgramFolder("C:\\", "pfiff.mp3"), "C:\\pfiff.mp3");
}

using IndexReadTest = StickFixture;

TEST_F(IndexReadTest, OnlyRelativePathsArePutBehindTheProgramFolder) {
    loadStick({"MGM2-0012-00000.mp3;/stick/MGM2-0012-00000.mp3",
               "MRM2-0012-00000.mp3;D:\\Musik\\pfiff.mp3", "MXM2-0012-00000.mp3;"});
    EXPECT_TRUE(files.writes.empty()) << "no rewrite without a relative path";

    // The rewrite keeps entries without a source, and empty settings as empty lines.
    files.addFile(Root + IndexFileName,
                  indexWith({"MGM2-0012-00000.mp3;sounds/pfiff.mp3", "KSM4-0001-00010.mp3;",
                             "MRM2-0012-00000.mp3;\\\\nas\\a.mp3", "SET_-0002-00180.mp3"}));
    ASSERT_EQ(workspace.load("/opt/tonarion"), IndexReadResult::Read);
    EXPECT_EQ(row(1).sourcePath, "/opt/tonarion/sounds/pfiff.mp3");
    EXPECT_EQ(index(), indexWith({"MGM2-0012-00000.mp3;/opt/tonarion/sounds/pfiff.mp3",
                                  "KSM4-0001-00010.mp3;", "MRM2-0012-00000.mp3;\\\\nas\\a.mp3", "",
                                  "SET_-0002-00180.mp3", "", "", "", ""}));
    EXPECT_FALSE(files.has(Root + IndexTempName));
    EXPECT_FALSE(session.SaveNeeded());
}

// An index that names one EntryName twice with different sources would have the stick file
// change its sound at every commit: both rows stay, the first one's sound holds the file, and
// the second line is told at loading and by the check.
TEST_F(IndexReadTest, AnEntryNameListedAgainWithAnotherSourceKeepsTheFirstSound) {
    files.addFile("/a.mp3", "sound a", 1000);
    files.addFile("/b.mp3", "sound b", 2000);
    const std::vector<std::string> lines = {"MGM2-0012-00000.mp3;/a.mp3",
                                            "mgm2-0012-00000.mp3;/b.mp3"};
    loadStick(lines);
    EXPECT_EQ(session.table().entryCount(), 2);
    EXPECT_EQ(ui.lastText(),
              std::string(SecondIndexLineMessage) + "\r\n\r\nmgm2-0012-00000.mp3;/b.mp3");
    const auto problems = workspace.checkStick();
    EXPECT_TRUE(std::any_of(problems.begin(), problems.end(), [](const StickProblem& problem) {
        return problem.kind == ProblemKind::SecondIndexLine &&
               problem.file == "mgm2-0012-00000.mp3";
    }));
    for (int commit = 0; commit < 2; ++commit) {
        session.markChanged();
        workspace.commit();
        EXPECT_EQ(files.content(Root + "MGM2-0012-00000.mp3"), "sound a");
    }
}

// Each group's entries beyond its limit are loaded but not counted, and told once per load.
TEST_F(IndexReadTest, AFullGroupIsReportedOnceAndRowsGoBeyondSixteenBits) {
    const std::tuple<std::string, KindGroup, int> groups[] = {
        {"KSM4-0001-00010.mp3", KindGroup::Kontakt, 63},
        {"LXO1-0012-01234.mp3", KindGroup::MRL, 255},
        {"UZM_-0005-00000.mp3", KindGroup::Zeit, 96},
        {"ZUO_-0003-00000.mp3", KindGroup::Zufall, 127},
        {"END_-0012-00000.mp3", KindGroup::Endlos, 127},
    };
    std::string bytes = indexWith({});
    for (int i = 0; i < 6600; ++i) {
        for (const auto& [name, group, limit] : groups) {
            bytes += name + ";/a.mp3\r\n";
        }
    }
    files.addFile(Root + IndexFileName, bytes);
    ASSERT_EQ(workspace.load("/opt"), IndexReadResult::Read);
    std::vector<std::string> told;
    for (const int limit : {63, 96, 127, 127, 255}) {
        told.push_back("Maximale Anzahl (" + std::to_string(limit) + ") an Samples erreicht");
    }
    EXPECT_EQ(ui.texts(), told);
    for (const auto& [name, group, limit] : groups) {
        EXPECT_EQ(session.counters().count(group), limit) << name;
    }
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(ui.messages[0].title, "Tonarion");
    EXPECT_EQ(session.table().nextRow(), 33001);
    EXPECT_EQ(session.table().cellText(33000, Column::Nr), "33000");
}

TEST_F(IndexReadTest, APulledStickEndsTheProgramWithAMessage) {
    session.stick().setRoot("/pulled/");
    EXPECT_EQ(workspace.load("/opt"), IndexReadResult::DriveNotReady);
    ASSERT_EQ(ui.texts(), std::vector<std::string>{
                              "Falsches Laufwerk ausgewählt.\r\n\r\nDas Programm wird beendet!"});
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Critical);

    session.stick().setRoot(Music); // readable, but without an index file
    ui.messages.clear();
    EXPECT_EQ(workspace.load("/opt"), IndexReadResult::Unreadable);
    EXPECT_TRUE(ui.messages.empty());
}

} // namespace
} // namespace tonarion
