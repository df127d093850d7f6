// The stick in a real folder, where sources can be what no fake holds: a FIFO that would block
// a read, a sound large enough for the wait window to move within it, a relative folder.

#include "model/SoundFileDrop.h"
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

// A stick in a real folder, and a sound folder beside it.
class StickFolderTest : public ::testing::Test {
protected:
    StickFolderTest() {
        fs::create_directories(m_base / "r");
        fs::create_directories(m_base / "music");
        m_previousFolder = fs::current_path();
        fs::current_path(m_base);
    }
    ~StickFolderTest() override { fs::current_path(m_previousFolder); }

    std::string stick(const std::string& name) const { return (m_base / "r" / name).string(); }
    std::string music(const std::string& name) const { return (m_base / "music" / name).string(); }

    // One run of a front end: the stick accepted as the drive dialog does, loaded, worked
    // on, and committed as the window's close does.
    void onStick(const std::function<void(StickWorkspace&)>& work) {
        session.emplace();
        StickWorkspace workspace(*session, files, ui);
        ASSERT_TRUE(workspace.openStick((m_base / "r").string() + "/"));
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

TEST_F(StickFolderTest, ASourceThatIsNoFileIsReportedWithoutWaitingForIt) {
    ASSERT_EQ(::mkfifo(music("loop.mp3").c_str(), 0644), 0);
    writeBytes(music("gone.mp3"), "gone");
    writeBytes(music("pfiff.mp3"), "pfiff");
    ::alarm(20); // a commit that waits for a writer of the FIFO ends the test here
    onStick([&](StickWorkspace& workspace) {
        // Dropped, the FIFO stops the drop as a file that is no MP3 does.
        const DropOutcome dropped =
            workspace.dropFiles(std::vector<std::string>{music("gone.mp3"), music("loop.mp3")});
        ASSERT_EQ(dropped.refusals.size(), 1u);
        EXPECT_EQ(dropped.refusals[0].reason, OutcomeReason::NotAnMp3);
        EXPECT_EQ(workspace.table().entryCount(), 1);
        workspace.dropFiles(std::vector<std::string>{music("pfiff.mp3")});
        // A source that turns into a FIFO after the drop is reported at the commit.
        fs::remove(music("gone.mp3"));
        ASSERT_EQ(::mkfifo(music("gone.mp3").c_str(), 0644), 0);
        const auto first = workspace.bind(1, turnoutSelection(1, "1"));
        ASSERT_TRUE(first);
        EXPECT_EQ(first->committed.reason, OutcomeReason::SoundsNotFound);
        tellOutcome(ui, first->committed);
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
    onStick([&](StickWorkspace& workspace) {
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
