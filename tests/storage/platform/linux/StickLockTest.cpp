// A second program on a stick that one already holds: another process, as a second window or
// tonarion-cli would be, and a holder that is killed.

#include "storage/StickSelection.h"
#include "storage/platform/linux/LinuxFileOperations.h"
#include "support/FileBytes.h"
#include "support/RecordingUserInterface.h"
#include "support/Selections.h"
#include "support/SoundFiles.h"
#include "workspace/StickWorkspace.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace tonarion {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// A child process that takes the stick and keeps it until it is killed.
class HoldingProcess {
public:
    explicit HoldingProcess(const std::string& root) {
        int ready[2];
        EXPECT_EQ(::pipe(ready), 0);
        m_pid = ::fork();
        if (m_pid == 0) {
            LinuxFileOperations files;
            const auto lock = files.lockFolder(root);
            const char answer = lock ? 'y' : 'n';
            [[maybe_unused]] const auto written = ::write(ready[1], &answer, 1);
            ::pause();
            ::_exit(0);
        }
        char answer = 0;
        EXPECT_EQ(::read(ready[0], &answer, 1), 1);
        EXPECT_EQ(answer, 'y');
        ::close(ready[0]);
        ::close(ready[1]);
    }
    ~HoldingProcess() { kill(); }
    void kill() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = 0;
        }
    }

private:
    pid_t m_pid = 0;
};

TEST(StickLockTest, ASecondProgramIsRefusedUntilTheHolderIsGone) {
    const TempFolder folder("tonarion-lock-");
    const std::string root = folder.path("");
    LinuxFileOperations files;
    {
        Session first;
        first.stick().setRoot(root);
        RecordingUserInterface ui;
        ASSERT_TRUE(gueltigeAuswahl(first, files, ui));
        // Taking another folder takes that folder's lock: the one held is for the old root.
        const TempFolder other("tonarion-lock-other-");
        first.stick().setRoot(other.path(""));
        ASSERT_TRUE(gueltigeAuswahl(first, files, ui));
        EXPECT_TRUE(fs::exists(other.path("") + LockFileName));
    }
    const std::string index = readBytes(root + IndexFileName);

    HoldingProcess holder(root);
    Session second;
    second.stick().setRoot(root);
    RecordingUserInterface ui;
    StickWorkspace workspace(second, files, ui);
    EXPECT_EQ(workspace.load("/opt/tonarion"), IndexReadResult::StickInUse);
    EXPECT_FALSE(gueltigeAuswahl(second, files, ui));
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{StickInUseMessage, StickInUseMessage}));
    EXPECT_EQ(readBytes(root + IndexFileName), index);

    // Killed, it leaves its lock file behind, and the stick is free all the same.
    holder.kill();
    EXPECT_TRUE(fs::exists(root + LockFileName));
    EXPECT_EQ(workspace.load("/opt/tonarion"), IndexReadResult::Read);
}

// A stick pulled and mounted anew shows the lock file with the holder's text, but the kernel's
// lock stayed with the old mount: until the holder locks it again, anyone may take it over.
TEST(StickLockTest, AStickPutBackIsLockedAgain) {
    const TempFolder folder("tonarion-relock-");
    const std::string root = folder.path("");
    LinuxFileOperations files;
    auto lock = files.lockFolder(root);
    ASSERT_TRUE(lock);
    ASSERT_TRUE(files.isLockedByAnother(root));
    const std::string text = readBytes(root + LockFileName);
    fs::remove(root + LockFileName);
    writeBytes(root + LockFileName, text);
    EXPECT_FALSE(files.isLockedByAnother(root));
    EXPECT_TRUE((*lock)->isShownInFolder());
    EXPECT_TRUE(files.isLockedByAnother(root));
    EXPECT_EQ(readBytes(root + LockFileName), text);
    // Another program's text in its place is not this lock.
    fs::remove(root + LockFileName);
    writeBytes(root + LockFileName, "1 elsewhere\n");
    EXPECT_FALSE((*lock)->isShownInFolder());
    (*lock).reset();
}

} // namespace
} // namespace tonarion
