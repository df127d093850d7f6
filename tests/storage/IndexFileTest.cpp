#include "storage/IndexFile.h"

#include "support/StickFixture.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

using namespace testing;
using namespace std::string_literals;

TEST(IndexFileParseTest, TellsLinesApartByTheirShape) {
    const std::string bytes = "SET_-0003-00028.mp3\n"
                              "MGM2-0012-00000.mp3;C:\\Musik\\pfiff.mp3\r\n"
                              "\r\n"
                              "Tonarion-Inhalt - Veltrako Ruzirovuza GmbH\r\n"
                              "KSM4-0001-00010.mp3xxxx;D:\\a.mp3\r\n" // ";" at position 24
                              "KSM4-0001-000;C:\\short.mp3\r\n"       // ";" at position 14
                              "SET_-0007-00001.mp3\r\n"
                              "SET_-0016-00005.mp3\r\n"
                              "SET_-0003-00040.mp3\r"
                              "MGM2-0012-00000.mp3;C:\\Musik\\pfiff.mp3";
    const IndexContent content = parseIndexFile(bytes);
    ASSERT_EQ(content.entries.size(), 3u);
    EXPECT_EQ(content.entries[0].entryName, "MGM2-0012-00000.mp3");
    EXPECT_EQ(content.entries[0].sourcePath, "C:\\Musik\\pfiff.mp3");
    EXPECT_EQ(content.entries[1].entryName, "KSM4-0001-00010.mp3");
    EXPECT_EQ(content.entries[1].sourcePath, "xxx;D:\\a.mp3");
    EXPECT_EQ(content.settings[Setting::StartTime], "SET_-0003-00040.mp3"); // the later line
    EXPECT_EQ(content.settings[Setting::EndlessAddress], "SET_-0016-00005.mp3");
    EXPECT_EQ(content.settings[Setting::Volume], "");
}

TEST(IndexFileParseTest, ReadsWindows1252AndWritesItBackByteForByte) {
    const std::string bytes =
        indexWith({"MGM2-0012-00000.mp3;C:\\Gr\xFC\xDF\x65\\\xC4rger.mp3", "SET_-0001-00021.mp3"});
    const IndexContent content = parseIndexFile(bytes);
    EXPECT_EQ(content.entries[0].sourcePath, "C:\\Grüße\\Ärger.mp3");
    EXPECT_EQ(composeIndexFile({content.entries[0]}, content.settings, {}), bytes);
}

TEST(IndexFileParseTest, HostileLinesAreIgnoredAndOddFilesStillRead) {
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<std::string> names;
        std::vector<std::string> paths;
    };
    const Case cases[] = {
        {"names reaching out of the root",
         "../sentinel-000.mp3;a\r\n..\\sentinel-000.mp3;a\r\n/tmp/tnabcdef/S.mp3;a\r\n"
         "C:MGM2-0012-000.mp3;a\r\nMGM2-0012-00000.mp3;../../a.mp3\r\n",
         {"MGM2-0012-00000.mp3"},
         {"../../a.mp3"}},
        {"a NUL or a tab in the name",
         "MGM2-\0"
         "012-00000.mp3;a\r\nMGM2\t0012-00000.mp3;b"s,
         {},
         {}},
        {"only CR line ends",
         "Tonarion-Inhalt - Veltrako Ruzirovuza GmbH\rMGM2-0012-00000.mp3;a\r"
         "MRM2-0012-00000.mp3;b",
         {"MGM2-0012-00000.mp3", "MRM2-0012-00000.mp3"},
         {"a", "b"}},
        {"a byte order mark: UTF-8 text",
         "\xEF\xBB\xBFTonarion-Inhalt - Veltrako Ruzirovuza GmbH\r\n"
         "MGM2-0012-00000.mp3;C:\\Gr\xC3\xBC\xC3\x9F\x65.mp3\r\n"
         "MRM2-0012-00000.mp3;C:\\\xFC.mp3\r\n",
         {"MGM2-0012-00000.mp3", "MRM2-0012-00000.mp3"},
         {"C:\\Grüße.mp3", "C:\\ü.mp3"}},
    };
    for (const auto& c : cases) {
        const IndexContent content = parseIndexFile(c.bytes);
        std::vector<std::string> names;
        std::vector<std::string> paths;
        for (const auto& entry : content.entries) {
            names.push_back(entry.entryName);
            paths.push_back(entry.sourcePath);
        }
        EXPECT_EQ(names, c.names) << c.what;
        EXPECT_EQ(paths, c.paths) << c.what;
    }
    const IndexContent settings =
        parseIndexFile("SET_-0001/../../S.mp3\r\nSET_-0006-\\..\\S.mp3\r\nSET_-0002-00180.mp3\n");
    EXPECT_EQ(settings.settings[Setting::Volume], "");
    EXPECT_EQ(settings.settings[Setting::EndlessAddress], "");
    EXPECT_EQ(settings.settings[Setting::ModelTime], "SET_-0002-00180.mp3");
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
    EXPECT_EQ(underProgramFolder("/opt/tonarion", "sounds/a.mp3"), "/opt/tonarion/sounds/a.mp3");
}

