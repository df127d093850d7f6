// The command line's own contract: exit statuses, options, what it prints and that reading
// commands never write. What the commands do to the stick is the workspace's, which its own
// tests and cli_scripting.sh (the JSON and the CSV of the real program) cover.

#include "cli/CliCommands.h"

#include "TonarionVersion.h"
#include "cli/CliCommand.h"
#include "event/EintragZusammensetzen.h"
#include "model/KindCounters.h"
#include "sound/InvalidSounds.h"
#include "storage/platform/SystemPlatform.h"
#include "support/FakeDrives.h"
#include "support/FakeSoundInspector.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <tuple>

namespace tonarion {
namespace {

namespace fs = std::filesystem;
using namespace testing;

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

CliRun runOn(FileOperations& files, const std::vector<std::string>& words,
             const std::string& programFolder, FakeSoundInspector& sounds) {
    std::ostringstream out;
    std::ostringstream err;
    FakeDrives drives;
    CliEnvironment environment{files, drives, programFolder, out, err, sounds};
    const int status = runCli(words, environment);
    return {status, out.str(), err.str()};
}

// tonarion-cli on a fresh stick folder and a music folder in a temporary folder.
class CliTest : public ::testing::Test {
protected:
    CliTest() {
        fs::create_directories(m_work.native("stick"));
        fs::create_directories(m_work.native("music"));
        EXPECT_EQ(run({"init", stick}).status, 0);
    }

    CliRun run(const std::vector<std::string>& words) {
        return runOn(*m_files, words, m_work.root.string(), sounds);
    }
    std::string music(const std::string& name) {
        return m_work.exists("music/" + name) ? m_work.path("music/" + name)
                                              : m_work.write("music/" + name, "sound " + name);
    }
    // Binds a new file (named after its choices) and returns the entry name printed.
    std::string bind(const std::vector<std::string>& choices) {
        std::string name;
        for (const auto& word : choices) {
            name += word;
        }
        std::vector<std::string> words = {"bind", stick, "--file", music(name + ".mp3")};
        words.insert(words.end(), choices.begin(), choices.end());
        const CliRun bound = run(words);
        EXPECT_EQ(bound.status, 0) << name << ": " << bound.err;
        return bound.out.empty() ? "" : bound.out.substr(0, bound.out.size() - 1);
    }
    std::map<std::string, std::string> stickBytes() const { return m_work.filesIn("stick"); }

