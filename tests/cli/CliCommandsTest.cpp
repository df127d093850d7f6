#include "cli/CliCommands.h"

#include "TonarionVersion.h"
#include "cli/JsonWriter.h"
#include "storage/IndexFile.h"
#include "storage/platform/SystemPlatform.h"
#include "support/FakeDrives.h"
#include "support/FakeSoundInspector.h"
#include "support/FileBytes.h"
#include "support/SoundFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <sstream>

namespace tonarion {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::writeBytes;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

// tonarion-cli on a stick folder and a music folder in a fresh temporary folder.
class CliTest : public ::testing::Test {
protected:
    CliTest() {
        fs::create_directories(m_work.path("stick"));
        fs::create_directories(m_work.path("music"));
    }

    Outcome run(std::vector<std::string> words) {
        std::ostringstream out;
        std::ostringstream err;
        CliEnvironment environment{*m_files, m_drives, m_work.root.string(), out, err, sounds};
        const int status = runCli(words, environment);
        return {status, out.str(), err.str()};
    }

    std::string music(const std::string& name) {
        const std::string path = m_work.path("music/" + name);
        if (!fs::exists(path)) {
            writeBytes(path, "sound " + name);
        }
        return path;
    }
    std::string onStick(const std::string& name) const { return m_work.path("stick/" + name); }

    // Binds a new file (named after its choices) and returns the entry name printed.
    std::string bindFile(const std::vector<std::string>& choices) {
        std::string name;
        for (const auto& word : choices) {
            name += word;
        }
        std::vector<std::string> words = {"bind", stick, "--file", music(name + ".mp3")};
        words.insert(words.end(), choices.begin(), choices.end());
        const Outcome bound = run(words);
        EXPECT_EQ(bound.status, 0) << name << ": " << bound.err;
        return bound.out.empty() ? "" : bound.out.substr(0, bound.out.size() - 1);
    }

    // Every file of the stick (or of another folder of the work) with its bytes.
    std::map<std::string, std::string> stickBytes(const std::string& folder = "stick") const {
        return m_work.filesIn(folder);
    }

