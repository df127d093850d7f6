#include "workspace/StickVerification.h"

#include "storage/StickChange.h"
#include "storage/platform/SystemPlatform.h"
#include "support/SoundFiles.h"
#include "support/StickFixture.h"
#include "workspace/StickCleanUp.h"

#include <filesystem>
#include <functional>
#include <map>
#include <tuple>

namespace tonarion::testing {
namespace {

using Finding = std::tuple<std::string, std::string, bool>; // kind, file, removable

const std::string Pfiff = "MGM2-0012-00000.mp3";

class StickVerificationTest : public StickFixture {
protected:
    StickVerificationTest() {
        writeIndexWithSounds({Pfiff + ";" + Music + "pfiff.mp3"});
        EXPECT_EQ(workspace.load("/opt/tonarion"), IndexReadResult::Read);
    }

    std::vector<Finding> findings() const {
        std::vector<Finding> found;
        for (const StickProblem& problem : workspace.checkStick()) {
            found.emplace_back(std::string(problemWord(problem.kind)),
                               problem.file + (problem.folder ? "/" : ""), problem.removable);
        }
        return found;
    }

    // The leftovers of a Mac and an interrupted copy, beside a sound the index does not list.
    void spoilWithLeftovers() {
        files.addFile(Root + "._" + Pfiff, "AppleDouble");
        files.addFile(Root + ".DS_Store", "Finder");
        files.addFile(Root + ".Trashes/501/old.mp3", "old sound");
        files.addFolder(Root + ".Trashes/");
        files.addFile(Root + Pfiff + CopySuffix, "half a sound");
        files.addFile(Root + "KAM1-0001-00002.mp3", "the module plays this");
    }
};

TEST_F(StickVerificationTest, ReportsEveryKindOfFindingAndWhatMayGo) {
    ASSERT_EQ(findings(), std::vector<Finding>{});
    struct Case {
        const char* what;
        std::function<void()> spoil;
        std::vector<Finding> expected;
    };
    const std::string settingFile = Root + DefaultSettingLines[0];
    const std::string Parked = "MGM1-0001-00000.mp3" + std::string(MoveSuffix);
    const auto add = [&](const std::vector<std::string>& names) {
        for (const auto& name : names) {
            files.addFile(Root + name);
        }
    };
    const std::vector<Case> cases = {
        {"a sound gone from the stick",
         [&] { files.ShellDelete(Root + Pfiff); },
         {{"missing sound", Pfiff, false}}},
        {"a sound gone from the stick and the computer",
         [&] { files.ShellDelete(Root + Pfiff), files.ShellDelete(Music + "pfiff.mp3"); },
         {{"sound not found", Pfiff, false}}},
        {"a source changed since the copy",
         [&] { files.addFile(Music + "pfiff.mp3", "a newer pfiff", 5000); },
         {{"changed sound", Pfiff, false}}},
        {"a setting file gone",
         [&] { files.ShellDelete(settingFile); },
         {{"missing setting", DefaultSettingLines[0], false}}},
        {"a setting file with content",
         [&] { files.addFile(settingFile, "x"); },
         {{"changed setting", DefaultSettingLines[0], false}}},
        {"a sound and a setting the index does not list",
         [&] {
             add({"KAM1-0001-00002.mp3", "SET_-0001-00030.mp3"});
         },
         {{"not in index", "KAM1-0001-00002.mp3", false},
          {"second setting file", "SET_-0001-00030.mp3", false}}},
        {"what an interrupted commit left without its journal",
         [&] {
             add({Pfiff + CopySuffix, IndexTempName, "tonkat.prb", Parked});
         },
         {{"temporary file", "MGM1-0001-00000.mp3.tonarion-mv", true},
          {"temporary file", Pfiff + ".tonarion-new", true},
          {"temporary file", "tonkat.prb", true},
          {"temporary file", "tonkat.tkx.tmp", true}}},
        {"a journal's plan that waits for the next commit",
         [&] {
             add({JournalName, IndexTempName, Parked});
         },
         {{"temporary file", "MGM1-0001-00000.mp3.tonarion-mv", false},
          {"temporary file", "tonkat.jnl", false},
          {"temporary file", "tonkat.tkx.tmp", false}}},
        {"a journal copied from another stick, which is never carried out",
         [&] {
             StickChange other;
             other.moves = {{"MGM1-0001-00000.mp3", Pfiff}};
             other.startIndex = stampOf("another stick's index");
             files.addFile(Root + JournalName, composeJournal(other));
             add({Parked});
         },
         {{"temporary file", "MGM1-0001-00000.mp3.tonarion-mv", false},
          {"journal of another index", "tonkat.jnl", true}}},
        {"a temporary index file the stick would be opened from",
         [&] {
             files.addFile(Root + IndexTempName, index());
             files.ShellDelete(Root + IndexFileName);
         },
         {{"temporary file", "tonkat.tkx.tmp", false}}},
        {"what a Mac leaves",
         [&] {
             add({"._" + Pfiff, ".DS_Store", ".Spotlight-V100/Store-V2/index"});
             files.addFolder(Root + ".Spotlight-V100/"), files.addFolder(Root + ".fseventsd/");
         },
         {{"macOS leftover", ".DS_Store", true},
          {"macOS leftover", "._" + Pfiff, true},
          {"macOS leftover", ".Spotlight-V100/", true},
          {"macOS leftover", ".fseventsd/", true}}},
        {"random sounds the index numbers with a gap",
         [&] {
             writeIndexWithSounds({Pfiff + ";" + Music + "pfiff.mp3",
                                   "ZUM_-0001-00000.mp3;" + Music + "z1.mp3",
                                   "ZUM_-0003-00000.mp3;" + Music + "z3.mp3"});
         },
         {{"random gap", "ZUM_-0003-00000.mp3", false}}},
        {"an exFAT stick",
         [&] {
             files.setVolumeInfo({"SOUNDS", "exFAT", 4'000'000'000, 3'000'000'000});
         },
         {{"wrong file system", "exFAT", false}}},
        {"a FAT32 stick",
         [&] {
             files.setVolumeInfo({"SOUNDS", "FAT32", 4'000'000, 3'000'000});
         },
         {}},
        {"a FAT16 stick Linux cannot tell from FAT32",
         [&] {
             files.setVolumeInfo({"", "vfat", 4'000'000, 3'000'000});
         },
         {}},
        {"a stick pulled while it is checked",
         [&] { files.pullStickAt(0, Root); },
         {{"stick unreadable", Root, false}}},
        {"a changed sound too large for the room left",
         [&] {
             files.addFile(Music + "pfiff.mp3", std::string(300, 'p'), 5000);
             files.setFreeSpace(100);
         },
         {{"changed sound", Pfiff, false}, {"not enough space", "", false}}},
    };
    const FakeFileOperations clean = files;
    for (const Case& c : cases) {
        files = clean;
        c.spoil();
        EXPECT_EQ(findings(), c.expected) << c.what;
    }
    files = clean;
    files.addFile(Music + "pfiff.mp3", std::string(300, 'p'), 5000);
    files.setFreeSpace(100);
    const auto report = workspace.checkStick();
    ASSERT_EQ(report.size(), 2u);
    EXPECT_EQ(report[1].neededBytes, 300u);
    EXPECT_EQ(report[1].freeBytes, 100u);
}

TEST_F(StickVerificationTest, CleanUpRemovesExactlyTheLeftoversOnceTheUserAgrees) {
    spoilWithLeftovers();
    const auto before = stickBytes({".Trashes/", ".Trashes/501/"});

    ui.setNextAnswer(MessageAnswer::No);
    EXPECT_EQ(workspace.cleanUpStick().reason, OutcomeReason::Declined);
    EXPECT_EQ(stickBytes({".Trashes/", ".Trashes/501/"}), before);
    for (const std::string& name : {"._" + Pfiff, std::string(".DS_Store"),
                                    std::string(".Trashes (Ordner)"), Pfiff + CopySuffix}) {
        EXPECT_NE(ui.lastText().find(name + "\r\n"), std::string::npos) << name;
    }
    EXPECT_EQ(ui.lastText().find("KAM1-0001-00002.mp3"), std::string::npos);

    ui.setNextAnswer(MessageAnswer::Yes);
    EXPECT_TRUE(workspace.cleanUpStick());
    auto expected = before;
    for (const std::string& name : {"._" + Pfiff, std::string(".DS_Store"),
                                    std::string(".Trashes/501/old.mp3"), Pfiff + CopySuffix}) {
        EXPECT_EQ(expected.erase(name), 1u) << name;
    }
    EXPECT_EQ(stickBytes({".Trashes/", ".Trashes/501/"}), expected);
    EXPECT_FALSE(files.identity(Root + ".Trashes"));
    EXPECT_EQ(findings(), (std::vector<Finding>{{"not in index", "KAM1-0001-00002.mp3", false}}));
    EXPECT_EQ(workspace.cleanUpStick().reason, OutcomeReason::NothingToRemove);
}

TEST_F(StickVerificationTest, CleanUpNeverTakesWhatTheModulePlaysOrTheIndexLists) {
    const std::vector<StickProblem> wrongly = {
        {ProblemKind::TemporaryFile, Pfiff, true},
        {ProblemKind::TemporaryFile, DefaultSettingLines[0], true},
        {ProblemKind::TemporaryFile, "KAM1-0001-00002.mp3", true},
        {ProblemKind::TemporaryFile, IndexFileName, true},
        {ProblemKind::TemporaryFile, LockFileName, true},
        {ProblemKind::TemporaryFile, "../home/anna/Musik/pfiff.mp3", true},
    };
    files.addFile(Root + "KAM1-0001-00002.mp3");
    const auto before = stickBytes({".Trashes/", ".Trashes/501/"});
    ui.setNextAnswer(MessageAnswer::Yes);
    EXPECT_EQ(cleanUpStick(session, files, ui, wrongly).reason, OutcomeReason::NothingToRemove);
    EXPECT_EQ(stickBytes({".Trashes/", ".Trashes/501/"}), before);
    EXPECT_TRUE(files.has(Music + "pfiff.mp3"));
}

TEST_F(StickVerificationTest, CleanUpTellsWhatStayedOnAWriteProtectedStick) {
    spoilWithLeftovers();
    const auto before = stickBytes({".Trashes/", ".Trashes/501/"});
    files.setReadOnly(true);
    ui.setNextAnswer(MessageAnswer::Yes);
    const Outcome cleaned = workspace.cleanUpStick();
    EXPECT_EQ(cleaned.kind, Outcome::Kind::Failed);
    EXPECT_EQ(stickBytes({".Trashes/", ".Trashes/501/"}), before);
    EXPECT_NE(cleaned.text().find(CleanUpFailedMessage), std::string::npos);
    EXPECT_NE(cleaned.text().find(".Trashes (Ordner): "), std::string::npos) << cleaned.text();
}

#ifndef _WIN32
// On a real folder: a Mac's folder is found though the listing shows only files, and goes with
// everything in it, but a link in it takes nothing outside along.
TEST(StickCleanUpOnDiskTest, AMacFolderGoesWithWhatItHoldsButNotWhatItLinksTo) {
    namespace fs = std::filesystem;
    TempFolder work("tonarion-cleanup-");
    fs::create_directories(work.path("stick/.Trashes/501"));
    fs::create_directories(work.path("elsewhere"));
    work.write("stick/.Trashes/501/alt.mp3", "old");
    work.write("elsewhere/keep.mp3", "keep");
    fs::create_directory_symlink(work.path("elsewhere"), work.path("stick/.Trashes/501/link"));
    const auto files = makeSystemFileOperations();
    RecordingUserInterface ui;
    Session session;
    StickWorkspace workspace(session, *files, ui);
    ASSERT_TRUE(workspace.openFolder(work.path("stick")));
    ASSERT_EQ(workspace.load("/opt/tonarion"), IndexReadResult::Read);
    const auto found = workspace.checkStick();
    ASSERT_TRUE(std::any_of(found.begin(), found.end(), [](const StickProblem& problem) {
        return problem.file == ".Trashes" && problem.folder && problem.removable;
    }));
    ui.setNextAnswer(MessageAnswer::Yes);
    EXPECT_TRUE(workspace.cleanUpStick()) << ui.lastText();
    EXPECT_FALSE(fs::exists(work.path("stick/.Trashes")));
    EXPECT_EQ(readBytes(work.path("elsewhere/keep.mp3")), "keep");
    EXPECT_TRUE(fs::exists(work.path("stick/tonkat.tkx")));
}
#endif

} // namespace
} // namespace tonarion::testing
