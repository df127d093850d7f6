// The stick as a real mounted file system (a small tmpfs, in a mount namespace of this test
// alone), pulled out in the middle of a commit. Needs root, as the FAT tests do. A full stick
// is refused on FAT (FatStickTest) and on a tmpfs (faults/stick_identity.sh).

#include "storage/CommitToStick.h"
#include "storage/StickSelection.h"
#include "storage/platform/linux/LinuxFileOperations.h"
#include "support/FileBytes.h"
#include "support/RecordingUserInterface.h"
#include "support/Selections.h"
#include "support/SoundFiles.h"
#include "workspace/StickWorkspace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace tonarion {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// The real file operations, with the stick unmounted lazily after the k-th operation that
// changes it: what the kernel does when a stick is pulled while the program works on it.
class UnmountingFileOperations final : public FileOperations {
public:
    UnmountingFileOperations(std::string mountPoint, int unmountAt)
        : m_mountPoint(std::move(mountPoint))
        , m_unmountAt(unmountAt) {}
    using Path = const std::string&;

    FileResult ShellDelete(Path path) override { return changed(m_files.ShellDelete(path)); }
    FileResult CopyFileReplace(Path from, Path to, const CopyProgress& progress) override {
        return changed(m_files.CopyFileReplace(from, to, progress));
    }
    FileResult EnsureFile(Path path) override { return changed(m_files.EnsureFile(path)); }
    bool FileExists(Path path) override { return m_files.FileExists(path); }
    FileResult renameFile(Path from, Path to) override {
        return changed(m_files.renameFile(from, to));
    }
    FileValue<std::string> readFile(Path path) override { return m_files.readFile(path); }
    FileResult writeFileDurably(Path path, const std::string& bytes) override {
        return changed(m_files.writeFileDurably(path, bytes));
    }
    FileResult replaceFile(Path from, Path to) override {
        return changed(m_files.replaceFile(from, to));
    }
    FileValue<FileStatus> status(Path path) override { return m_files.status(path); }
    FileValue<std::unique_ptr<FolderLock>> lockFolder(Path folder) override {
        return m_files.lockFolder(folder);
    }
    FileValue<FreeSpace> freeSpace(Path folder) override { return m_files.freeSpace(folder); }
    FileValue<FileIdentity> identity(Path path) override { return m_files.identity(path); }
    FileValue<std::vector<std::string>> listFiles(Path folder) override {
        return m_files.listFiles(folder);
    }

    bool unmounted = false;

private:
    template <typename Result>
    Result changed(Result result) {
        if (m_changes++ == m_unmountAt) {
            unmounted = ::umount2(m_mountPoint.c_str(), MNT_DETACH) == 0;
        }
        return result;
    }

    LinuxFileOperations m_files;
    std::string m_mountPoint;
    int m_unmountAt;
    int m_changes = 0;
};

class StickMountTest : public ::testing::Test {
protected:
    StickMountTest() {
        // Mounts made here stay in this process's own namespace.
        EXPECT_EQ(::unshare(CLONE_NEWNS), 0) << "needs root";
        EXPECT_EQ(::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr), 0);
        fs::create_directories(m_base / "stick");
        fs::create_directories(m_base / "music");
    }
    ~StickMountTest() override { ::umount2(stick().c_str(), MNT_DETACH); }

    void mountStick() { ASSERT_EQ(::mount("tmpfs", stick().c_str(), "tmpfs", 0, "size=8m"), 0); }
    std::string stick() const { return (m_base / "stick").string() + "/"; }

    // Accepts the stick as the drive dialog does and loads it as the main window does.
    void openStick(Session& session, FileOperations& files, UserInterface& ui,
                   StickWorkspace& workspace) {
        session.stick().setRoot(stick());
        ASSERT_TRUE(gueltigeAuswahl(session, files, ui));
        ASSERT_EQ(workspace.load("/opt/tonarion"), IndexReadResult::Read);
    }
    std::string music(const std::string& name) const { return (m_base / "music" / name).string(); }

private:
    const TempFolder m_temp{"tonarion-mount-"};
    const fs::path& m_base = m_temp.root;
};

TEST_F(StickMountTest, APulledStickGetsNothingWrittenIntoTheBareMountPoint) {
    mountStick();
    for (int unmountAt = 0; unmountAt < 12; unmountAt += 3) {
        SCOPED_TRACE("unmounted at change " + std::to_string(unmountAt));
        writeBytes(stick() + IndexFileName, std::string(IndexHeader) + "\r\n");
        UnmountingFileOperations files(stick(), unmountAt);
        Session session;
        RecordingUserInterface ui;
        StickWorkspace workspace(session, files, ui);
        openStick(session, files, ui, workspace);
        for (int i = 0; i < 4; ++i) {
            const std::string file = music("p" + std::to_string(i) + ".mp3");
            writeBytes(file, std::string(100'000, 'p'));
            workspace.dropFiles(std::vector<std::string>{file});
        }
        session.committed();
        for (int row = 1; row <= 4; ++row) {
            if (const auto bound = workspace.bind(row, turnoutSelection(1, std::to_string(row)))) {
                tellOutcome(ui, bound->committed);
            }
        }
        ASSERT_TRUE(files.unmounted);
        EXPECT_TRUE(fs::is_empty(stick())) << "written into the computer's folder";
        EXPECT_NE(ui.lastText().find(StickRemovedMessage), std::string::npos) << ui.lastText();
        EXPECT_TRUE(session.SaveNeeded());
        mountStick();
    }
}

} // namespace
} // namespace tonarion