    testing::TempFolder m_work{std::string("tonarion-cli-") +
                               ::testing::UnitTest::GetInstance()->current_test_info()->name()};
    const std::string stick = m_work.path("stick");
    testing::FakeSoundInspector sounds;

private:
    std::unique_ptr<FileOperations> m_files = makeSystemFileOperations();
    testing::FakeDrives m_drives;
};

TEST_F(CliTest, ExitStatusSaysWhatHappened) {
    ASSERT_EQ(run({"init", stick}).status, 0);
    bindFile({"--event", "M", "--status", "G", "--mode", "M", "--prio", "2", "--adr1", "12"});
    const auto before = stickBytes();
    struct Case {
        std::vector<std::string> words;
        int status;
        std::string says; // part of stdout when it succeeds, else all of stderr
    };
    const std::vector<Case> cases = {
        {{"--help"}, 0, "Commands:"},
        {{"-h"}, 0, "Commands:"},
        {{"help"}, 0, "Commands:"},
        {{"help", "settings"}, 0, "--endless-address 0-2048"},
        {{"bind", "--help"}, 0, "Usage: tonarion-cli bind STICK"},
        {{"verify", "-h"}, 0, "second setting file"},
        {{"--version"}, 0, std::string("tonarion-cli ") + TonarionVersion + "\n"},
        {{"show", stick}, 0, "MGM2-0012-00000.mp3"},
        {{"verify", stick}, 0, "OK: 7 of 7 files on the stick"},
        {{}, 2, ""},
        {{"frobnicate", stick}, 2, ""},
        {{"help", "frobnicate"}, 2, ""},
        {{"show"}, 2, ""},
        {{"show", stick, "--volume", "3"}, 2, ""},
        {{"show", stick, "--volume"}, 2, ""},
        {{"show", stick, stick}, 2, ""},
        {{"show", stick, "-x"}, 2, ""},
        {{"--version", "show"}, 2, ""},
        {{"delete", stick}, 2, ""},
        {{"delete", stick, "2"}, 2, ""},
        {{"delete", stick, "1", "1"}, 2, ""},
        {{"bind", stick, "--row", "1", "--adr1", "1", "--adr1", "2"}, 2, ""},
        {{"bind", stick, "--file", music("a.mp3"), "--file", music("b.mp3"), "--event", "Z"},
         2,
         ""},
        {{"bind", stick, "--row", "1", "--file", music("a.mp3")}, 2, ""},
        {{"bind", stick, "--row", "2", "--event", "Z", "--mode", "M"}, 2, ""},
        {{"bind", stick, "--row", "1", "--event", "E", "--prio", "2"}, 2, ""},
        {{"bind", stick, "--row", "1", "--status", "B"}, 2, ""},
        // A choice the dialog would ask for is missing: its message, and nothing changes.
        {{"bind", stick, "--file", music("c.mp3"), "--event", "M", "--status", "G", "--mode", "M",
          "--prio", "2"},
         2,
         "Bitte geben Sie die 1. Adresse ein!\n"},
        {{"completion", "zsh"}, 2, ""},
        {{"check"}, 2, ""},
        {{"show", (fs::path(stick) / "nowhere").string()}, 1, ""},
        // Settings are saved all or none.
        {{"settings", stick, "--endless-address", "9999", "--volume", "5"},
         2,
         "Maximal Wert überschritten. Geben Sie eine Adresse zwischen 1 und 2048 ein!\n\n"
         "„Endlosschleife über folgende Magnetartikeladresse ein- und ausschalten“: "
         "Magnetartikeladressen reichen von 1 bis 2048, 9999 liegt außerhalb. 0 steht für keine "
         "Adresse.\n"},
        {{"settings", stick, "--volume", "5", "--model-time", "abc"}, 2, ""},
        {{"settings", stick, "--model-time", "-5", "--volume", "5"}, 2, ""},
        {{"settings", stick, "--stretch", "5x", "--volume", "5"}, 2, ""},
        {{"settings", stick, "--start-time", "07:10", "--volume", "5"}, 2, ""},
        {{"settings", stick, "--clock-sync", "2", "--volume", "5"}, 2, ""},
        {{"settings", stick, "--volume", "32"}, 2, ""},
        {{"settings", stick, "--model-time", "", "--volume", "5"}, 2, ""},
        {{"settings", stick, "--endless-address", "", "--volume", "5"}, 2, ""},
        {{"settings", stick, "--volume", "5", "--volume", "6"}, 2, ""},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const auto& word : c.words) {
            line += word + " ";
        }
        const Outcome outcome = run(c.words);
        EXPECT_EQ(outcome.status, c.status) << line << "\n" << outcome.err;
        if (c.status == 0) {
            EXPECT_NE(outcome.out.find(c.says), std::string::npos) << line;
        } else {
            EXPECT_EQ(outcome.out, "") << line;
            EXPECT_NE(outcome.err, "") << line;
            EXPECT_EQ(c.says.empty() ? outcome.err : c.says, outcome.err) << line;
        }
        EXPECT_EQ(stickBytes(), before) << line;
    }
}

TEST_F(CliTest, BindPrintsTheNameOnlyWhenTheStickHasIt) {
    ASSERT_EQ(run({"init", stick}).status, 0);
    const std::string first =
        bindFile({"--event", "M", "--status", "G", "--mode", "M", "--prio", "2", "--adr1", "12"});
    // The row's old stick file was lost: the bind still does all it was asked.
    fs::remove(onStick(first));
    const Outcome rebound = run({"bind", stick, "--row", "1", "--prio", "3"});
    EXPECT_EQ(rebound.status, 0) << rebound.err;
    EXPECT_EQ(rebound.out, "MGM3-0012-00000.mp3\n");
    EXPECT_EQ(readBytes(onStick("MGM3-0012-00000.mp3")),
              readBytes(music("--eventM--statusG--modeM--prio2--adr112.mp3")));
    EXPECT_EQ(run({"verify", stick}).status, 0);

    // A sound that cannot reach the stick.
    const Outcome lost =
        run({"bind", stick, "--file", (fs::path(stick) / ".." / "music" / "gone.mp3").string(),
             "--event", "Z", "--mode", "M"});
    EXPECT_EQ(lost.status, 1);
    EXPECT_EQ(lost.out, "");
    EXPECT_NE(lost.err, "");
}