using IndexReadTest = StickFixture;

TEST_F(IndexReadTest, FreshFileGivesAnEmptyTable) {
    loadStick({});
    EXPECT_EQ(session.table.nextRow(), 1);
    EXPECT_EQ(session.counters.total(), 0);
    EXPECT_EQ(session.settings.StoredSettings[Setting::Volume], "SET_-0001-00021.mp3");
    EXPECT_EQ(session.settings.CurrentSettings, session.settings.StoredSettings);
    EXPECT_TRUE(files.writes.empty());
}

TEST_F(IndexReadTest, OnlyRelativePathsArePutBehindTheProgramFolder) {
    loadStick({"MGM2-0012-00000.mp3;/stick/MGM2-0012-00000.mp3",
               "MRM2-0012-00000.mp3;D:\\Musik\\pfiff.mp3", "MXM2-0012-00000.mp3;"});
    EXPECT_TRUE(files.writes.empty()) << "no rewrite without a relative path";

    files.writes.clear();
    loadStick({"MGM2-0012-00000.mp3;sounds/pfiff.mp3", "MRM2-0012-00000.mp3;\\\\nas\\a.mp3"});
    EXPECT_EQ(row(1).sourcePath, "/opt/tonarion/sounds/pfiff.mp3");
    EXPECT_EQ(row(2).sourcePath, "\\\\nas\\a.mp3");
    EXPECT_EQ(index(),
              indexWith({"MGM2-0012-00000.mp3;/opt/tonarion/sounds/pfiff.mp3",
                         "MRM2-0012-00000.mp3;\\\\nas\\a.mp3", "SET_-0001-00021.mp3",
                         "SET_-0002-00180.mp3", "SET_-0003-00028.mp3", "SET_-0004-00002.mp3",
                         "SET_-0005-00000.mp3", "SET_-0006-00000.mp3"}));
    EXPECT_FALSE(files.has(Root + IndexTempName));
    EXPECT_FALSE(session.SaveNeeded);
}

TEST_F(IndexReadTest, RewriteKeepsEntriesWithoutSourceAndEmptySettings) {
    files.addFile(
        Root + IndexFileName,
        indexWith({"MGM2-0012-00000.mp3;", "KSM4-0001-00010.mp3;rel.mp3", "SET_-0002-00180.mp3"}));
    workspace.load("/opt/tonarion");
    EXPECT_EQ(index(),
              indexWith({"MGM2-0012-00000.mp3;", "KSM4-0001-00010.mp3;/opt/tonarion/rel.mp3", "",
                         "SET_-0002-00180.mp3", "", "", "", ""}));
}

TEST_F(IndexReadTest, AFullGroupIsReportedOncePerLoad) {
    std::string bytes = indexWith({});
    for (int i = 0; i < 300; ++i) {
        bytes += "KSM4-0001-00010.mp3;/a.mp3\r\nMGM2-0012-00000.mp3;/b.mp3\r\n";
    }
    files.addFile(Root + IndexFileName, bytes);
    for (int load = 0; load < 2; ++load) {
        ui.messages.clear();
        ASSERT_EQ(workspace.load("/opt"), IndexReadResult::Read);
        EXPECT_EQ(session.table.entryCount(), 600);
        EXPECT_EQ(ui.texts(),
                  (std::vector<std::string>{"Maximale Anzahl (63) an Samples erreicht",
                                            "Maximale Anzahl (255) an Samples erreicht"}));
    }
}

TEST_F(IndexReadTest, RowNumbersGoBeyondSixteenBits) {
    std::string bytes = indexWith({});
    for (int i = 0; i < 33000; ++i) {
        bytes += "mgm2-0012-00000.mp3;/m/a.mp3\r\n";
    }
    files.addFile(Root + IndexFileName, bytes + "SET_-0001-00025.mp3\r\n");
    ASSERT_EQ(workspace.load("/opt"), IndexReadResult::Read);
    EXPECT_EQ(session.table.nextRow(), 33001);
    EXPECT_EQ(session.table.cellText(33000, Column::Nr), "33000");
    EXPECT_EQ(session.settings.CurrentSettings[Setting::Volume], "SET_-0001-00025.mp3");
}

TEST_F(IndexReadTest, APulledStickEndsTheProgramWithAMessage) {
    files.pullFolder(Root);
    EXPECT_EQ(workspace.load("/opt"), IndexReadResult::DriveNotReady);
    EXPECT_EQ(ui.texts(), std::vector<std::string>{
                              "Falsches Laufwerk ausgewählt.\r\n\r\nDas Programm wird beendet!"});
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Critical);

    Session other;
    other.stickRoot = Music; // readable, but without an index file
    RecordingUserInterface quiet;
    EXPECT_EQ(IndexLesen(other, files, quiet, "/opt"), IndexReadResult::Unreadable);
    EXPECT_TRUE(quiet.messages.empty());
}

} // namespace
} // namespace tonarion