    TempFolder m_work{"tonarion-cli-"};
    const std::string stick = m_work.path("stick");
    FakeSoundInspector sounds;

private:
    std::unique_ptr<FileOperations> m_files = makeSystemFileOperations();
};

// 0 done, 1 refused by the stick or the files, 2 a usage error; a refusal prints nothing on
// stdout, its reason on stderr, and leaves the stick as it was.
TEST_F(CliTest, ExitStatusSaysWhatHappenedAndARefusalChangesNothing) {
    bind({"--event", "M", "--status", "G", "--mode", "M", "--prio", "2", "--adr1", "12"});
    const auto before = stickBytes();
    const std::string csv = m_work.path("liste.csv");
    struct Case {
        std::vector<std::string> words;
        int status;
        std::string says; // part of stdout when it succeeds, else all of stderr
    };
    const std::vector<Case> cases = {
        {{"--help"}, 0, "Commands:"},
        {{"help", "settings"}, 0, "--endless-address 0-2048"},
        {{"bind", "--help"}, 0, "Usage: tonarion-cli bind STICK"},
        {{"--version"}, 0, std::string("tonarion-cli ") + TonarionVersion + "\n"},
        {{"show", "--", stick}, 0, "MGM2-0012-00000.mp3"},
        {{"verify", stick}, 0, "OK: 7 of 7 files on the stick"},
        {{"export", stick, "--csv", csv}, 0, ""},
        {{}, 2, ""},
        {{"frobnicate", stick}, 2, ""},
        {{"show"}, 2, ""},
        {{"show", stick, "--volume", "3"}, 2, ""},
        {{"show", stick, stick}, 2, ""},
        {{"show", stick, "--", "--json"}, 2, ""},
        {{"--version", "show"}, 2, ""},
        {{"delete", stick, "2"}, 2, ""},
        {{"delete", stick, "1", "1"}, 2, ""},
        {{"bind", stick, "--row", "1", "--adr1", "1", "--adr1", "2"}, 2, ""},
        {{"bind", stick, "--row", "1", "--file", music("a.mp3")}, 2, ""},
        {{"bind", stick, "--row", "1", "--event", "E", "--prio", "2"}, 2, ""},
        // A choice the dialog would ask for is missing: its message.
        {{"bind", stick, "--file", music("c.mp3"), "--event", "M", "--status", "G", "--mode", "M",
          "--prio", "2"},
         2,
         FirstAddressMessage + std::string("\n")},
        // Settings are saved all or none.
        {{"settings", stick, "--endless-address", "9999", "--volume", "5"},
         2,
         "Maximal Wert überschritten. Geben Sie eine Adresse zwischen 1 und 2048 ein!\n\n"
         "„Endlosschleife über folgende Magnetartikeladresse ein- und ausschalten“: "
         "Magnetartikeladressen reichen von 1 bis 2048, 9999 liegt außerhalb. 0 steht für keine "
         "Adresse.\n"},
        {{"settings", stick, "--start-time", "07:10", "--volume", "5"}, 2, ""},
        {{"settings", stick, "--volume", "32"}, 2, ""},
        {{"export", stick}, 2, ""},
        {{"export", stick, "--csv", csv, "--json"}, 2, ""},
        {{"check"}, 2, ""},
        {{"completion", "zsh"}, 2, ""},
        {{"show", m_work.path("nowhere")}, 1, ""},
        {{"export", stick, "--csv", m_work.path("nowhere/liste.csv")}, 1, ""},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const auto& word : c.words) {
            line += word + " ";
        }
        const CliRun outcome = run(c.words);
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
    // A sound that cannot reach the stick.
    const CliRun lost = run(
        {"bind", stick, "--file", m_work.path("music/gone.mp3"), "--event", "Z", "--mode", "M"});
    EXPECT_EQ(lost.status, 1);
    EXPECT_EQ(lost.out, "");
    EXPECT_NE(lost.err, "");
}

// Why a command stops is told once, and its status follows the reason: a full kind is the
// stick's limit (1) even where the dialog first asks for a missing choice, which is otherwise
// the command line's fault (2).
TEST_F(CliTest, ARefusalIsToldOnceWithTheStatusOfItsReason) {
    fs::create_directories(m_work.native("empty"));
    const std::string empty = m_work.path("empty");
    const std::string noIndex = "No index file tonkat.tkx in " + (fs::path(empty) / "").string() +
                                "; 'tonarion-cli init' creates one.\n";
    // Sixty-three contacts fill the stick's Kontakt entries.
    std::string index = m_work.read("stick/tonkat.tkx");
    std::string contacts;
    for (int entry = 0; entry < 63; ++entry) {
        contacts += std::string("KSM") + char('1' + entry % 4) + "-000" + char('1' + entry / 7) +
                    "-0000" + char('0' + entry % 7 + 3) + ".mp3;" + music("k.mp3") + "\r\n";
    }
    index.insert(index.find("\r\n") + 2, contacts);
    m_work.write("stick/tonkat.tkx", index);
    const auto before = stickBytes();
    const std::string file = music("neu.mp3");
    const std::vector<std::tuple<std::vector<std::string>, int, std::string>> cases = {
        {{"delete", empty, "1"}, 1, noIndex},
        {{"bind", empty, "--file", file, "--event", "Z", "--mode", "M"}, 1, noIndex},
        {{"bind", stick, "--file", file, "--event", "K", "--status", "S", "--mode", "M", "--prio",
          "1", "--contact-from", "9"},
         1,
         capacityMessage(KindGroup::Kontakt) + "\n"},
        {{"bind", stick, "--file", file, "--event", "K"},
         1,
         StatusMissingMessage + std::string("\n")},
        {{"bind", stick, "--file", file, "--event", "U", "--mode", "M"},
         2,
         TimeMissingMessage + std::string("\n")},
    };
    for (const auto& [words, status, says] : cases) {
        const CliRun outcome = run(words);
        EXPECT_EQ(outcome.status, status) << words[0] << " " << words.back();
        EXPECT_EQ(outcome.out + outcome.err, says) << words[0] << " " << words.back();
    }
    EXPECT_EQ(stickBytes(), before);
}

// A re-bind keeps the row's other choices; delete takes the row numbers of the table before
// it; settings take the values given.
TEST_F(CliTest, OptionsNameTheChoicesRowsAndValues) {
    const std::vector<std::tuple<std::vector<std::string>, std::vector<std::string>, std::string>>
        rebinds = {
            {{"--event", "R", "--status", "F", "--mode", "O", "--prio", "1", "--adr1", "5",
              "--adr2", "8"},
             {"--adr2", "9"},
             "RFO1-0005-00009.mp3"},
            {{"--event", "K", "--status", "S", "--mode", "M", "--prio", "3", "--contact-from", "2",
              "--contact-to", "4"},
             {"--status", "A"},
             "KAM3-0002-00004.mp3"},
            {{"--event", "U", "--mode", "O", "--time", "23:45"},
             {"--mode", "M"},
             "UZM_-0096-00000.mp3"},
        };
    int row = 0;
    for (const auto& [bound, change, expected] : rebinds) {
        const std::string old = bind(bound);
        const std::string sound = m_work.read("stick/" + old);
        fs::remove(m_work.native("stick/" + old)); // lost: the bind still copies the sound
        std::vector<std::string> words = {"bind", stick, "--row", std::to_string(++row)};
        words.insert(words.end(), change.begin(), change.end());
        EXPECT_EQ(run(words).out, expected + "\n") << old;
        EXPECT_EQ(m_work.read("stick/" + expected), sound) << old;
    }
    bind({"--event", "Z", "--mode", "M"});
    const std::string last = bind({"--event", "Z", "--mode", "O"});
    ASSERT_EQ(run({"delete", stick, "4", "2", "1"}).status, 0);
    auto files = stickBytes();
    EXPECT_EQ(files.at("UZM_-0096-00000.mp3"), m_work.read("music/--eventU--modeO--time23:45.mp3"));
    EXPECT_EQ(files.at("ZUO_-0001-00000.mp3"), m_work.read("music/--eventZ--modeO.mp3")) << last;
    EXPECT_EQ(files.size(), 2u + 6u + 1u);

    const CliRun saved = run({"settings", stick, "--volume=5", "--stretch", "7", "--start-time",
                              "23:45", "--endless-address", "2048"});
    EXPECT_EQ(saved.status, 0);
    EXPECT_EQ(saved.out + saved.err, ""); // no question, no "-> Ja"
    files = stickBytes();
    for (const char* name : {"SET_-0001-00005.mp3", "SET_-0002-00180.mp3", "SET_-0003-00095.mp3",
                             "SET_-0004-00007.mp3", "SET_-0006-02048.mp3"}) {
        EXPECT_TRUE(files.contains(name)) << name;
    }
    EXPECT_FALSE(files.contains("SET_-0001-00021.mp3"));
}

// Loading would mend a spoilt index file at once; a reading command leaves that to repair and
// says so.
TEST_F(CliTest, ReadingCommandsNeverWriteAndRepairMendsWhatTheCheckFinds) {
    bind({"--event", "Z", "--mode", "M"});
    const auto bound = stickBytes();
    const std::string index = bound.at("tonkat.tkx");
    struct Spoil {
        std::function<void()> spoil;
        bool indexSpoilt; // then reading commands say "repair"; else repair restores the bytes
        int verified;     // what verify says before the repair
    };
    const std::vector<Spoil> spoils = {
        {[&] {
             std::string relative = index; // a sound path relative to the program
             const auto at = relative.find(';') + 1;
             relative.replace(at, relative.find('\r', at) - at, "music/relative.mp3");
             m_work.write("stick/tonkat.tkx", relative);
         },
         true, 0},
        {[&] {
             fs::rename(m_work.native("stick/tonkat.tkx"), m_work.native("stick/tonkat.tkx.tmp"));
         },
         true, 1},
        {[&] {
             fs::remove(m_work.native("stick/ZUM_-0001-00000.mp3"));
             fs::remove(m_work.native("stick/SET_-0002-00180.mp3"));
             m_work.write("stick/SET_-0003-00028.mp3", "not empty");
         },
         false, 1},
    };
    for (const auto& [spoil, indexSpoilt, verified] : spoils) {
        m_work.write("stick/tonkat.tkx", index);
        spoil();
        const auto spoilt = stickBytes();
        for (const std::vector<std::string>& words : {std::vector<std::string>{"show", stick},
                                                      {"show", stick, "--json"},
                                                      {"verify", stick},
                                                      {"verify", stick, "--json"},
                                                      {"settings", stick}}) {
            const CliRun outcome = run(words);
            EXPECT_EQ(outcome.status, words[0] == "verify" ? verified : 0)
                << words[0] << outcome.err;
            if (indexSpoilt) {
                EXPECT_NE(outcome.err.find("repair"), std::string::npos) << words[0];
            }
            EXPECT_EQ(stickBytes(), spoilt) << words[0];
        }
        EXPECT_EQ(run({"repair", stick}).out, "repaired\n");
        EXPECT_EQ(run({"verify", stick}).status, 0);
        EXPECT_EQ(run({"show", stick}).err, "");
        if (!indexSpoilt) {
            EXPECT_EQ(stickBytes(), bound);
        }
        EXPECT_EQ(run({"repair", stick}).out, "nothing to repair\n");
        fs::remove(m_work.native("stick/tonkat.tkx.tmp"));
    }
}

// check fails on a file that would not play; bind warns about it but binds it.
TEST_F(CliTest, CheckTellsPerFileWhatItHoldsAndBindOnlyWarns) {
    const std::string good = music("gut.mp3");
    const std::string wav = music("wav.mp3");
    const std::string cover = music("bild.mp3");
    sounds.findings[wav] = FakeSoundInspector::renamedWav();
    sounds.findings[cover] = FakeSoundInspector::goodMp3(75.4);
    sounds.findings[cover].embedsPictures = true;
    sounds.findings[cover].id3v2Size = 3108;
    const CliRun fine = run({"check", good, cover});
    EXPECT_EQ(fine.status, 0) << fine.err;
    EXPECT_EQ(fine.out, good + ": OK, MPEG-1 Layer III, 44,1 kHz, 128 kbit/s, Stereo, 0:03\n" +
                            cover +
                            ": OK, MPEG-1 Layer III, 44,1 kHz, 128 kbit/s, Stereo, 1:15, ID3v2 "
                            "3108 bytes\n    " +
                            soundHints(sounds.findings[cover]).at(0) + "\n");
    EXPECT_EQ(run({"check", good, wav, "--json"}).status, 1);

    const CliRun bound = run({"bind", stick, "--file", wav, "--event", "Z", "--mode", "M"});
    EXPECT_EQ(bound.out, "ZUM_-0001-00000.mp3\n");
    EXPECT_TRUE(bound.err.starts_with(InvalidSoundsMessage)) << bound.err;
    EXPECT_NE(bound.err.find("wav.mp3"), std::string::npos);
}

EventSelection selectionFor(const std::vector<std::string>& words,
                            const std::string& rowName = "") {
    std::ostringstream out;
    FakeDrives drives;
    FakeSoundInspector sounds;
    const auto files = makeSystemFileOperations();
    CliEnvironment environment{*files, drives, "", out, out, sounds};
    return bindSelection(words, environment, rowName);
}

// Most choices show in the names that tonarion-cli bind prints; these do not.
TEST(CliArgumentsTest, OptionsBecomeTheDialogsChoicesOrUsageErrors) {
    const EventSelection r = selectionFor({"--event", "R", "--prio", "2", "--adr1", "12"});
    EXPECT_EQ(r.selWert->position, 1);
    EXPECT_EQ(r.selAdr2, "-"); // the untouched bis box
    const EventSelection l = selectionFor(
        {"--event", "L", "--status", "1", "--adr1", "7", "--category", "loco", "--loco", "42"});
    EXPECT_EQ(l.selStatus, "1S1 nach S2");
    EXPECT_EQ(l.selAdresse->index, 5);
    EXPECT_EQ(l.selAdr1, "7");
    EXPECT_EQ(l.selAdr2, "42");
    // A last contact chosen without a first one records nothing.
    EXPECT_FALSE(selectionFor({"--event", "K", "--contact-to", "10"}).selKontaktBis);
    const EventSelection k = selectionFor({"--event", "K", "--contact-from", "3"});
    EXPECT_EQ(k.selKontaktVon, "3");
    EXPECT_EQ(k.selKontaktBis, "");

    const std::vector<std::vector<std::string>> refused = {
        {"--event", "Z", "--status", "U"},   {"--event", "E", "--mode", "M"},
        {"--event", "M", "--status", "B"},   {"--event", "M", "--loco", "12"},
        {"--event", "L", "--adr2", "12"},    {"--event", "K", "--contact-from", "11"},
        {"--event", "U", "--time", "07:10"}, {"--event", "E", "--position", "128"},
        {"--event", "M", "--prio", "5"},     {"--event", "X"},
        {"--event", "R", "--mode", "S"},     {"--event", "L", "--category", "5"},
    };
    for (const auto& words : refused) {
        EXPECT_THROW(selectionFor(words), UsageError) << words[1] << " " << words.back();
    }
    // bind --row on the form the dialog opens for a row that has an event: a first contact
    // given anew starts the contact choice afresh; a last one alone keeps the row's first
    // contact, and must then be one of the list's.
    const std::string contacts = "KSM4-0002-00007.mp3";
    EXPECT_EQ(selectionFor({"--contact-from", "3"}, contacts).selKontaktBis, "");
    const EventSelection last = selectionFor({"--contact-to", "9"}, contacts);
    EXPECT_EQ(last.selKontaktVon, "2");
    EXPECT_EQ(last.selKontaktBis, "9");
    EXPECT_THROW(selectionFor({"--contact-to", "11"}, contacts), UsageError);
    const EventSelection category = selectionFor({"--category", "2"}, "L1M3-0012-00042.mp3");
    EXPECT_EQ(category.selAdresse->codeText, "20002");
    EXPECT_EQ(category.selAdr1, "12");
    EXPECT_EQ(category.selWert->text, "3");
    // Another kind starts afresh.
    const EventSelection other =
        selectionFor({"--event", "R", "--prio", "1"}, "MGM2-0012-00015.mp3");
    EXPECT_EQ(other.selEreignis, 1);
    EXPECT_FALSE(other.selStatus || other.selModus || other.selAdr1 || other.selAdr2);
}

} // namespace
} // namespace tonarion