TEST_F(CliTest, BindRowChangesOnlyTheChoicesGiven) {
    ASSERT_EQ(run({"init", stick}).status, 0);
    struct Case {
        std::vector<std::string> bound;
        std::vector<std::string> change;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {{"--event", "M", "--status", "G", "--mode", "M", "--prio", "2", "--adr1", "12"},
         {"--prio", "4"},
         "MGM4-0012-00000.mp3"},
        {{"--event", "R", "--status", "F", "--mode", "O", "--prio", "1", "--adr1", "5", "--adr2",
          "8"},
         {"--adr2", "9"},
         "RFO1-0005-00009.mp3"},
        {{"--event", "R", "--status", "B", "--mode", "M", "--prio", "3", "--adr1", "6"},
         {"--status", "X", "--mode", "O"},
         "RXO3-0006-00000.mp3"},
        {{"--event", "K", "--status", "S", "--mode", "M", "--prio", "3", "--contact-from", "2",
          "--contact-to", "4"},
         {"--status", "A"},
         "KAM3-0002-00004.mp3"},
        {{"--event", "U", "--mode", "O", "--time", "23:45"},
         {"--mode", "M"},
         "UZM_-0096-00000.mp3"},
        {{"--event", "E", "--position", "5"}, {"--position", "9"}, "END_-0009-00000.mp3"},
    };
    int row = 0;
    for (const Case& c : cases) {
        const std::string old = bindFile(c.bound);
        ++row;
        std::vector<std::string> words = {"bind", stick, "--row", std::to_string(row)};
        words.insert(words.end(), c.change.begin(), c.change.end());
        const Outcome rebound = run(words);
        EXPECT_EQ(rebound.status, 0) << old << ": " << rebound.err;
        EXPECT_EQ(rebound.out, c.expected + "\n") << old;
    }
}

TEST_F(CliTest, DeleteTakesTheRowNumbersOfTheTableBeforeIt) {
    ASSERT_EQ(run({"init", stick}).status, 0);
    bindFile({"--event", "M", "--status", "G", "--mode", "M", "--prio", "2", "--adr1", "1"});
    bindFile({"--event", "Z", "--mode", "M"});
    bindFile({"--event", "M", "--status", "G", "--mode", "M", "--prio", "2", "--adr1", "3"});
    const std::string third = music("third random.mp3");
    ASSERT_EQ(run({"bind", stick, "--file", third, "--event", "Z", "--mode", "O"}).status, 0);
    ASSERT_EQ(
        run({"bind", stick, "--file", music("fourth random.mp3"), "--event", "Z", "--mode", "O"})
            .status,
        0);
    const Outcome deleted = run({"delete", stick, "4", "2", "1"});
    ASSERT_EQ(deleted.status, 0) << deleted.err;
    const auto files = stickBytes();
    // Left: the turnout of row 3 and the last random sound, which moved down to number 1.
    EXPECT_TRUE(files.contains("MGM2-0003-00000.mp3"));
    EXPECT_EQ(files.at("ZUO_-0001-00000.mp3"), readBytes(music("fourth random.mp3")));
    EXPECT_EQ(files.size(), 2u + 6u + 1u);
    EXPECT_EQ(run({"verify", stick}).status, 0);
}

