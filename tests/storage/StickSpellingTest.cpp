// The stick in a real folder, opened under one spelling and worked on under another, as when
// a stick mounts under another path, a script passes a relative folder, or a link leads to
// it. Which sound ends up in which file is checked by the files' bytes.

#include "model/EntryName.h"
#include "model/SoundFileDrop.h"
#include "storage/StickSelection.h"
#include "storage/platform/SystemPlatform.h"
#include "storage/platform/linux/LinuxFileOperations.h"
#include "support/RecordingUserInterface.h"
#include "support/Selections.h"
#include "support/SoundFiles.h"
#include "workspace/StickWorkspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace tonarion {
namespace {

using namespace testing;
namespace fs = std::filesystem;

enum class Spelling { Absolute, Relative, ThroughLink, Unnormalised };
const char* const SpellingNames[] = {"Absolute", "Relative", "ThroughLink", "Unnormalised"};

using SpellingPair = std::pair<Spelling, Spelling>; // opened, then worked on

// A stick in a real folder, and a sound folder beside it.
class StickFolderTest : public ::testing::Test {
protected:
    StickFolderTest() {
        fs::create_directories(m_base / "r");
        fs::create_directories(m_base / "music");
        fs::create_directory_symlink(m_base / "r", m_base / "link");
        m_previousFolder = fs::current_path();
        fs::current_path(m_base);
    }
    ~StickFolderTest() override { fs::current_path(m_previousFolder); }

    // The stick's root as the front ends would hand it over before they made it absolute:
    // the files' identity, not the text, must tell the stick's files.
    std::string root(Spelling spelling) const {
        const std::string roots[] = {(m_base / "r").string() + "/", "r/",
                                     (m_base / "link").string() + "/",
                                     (m_base / "music" / ".." / "r").string() + "//"};
        return roots[static_cast<int>(spelling)];
    }
    std::string stick(const std::string& name) const { return (m_base / "r" / name).string(); }
    std::string music(const std::string& name) const { return (m_base / "music" / name).string(); }

    // One run of a front end: the stick accepted as the drive dialog does, loaded, worked
    // on, and committed as the window's close does.
    void onStick(Spelling spelling, const std::function<void(StickWorkspace&)>& work) {
        session.emplace();
        StickWorkspace workspace(*session, files, ui);
        ASSERT_TRUE(workspace.openStick(root(spelling)));
        ASSERT_EQ(workspace.load("/opt/tonarion"), IndexReadResult::Read);
        work(workspace);
        workspace.commit();
    }

    // Which bytes each of these stick files holds, "<missing>" for one that is not there.
    std::vector<std::string> bytesOf(const std::vector<std::string>& names) const {
        std::vector<std::string> bytes;
        for (const auto& name : names) {
            bytes.push_back(readBytes(stick(name)));
        }
        return bytes;
    }

