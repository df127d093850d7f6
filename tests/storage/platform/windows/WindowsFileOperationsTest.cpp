// The Windows file operations on real files; these run under Wine in CI.

#include "storage/platform/windows/WindowsFileOperations.h"

#include "support/WindowsTestFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

namespace tonarion {
namespace {

using namespace testing;
using namespace std::string_literals;
namespace fs = std::filesystem;

class WindowsFileOperationsTest : public ::testing::Test {
protected:
    WindowsTestFolder folder;
    WindowsFileOperations files;
};

TEST_F(WindowsFileOperationsTest, ShellDeleteRemovesExactlyTheNamedFileWithOrWithoutTrailingNuls) {
    for (const std::string& nuls : {""s, "\0"s, "\0\0"s}) {
        folder.write("MGM2-0012-00000.mp3", "sound");
        folder.write("MGM2-0012-00001.mp3", "neighbour");
        EXPECT_TRUE(files.ShellDelete(folder.path("MGM2-0012-00000.mp3") + nuls)) << nuls.size();
        EXPECT_FALSE(folder.exists("MGM2-0012-00000.mp3")) << nuls.size();
        EXPECT_EQ(folder.read("MGM2-0012-00001.mp3"), "neighbour") << nuls.size();
    }
}

TEST_F(WindowsFileOperationsTest, ShellDeleteTouchesNothingButOneExistingFile) {
    folder.write("ZUM_-0001-00000.mp3", "a");
    folder.write("ZUM_-0002-00000.mp3", "b");
    fs::create_directory(folder.native("SET_-0001-00021.mp3"));
    folder.write("SET_-0001-00021.mp3\\inside.mp3", "kept");
    for (const char* name : {"ZUM_-*-00000.mp3", "ZUM_-000?-00000.mp3", "*", "SET_-0001-00021.mp3",
                             "MGM2-0012-00000.mp3"}) {
        EXPECT_FALSE(files.ShellDelete(folder.path(name))) << name;
    }
    EXPECT_FALSE(files.ShellDelete(folder.path("ZUM_-0001-00000.mp3") + '\0' +
                                   folder.path("ZUM_-0002-00000.mp3")))
        << "a list of two files";
    EXPECT_EQ(folder.read("ZUM_-0001-00000.mp3"), "a");
    EXPECT_EQ(folder.read("ZUM_-0002-00000.mp3"), "b");
    EXPECT_EQ(folder.read("SET_-0001-00021.mp3\\inside.mp3"), "kept");
}

TEST_F(WindowsFileOperationsTest, CopyReplacesTheTargetWholly) {
    folder.write("short.mp3", "new");
    folder.write("MGM2-0012-00000.mp3", "an older and longer sound");
    EXPECT_FALSE(
        files.CopyFileReplace(folder.path("short.mp3"), folder.path("MGM2-0012-00000.mp3")));
    EXPECT_EQ(folder.read("MGM2-0012-00000.mp3"), "new");
    EXPECT_TRUE(files.CopyFileReplace(folder.path("gone.mp3"), folder.path("MGM2-0012-00000.mp3")));
    EXPECT_EQ(folder.read("MGM2-0012-00000.mp3"), "new") << "a missing source changes nothing";
}

TEST_F(WindowsFileOperationsTest, CopyOntoItselfFailsAndChangesNothing) {
    folder.write("MGM2-0012-00000.mp3", "sound");
    for (const char* spelling : {"MGM2-0012-00000.mp3", "mgm2-0012-00000.MP3"}) {
        EXPECT_TRUE(
            files.CopyFileReplace(folder.path("MGM2-0012-00000.mp3"), folder.path(spelling)))
            << spelling;
        EXPECT_EQ(folder.read("MGM2-0012-00000.mp3"), "sound") << spelling;
    }
}

TEST_F(WindowsFileOperationsTest, ACopyOfAReadOnlyFileCanBeReplacedAndDeletedLater) {
    folder.write("cd.mp3", "from a CD");
    fs::permissions(folder.native("cd.mp3"), fs::perms::owner_write, fs::perm_options::remove);
    ASSERT_FALSE(files.CopyFileReplace(folder.path("cd.mp3"), folder.path("MGM2-0012-00000.mp3")));
    folder.write("other.mp3", "other");
    EXPECT_FALSE(
        files.CopyFileReplace(folder.path("other.mp3"), folder.path("MGM2-0012-00000.mp3")));
    EXPECT_EQ(folder.read("MGM2-0012-00000.mp3"), "other");
    EXPECT_TRUE(files.ShellDelete(folder.path("MGM2-0012-00000.mp3")));
}

TEST_F(WindowsFileOperationsTest, FileExistsOnlyForFiles) {
    folder.write("SET_-0001-00021.mp3", "");
    fs::create_directory(folder.native("Ordner"));
    const auto systemRoot = fs::temp_directory_path().root_path().u8string();
    const struct {
        std::string path;
        bool exists;
    } cases[] = {
        {folder.path("SET_-0001-00021.mp3"), true},
        {folder.path("sET_-0001-00021.MP3"), true},
        {folder.path("SET_-0002-00180.mp3"), false},
        {folder.path("Ordner"), false},
        {folder.path(), false},
        {std::string(systemRoot.begin(), systemRoot.end()), false}, // "C:\" is a folder
        {"Q:\\tonkat.tkx", false},                                  // no such drive
        {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(files.FileExists(c.path), c.exists) << c.path;
    }
}

TEST_F(WindowsFileOperationsTest, EnsureFileCreatesAnEmptyFileAndLeavesAnExistingOneAlone) {
    folder.write("SET_-0001-00021.mp3", "not empty");
    files.EnsureFile(folder.path("SET_-0001-00021.mp3"));
    EXPECT_EQ(folder.read("SET_-0001-00021.mp3"), "not empty");
    files.EnsureFile(folder.path("SET_-0002-00180.mp3"));
    EXPECT_EQ(folder.read("SET_-0002-00180.mp3"), "");
}

TEST_F(WindowsFileOperationsTest, RenameNeverReplacesAnExistingFile) {
    folder.write("MGM2-0012-00000.mp3", "old name");
    folder.write("MGM2-0013-00000.mp3", "taken");
    EXPECT_TRUE(
        files.renameFile(folder.path("MGM2-0012-00000.mp3"), folder.path("MGM2-0013-00000.mp3")));
    EXPECT_EQ(folder.read("MGM2-0013-00000.mp3"), "taken");
    EXPECT_FALSE(
        files.renameFile(folder.path("MGM2-0012-00000.mp3"), folder.path("MGM2-0014-00000.mp3")));
    EXPECT_EQ(folder.read("MGM2-0014-00000.mp3"), "old name");
}

TEST_F(WindowsFileOperationsTest, WritesAndReadsBytesAsTheyAre) {
    const std::string bytes = "Kopf\r\n\xC4\xD6\xDC\xE4\xF6\xFC\xDF\r\n"s + '\0' + "\x1A" +
                              std::string(200000, 'x'); // longer than one chunk
    EXPECT_FALSE(files.writeFileDurably(folder.path("tonkat.tkx"), bytes));
    EXPECT_EQ(folder.read("tonkat.tkx"), bytes);
    EXPECT_FALSE(files.writeFileDurably(folder.path("tonkat.tkx"), "kurz"));
    std::error_code error;
    EXPECT_EQ(files.readFile(folder.path("tonkat.tkx"), error), "kurz");
    EXPECT_FALSE(error);
    EXPECT_EQ(files.readFile(folder.path("fehlt.tkx"), error), std::nullopt);
    EXPECT_TRUE(error);
}

TEST_F(WindowsFileOperationsTest, ACopyKeepsTheSourcesSizeAndModificationTime) {
    folder.write("quelle.mp3", "12345");
    const auto november2023 = std::chrono::file_clock::from_sys(
        std::chrono::sys_seconds(std::chrono::seconds(1'700'000'000)));
    fs::last_write_time(folder.native("quelle.mp3"), november2023);
    ASSERT_FALSE(
        files.CopyFileReplace(folder.path("quelle.mp3"), folder.path("MGM2-0012-00000.mp3")));
    const auto status = files.status(folder.path("MGM2-0012-00000.mp3"));
    ASSERT_TRUE(status);
    EXPECT_EQ(status->size, 5u);
    EXPECT_NEAR(status->modified, 1'700'000'000, 0.01);
    EXPECT_EQ(files.status(folder.path()), std::nullopt) << "a folder";
    EXPECT_EQ(files.status(folder.path("fehlt.mp3")), std::nullopt);
}

TEST_F(WindowsFileOperationsTest, ListsTheFilesOfAFolderInUtf8) {
    folder.write("tonkat.tkx", "");
    folder.write("Łódź ψ.mp3", "");
    fs::create_directory(folder.native("Unterordner"));
    auto names = files.listFiles(folder.path());
    ASSERT_TRUE(names);
    std::sort(names->begin(), names->end());
    EXPECT_EQ(*names, (std::vector<std::string>{"tonkat.tkx", "Łódź ψ.mp3"}));
    EXPECT_EQ(files.listFiles(folder.path("Unterordner")), std::vector<std::string>{});
    EXPECT_EQ(files.listFiles(folder.path("fehlt")), std::nullopt);
    EXPECT_EQ(files.listFiles("Q:\\"), std::nullopt) << "a drive that is not there";
}

} // namespace
} // namespace tonarion