// Sounds taken over from the stick itself are recorded under the stick's path. When the stick
// comes back under another path and a second stick sits at the old one, each keeps its own
// sounds, through a commit, a deletion that renames and a re-bind.
TEST_F(CliTest, AStickKeepsItsOwnSoundsWhenAnotherStickTakesItsPath) {
    const std::string second = m_work.path("second");
    const std::string moved = m_work.path("moved");
    fs::create_directories(second);
    for (const auto& [folder, text] : {std::pair{stick, "one"}, {second, "number two"}}) {
        writeBytes(folder + "/MGM2-0012-00000.mp3", std::string("turnout of stick ") + text);
        writeBytes(folder + "/ZUM_-0001-00000.mp3", std::string("random 1 of stick ") + text);
        writeBytes(folder + "/ZUM_-0002-00000.mp3", std::string("random 2 of stick ") + text);
        ASSERT_EQ(run({"init", folder}).status, 0);
    }
    fs::rename(stick, moved);
    fs::rename(second, stick);
    const auto secondStick = stickBytes();
    ASSERT_EQ(run({"settings", moved, "--volume", "25"}).status, 0);
    ASSERT_EQ(run({"delete", moved, "2"}).status, 0);
    const Outcome rebound = run({"bind", moved, "--row", "1", "--adr1", "13"});
    ASSERT_EQ(rebound.status, 0) << rebound.err;
    const auto movedStick = stickBytes("moved");
    EXPECT_EQ(movedStick.at("MGM2-0013-00000.mp3"), "turnout of stick one");
    EXPECT_EQ(movedStick.at("ZUM_-0001-00000.mp3"), "random 2 of stick one");
    EXPECT_FALSE(movedStick.contains("MGM2-0012-00000.mp3"));
    EXPECT_FALSE(movedStick.contains("ZUM_-0002-00000.mp3"));
    EXPECT_EQ(stickBytes(), secondStick);
    EXPECT_EQ(run({"verify", moved}).status, 0);
    const std::string& index = movedStick.at("tonkat.tkx");
    EXPECT_NE(index.find(";" + (fs::path(moved) / "ZUM_-0001-00000.mp3").string()),
              std::string::npos)
        << index;
}

TEST_F(CliTest, SettingsSaveTheValuesGiven) {
    ASSERT_EQ(run({"init", stick}).status, 0);
    const Outcome saved = run({"settings", stick, "--volume", "5", "--stretch", "7", "--start-time",
                               "23:45", "--endless-address", "2048"});
    EXPECT_EQ(saved.status, 0);
    EXPECT_EQ(saved.out + saved.err, ""); // no question, no "-> Ja"
    const auto after = stickBytes();
    for (const char* name : {"SET_-0001-00005.mp3", "SET_-0002-00180.mp3", "SET_-0003-00095.mp3",
                             "SET_-0004-00007.mp3", "SET_-0006-02048.mp3"}) {
        EXPECT_TRUE(after.contains(name)) << name;
    }
    EXPECT_FALSE(after.contains("SET_-0001-00021.mp3"));
}

TEST_F(CliTest, ReadingCommandsNeverWriteAndRepairDoes) {
    ASSERT_EQ(run({"init", stick}).status, 0);
    bindFile({"--event", "Z", "--mode", "M"});
    const std::string index = readBytes(onStick("tonkat.tkx"));
    const std::string header = std::string(IndexHeader) + "\r\n";
    struct Case {
        const char* what;
        std::function<void()> spoil;
    };
    const std::vector<Case> cases = {
        {"a sound path relative to the program",
         [&] {
             std::string relative = index;
             const auto at = relative.find(';') + 1;
             relative.replace(at, relative.find('\r', at) - at, "music/relative.mp3");
             writeBytes(onStick("tonkat.tkx"), relative);
         }},
        {"an interrupted commit",
         [&] {
             fs::rename(onStick("tonkat.tkx"), onStick("tonkat.tkx.tmp"));
         }},
        {"a lost index file",
         [&] {
             fs::remove(onStick("tonkat.tkx"));
         }},
    };
    for (const Case& c : cases) {
        writeBytes(onStick("tonkat.tkx"), index);
        c.spoil();
        const auto spoilt = stickBytes();
        for (const std::vector<std::string>& words : {std::vector<std::string>{"show", stick},
                                                      {"show", stick, "--json"},
                                                      {"verify", stick},
                                                      {"verify", stick, "--json"},
                                                      {"settings", stick}}) {
            const Outcome outcome = run(words);
            if (words[0] == "show") {
                EXPECT_NE(outcome.out.find("ZUM_-0001-00000.mp3"), std::string::npos) << c.what;
            }
            EXPECT_NE(outcome.err.find("repair"), std::string::npos) << c.what << ": " << words[0];
            EXPECT_EQ(stickBytes(), spoilt) << c.what << ": " << words[0];
        }
        const Outcome repaired = run({"repair", stick});
        EXPECT_EQ(repaired.status, 0) << c.what << ": " << repaired.err;
        EXPECT_EQ(repaired.out, "repaired\n") << c.what;
        EXPECT_EQ(run({"verify", stick}).status, 0) << c.what;
        const Outcome again = run({"show", stick});
        EXPECT_EQ(again.err, "") << c.what;
        EXPECT_EQ(run({"repair", stick}).out, "nothing to repair\n") << c.what;
        fs::remove(onStick("tonkat.tkx.tmp"));
    }
}