    LinuxFileOperations files;
    RecordingUserInterface ui;
    // The session of the run onStick makes.
    std::optional<Session> session;

private:
    const TempFolder m_temp{"tonarion-spelling-"};
    const fs::path& m_base = m_temp.root;
    fs::path m_previousFolder;
};

class StickSpellingTest : public StickFolderTest,
                          public ::testing::WithParamInterface<SpellingPair> {};

// Random sounds taken over, one deleted and two bound anew under the other spelling, a random
// sound added under the first, and a sound of the user's own name in the stick's root: each
// step leaves each sound in its file, and a commit under the first spelling copies nothing
// from a stale path.
TEST_P(StickSpellingTest, EachRowKeepsItsSoundThroughChangesUnderBothSpellings) {
    const std::vector<std::string> random = {"ZUM_-0001-00000.mp3", "ZUM_-0002-00000.mp3",
                                             "ZUM_-0003-00000.mp3", "ZUM_-0004-00000.mp3"};
    for (std::size_t i = 0; i < random.size(); ++i) {
        writeBytes(stick(random[i]), std::string(1, char('a' + i)));
    }
    const Spelling opened = GetParam().first, workedOn = GetParam().second;
    onStick(opened, [](StickWorkspace&) {});
    onStick(workedOn, [](StickWorkspace& workspace) { workspace.deleteRow(2); });
    onStick(opened, [this](StickWorkspace&) { session->markChanged(); });
    EXPECT_EQ(bytesOf(random), (std::vector<std::string>{"a", "c", "d", "<missing>"}));

    std::optional<std::string> first, second, added, own;
    onStick(workedOn, [&](StickWorkspace& workspace) {
        first = workspace.bind(1, turnoutSelection(1, "1"));
        // Row 1 left random play: the others moved down one, and row 2 is still c.
        EXPECT_EQ(workspace.table().row(2).entryName, "ZUM_-0001-00000.mp3");
        second = workspace.bind(2, turnoutSelection(1, "2"));
    });
    ASSERT_TRUE(first && second);
    EXPECT_EQ(bytesOf({*first, *second}), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(bytesOf(random),
              (std::vector<std::string>{"d", "<missing>", "<missing>", "<missing>"}));

    // The next random sound takes the number after the last, N + 1.
    writeBytes(music("e.mp3"), "e");
    onStick(opened, [&](StickWorkspace& workspace) {
        workspace.dropFiles(std::vector<std::string>{music("e.mp3")});
        added = workspace.bind(workspace.table().entryCount(), randomSelection(1));
    });
    ASSERT_TRUE(added) << ui.lastText();
    EXPECT_EQ(parseEntryName(*added).number1, "0002");
    EXPECT_EQ(readBytes(stick(*added)), "e");

    // A sound of the user's own name in the root is copied, never taken.
    writeBytes(stick("pfiff.mp3"), "pfiff");
    onStick(workedOn, [&](StickWorkspace& workspace) {
        workspace.dropFiles(std::vector<std::string>{root(workedOn) + "pfiff.mp3"});
        own = workspace.bind(workspace.table().entryCount(), turnoutSelection(1, "5"));
    });
    ASSERT_TRUE(own);
    EXPECT_EQ(bytesOf({*own, "pfiff.mp3"}), (std::vector<std::string>{"pfiff", "pfiff"}));
    onStick(opened,
            [](StickWorkspace& workspace) { workspace.deleteRow(workspace.table().entryCount()); });
    EXPECT_EQ(bytesOf({*own, "pfiff.mp3", *first, *second, *added}),
              (std::vector<std::string>{"<missing>", "pfiff", "a", "c", "e"}));
}

INSTANTIATE_TEST_SUITE_P(TwoSpellings, StickSpellingTest,
                         ::testing::Values(SpellingPair{Spelling::Absolute, Spelling::Relative},
                                           SpellingPair{Spelling::Relative, Spelling::Absolute},
                                           SpellingPair{Spelling::Absolute, Spelling::ThroughLink},
                                           SpellingPair{Spelling::ThroughLink,
                                                        Spelling::Unnormalised}),
                         [](const auto& info) {
                             return std::string(SpellingNames[int(info.param.first)]) + "Then" +
                                    SpellingNames[int(info.param.second)];
                         });

// The spelling plays no part from here on.
TEST_F(StickFolderTest, ASourceThatIsNoFileIsReportedWithoutWaitingForIt) {
    ASSERT_EQ(::mkfifo(music("loop.mp3").c_str(), 0644), 0);
    writeBytes(music("gone.mp3"), "gone");
    writeBytes(music("pfiff.mp3"), "pfiff");
    ::alarm(20); // a commit that waits for a writer of the FIFO ends the test here
    onStick(Spelling::Absolute, [&](StickWorkspace& workspace) {
        // Dropped, the FIFO stops the drop as a file that is no MP3 does.
        workspace.dropFiles(std::vector<std::string>{music("gone.mp3"), music("loop.mp3")});
        EXPECT_EQ(ui.lastText(), NotMp3Message);
        EXPECT_EQ(workspace.table().entryCount(), 1);
        workspace.dropFiles(std::vector<std::string>{music("pfiff.mp3")});
        // A source that turns into a FIFO after the drop is reported at the commit.
        fs::remove(music("gone.mp3"));
        ASSERT_EQ(::mkfifo(music("gone.mp3").c_str(), 0644), 0);
        EXPECT_TRUE(workspace.bind(1, turnoutSelection(1, "1")));
        EXPECT_TRUE(workspace.bind(2, turnoutSelection(1, "2")));
        EXPECT_TRUE(workspace.table().row(1).soundNotFound);
    });
    ::alarm(0);
    EXPECT_NE(ui.lastText().find("Zeile 1: MGM2-0001-00000.mp3"), std::string::npos)
        << ui.lastText();
    EXPECT_EQ(bytesOf({"MGM2-0001-00000.mp3", "MGM2-0002-00000.mp3"}),
              (std::vector<std::string>{"<missing>", "pfiff"}));
}

TEST_F(StickFolderTest, TheWaitWindowMovesWithinALargeSound) {
    writeBytes(music("long.mp3"), std::string(4'000'000, 'l'));
    onStick(Spelling::Absolute, [&](StickWorkspace& workspace) {
        workspace.dropFiles(std::vector<std::string>{music("long.mp3")});
        ui.progress.clear();
        EXPECT_TRUE(workspace.bind(1, turnoutSelection(1, "1")));
    });
    ASSERT_FALSE(ui.progress.empty());
    const auto [done, total] = ui.progress.front();
    EXPECT_GT(done, 0);
    EXPECT_LT(done, total / 2) << "the first step reported is part of the only sound";
    EXPECT_TRUE(std::is_sorted(ui.progress.begin(), ui.progress.end()));
}

TEST(StickRootTest, AChosenFolderBecomesAnAbsoluteNormalisedRoot) {
    const std::string current = fs::current_path().string();
    const std::pair<std::string, std::string> cases[] = {
        {"r", current + "/r/"},
        {"./r/", current + "/r/"},
        {"/media/anna/../anna/STICK", "/media/anna/STICK/"},
        {"/media/anna/STICK/", "/media/anna/STICK/"},
    };
    for (const auto& [chosen, root] : cases) {
        EXPECT_EQ(stickRootOf(chosen), root) << chosen;
    }
}

} // namespace
} // namespace tonarion