// A fresh stick passes its own check, and repair stores everything the check finds that the
// computer's files can mend.
TEST_F(CliTest, AFreshStickPassesItsCheckAndRepairMendsWhatItFinds) {
    ASSERT_EQ(run({"init", stick}).status, 0);
    EXPECT_EQ(run({"verify", stick}).status, 0) << run({"verify", stick}).out;
    const std::string name =
        bindFile({"--event", "M", "--status", "G", "--mode", "M", "--prio", "2", "--adr1", "1"});
    const auto bound = stickBytes();
    fs::remove(onStick(name));
    fs::remove(onStick("SET_-0002-00180.mp3"));
    writeBytes(onStick("SET_-0003-00028.mp3"), "not empty");
    EXPECT_EQ(run({"verify", stick}).status, 1);
    const Outcome repaired = run({"repair", stick});
    EXPECT_EQ(repaired.out, "repaired\n") << repaired.err;
    EXPECT_EQ(run({"verify", stick}).status, 0);
    EXPECT_EQ(stickBytes(), bound);
}

// Random sounds copied by hand keep their numbers, 1 and 3: verify reports the gap, and the
// next writing command closes it as deleting a random row does.
TEST_F(CliTest, RandomSoundsAreNumberedOneToNOnEveryStick) {
    for (const char* name : {"ZUM_-0001-00000.mp3", "ZUM_-0003-00000.mp3"}) {
        writeBytes(onStick(name), std::string("copied ") + name);
    }
    ASSERT_EQ(run({"init", stick}).status, 0);
    const Outcome found = run({"verify", stick});
    EXPECT_EQ(found.status, 1);
    EXPECT_NE(found.out.find("random gap: ZUM_-0003-00000.mp3\n"), std::string::npos) << found.out;
    EXPECT_EQ(bindFile({"--event", "Z", "--mode", "O"}), "ZUO_-0003-00000.mp3");
    const auto files = stickBytes();
    EXPECT_EQ(files.at("ZUM_-0002-00000.mp3"), "copied ZUM_-0003-00000.mp3");
    EXPECT_EQ(files.at("ZUO_-0003-00000.mp3"), readBytes(music("--eventZ--modeO.mp3")));
    EXPECT_FALSE(files.contains("ZUM_-0003-00000.mp3"));
    EXPECT_EQ(run({"verify", stick}).status, 0);
}

// The index file is Windows-1252: a path it cannot spell is refused with its name, never
// stored as the path of another file. One it can spell goes in as it is.
TEST_F(CliTest, APathTheIndexCannotSpellIsRefusedByName) {
    ASSERT_EQ(run({"init", stick}).status, 0);
    const std::string index = readBytes(onStick("tonkat.tkx"));
    fs::create_directories(m_work.path("music/Łódź"));
    const std::string polish = m_work.path("music/Łódź/pfiff€.mp3");
    writeBytes(polish, "pfiff");
    const Outcome refused = run({"bind", stick, "--file", polish, "--event", "Z", "--mode", "M"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find(polish), std::string::npos) << refused.err;
    EXPECT_EQ(readBytes(onStick("tonkat.tkx")), index);
    const std::string german = music("Grüße €.mp3");
    EXPECT_EQ(bindFile({"--event", "Z", "--mode", "M"}), "ZUM_-0001-00000.mp3");
    const Outcome bound = run({"bind", stick, "--file", german, "--event", "Z", "--mode", "O"});
    ASSERT_EQ(bound.status, 0) << bound.err;
    EXPECT_NE(run({"show", stick}).out.find(german), std::string::npos);
}

TEST_F(CliTest, VerifyFindsWhatTheIndexDoesNotSay) {
    ASSERT_EQ(run({"init", stick}).status, 0);
    bindFile({"--event", "M", "--status", "G", "--mode", "M", "--prio", "2", "--adr1", "1"});
    const std::string second = bindFile({"--event", "Z", "--mode", "M"});
    const std::string third = bindFile({"--event", "Z", "--mode", "O"});
    ASSERT_EQ(run({"verify", stick}).status, 0);
    fs::remove(onStick("MGM2-0001-00000.mp3"));
    writeBytes(onStick(second), "another sound");
    fs::remove(onStick(third));
    fs::remove(music("--eventZ--modeO.mp3"));
    writeBytes(onStick("KAM1-0001-00002.mp3"), "");
    writeBytes(onStick("SET_-0001-00030.mp3"), "");
    writeBytes(onStick("tonkat.tkx.tmp"), "Tonarion");
    const Outcome outcome = run({"verify", stick});
    EXPECT_EQ(outcome.status, 1);
    for (const char* line :
         {"missing sound: MGM2-0001-00000.mp3\n", "changed sound: ZUM_-0001-00000.mp3\n",
          "sound not found: ZUO_-0002-00000.mp3\n", "not in index: KAM1-0001-00002.mp3\n",
          "second setting file: SET_-0001-00030.mp3\n", "temporary file: tonkat.tkx.tmp\n"}) {
        EXPECT_NE(outcome.out.find(line), std::string::npos) << line << outcome.out;
    }
}

TEST(JsonStringTest, EveryTextBecomesAValidString) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"C:\\Musik\\\"pfiff\".mp3", R"("C:\\Musik\\\"pfiff\".mp3")"},
        {"GRÜN", "\"GRÜN\""},
        {"a\r\nb\tc\x01", R"("a\r\nb\tc\u0001")"},
        {"\xfc"
         "ber",
         "\"\uFFFD"
         "ber\""},                                  // Windows-1252 ü, not UTF-8
        {"\xed\xa0\x80", "\"\uFFFD\uFFFD\uFFFD\""}, // a UTF-16 surrogate
    };
    for (const auto& [text, json] : cases) {
        EXPECT_EQ(jsonString(text), json) << json;
    }
}

TEST_F(CliTest, CheckTellsPerFileWhatItHoldsAndFailsOnAFileThatWouldNotPlay) {
    const std::string good = music("gut.mp3");
    const std::string wav = music("wav.mp3");
    const std::string cover = music("bild.mp3");
    sounds.findings[wav] = testing::FakeSoundInspector::renamedWav();
    sounds.findings[cover] = testing::FakeSoundInspector::goodMp3(75.4);
    sounds.findings[cover].embedsPictures = true;
    sounds.findings[cover].id3v2Size = 3108;

    const Outcome fine = run({"check", good, cover});
    EXPECT_EQ(fine.status, 0) << fine.err;
    EXPECT_EQ(fine.out, good + ": OK, MPEG-1 Layer III, 44,1 kHz, 128 kbit/s, Stereo, 0:03\n" +
                            cover +
                            ": OK, MPEG-1 Layer III, 44,1 kHz, 128 kbit/s, Stereo, 1:15, ID3v2 "
                            "3108 bytes\n    " +
                            soundHints(sounds.findings[cover]).at(0) + "\n");

    const Outcome bad = run({"check", good, wav, "--json"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.out.find("{\"ok\":false,\"files\":[{\"file\":" + jsonString(good) +
                           ",\"checked\":true,\"valid\":true,"),
              std::string::npos)
        << bad.out;
    EXPECT_NE(bad.out.find("\"mpegVersion\":\"1\",\"layer\":3,\"sampleRate\":44100,\"bitrate\":"
                           "128,\"variableBitrate\":false,\"channels\":2,\"milliseconds\":3000"),
              std::string::npos)
        << bad.out;
    EXPECT_NE(bad.out.find("{\"file\":" + jsonString(wav) +
                           ",\"checked\":true,\"valid\":false,\"mpegAudio\":false,"),
              std::string::npos)
        << bad.out;
}

TEST_F(CliTest, BindingAFileThatWouldNotPlayWarnsButBindsIt) {
    ASSERT_EQ(run({"init", stick}).status, 0);
    const std::string wav = music("wav.mp3");
    sounds.findings[wav] = testing::FakeSoundInspector::renamedWav();
    const Outcome bound = run({"bind", stick, "--file", wav, "--event", "Z", "--mode", "M"});
    EXPECT_EQ(bound.status, 0) << bound.err;
    EXPECT_EQ(bound.out, "ZUM_-0001-00000.mp3\n");
    EXPECT_NE(bound.err.find(std::string(
                  "Diese Dateien sind keine gültigen MP3-Dateien und werden vom Soundmodul "
                  "vermutlich nicht abgespielt:")),
              std::string::npos)
        << bound.err;
    EXPECT_NE(bound.err.find("wav.mp3"), std::string::npos);

    // show --json tells each row's format as far as the headers say it.
    ASSERT_EQ(
        run({"bind", stick, "--file", music("gut.mp3"), "--event", "Z", "--mode", "M"}).status, 0);
    const std::string json = run({"show", stick, "--json"}).out;
    EXPECT_NE(json.find("\"format\":null,\"milliseconds\":null}"), std::string::npos) << json;
    EXPECT_NE(json.find("\"format\":\"MPEG-1 Layer III, 44,1 kHz, 128 kbit/s, Stereo, "
                        "0:03\",\"milliseconds\":3000}"),
              std::string::npos)
        << json;
}

TEST_F(CliTest, ExportWritesTheListAsCsvAndOnlyReadsTheStick) {
    ASSERT_EQ(run({"init", stick}).status, 0);
    const std::string random = music("zufall.mp3");
    ASSERT_EQ(run({"bind", stick, "--file", random, "--event", "Z", "--mode", "O"}).status, 0);
    // A semicolon in a path is quoted. Windows allows no quote mark in a file name, and the
    // test writes its files under narrow names, which Windows reads in its ANSI code page.
    const std::string pfiff = music("Pfiff; Gleis 1.mp3");
    ASSERT_EQ(run({"bind", stick, "--file", pfiff, "--event", "M", "--status", "G", "--mode", "M",
                   "--prio", "2", "--adr1", "12"})
                  .status,
              0);
    const auto before = stickBytes();
    const std::string csv = m_work.path("liste.csv");
    const Outcome exported = run({"export", stick, "--csv", csv});
    EXPECT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(stickBytes(), before);
    EXPECT_EQ(readBytes(csv),
              "\xEF\xBB\xBFNR;Filename;Pfad;Ereigniss;Status;Modus;Priorität /Ausblendzeit;"
              "Adresse 1. /von;Adresse 2. /bis;Beschreibung\r\n"
              "2;MGM2-0012-00000.mp3;\"" +
                  pfiff +
                  "\";Magnetartikel;GRÜN;MIT ERLAUBNIS;2;0012;00000;\"Magnetartikel 12, grün, "
                  "Priorität 2, unterbrechbar – Pfiff; Gleis 1.mp3\"\r\n"
                  "1;ZUO_-0001-00000.mp3;" +
                  random +
                  ";Zufällige Wiedergabe;_;OHNE ERLAUBNIS;_;0001;00000;Zufällige Wiedergabe 1, "
                  "nicht unterbrechbar – zufall.mp3\r\n");

    EXPECT_EQ(run({"export", stick}).status, 2);
    EXPECT_EQ(run({"export", stick, "--csv", csv, "--json"}).status, 2);
    const Outcome nowhere = run({"export", stick, "--csv", m_work.path("nowhere/liste.csv")});
    EXPECT_EQ(nowhere.status, 1);
    EXPECT_NE(nowhere.err.find("nowhere/liste.csv"), std::string::npos) << nowhere.err;
}

} // namespace
} // namespace tonarion
