// The Windows file operations on real files; these run under Wine in CI.

#include "storage/platform/windows/WindowsFileOperations.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

namespace tonarion {
namespace {

using namespace testing;
using namespace std::string_literals;
namespace fs = std::filesystem;

const char* const Sound = "MGM2-0012-00000.mp3";

class WindowsFileOperationsTest : public ::testing::Test {
protected:
    TempFolder folder;
    WindowsFileOperations files;
};

TEST_F(WindowsFileOperationsTest, ShellDeleteRemovesExactlyOneExistingFile) {
    for (const std::string& nuls : {""s, "\0"s, "\0\0"s}) {
        folder.write(Sound, "sound");
        folder.write("MGM2-0012-00001.mp3", "neighbour");
        EXPECT_TRUE(files.ShellDelete(folder.path(Sound) + nuls).ok()) << nuls.size();
        EXPECT_FALSE(folder.exists(Sound)) << nuls.size();
        EXPECT_EQ(folder.read("MGM2-0012-00001.mp3"), "neighbour") << nuls.size();
    }
    // No pattern, no folder, no missing file and no list of files is deleted.
    folder.write("ZUM_-0001-00000.mp3", "a");
    folder.write("ZUM_-0002-00000.mp3", "b");
    fs::create_directory(folder.native("SET_-0001-00021.mp3"));
    folder.write("SET_-0001-00021.mp3\\inside.mp3", "kept");
    for (const std::string& path :
         {folder.path("ZUM_-*-00000.mp3"), folder.path("ZUM_-000?-00000.mp3"), folder.path("*"),
          folder.path("SET_-0001-00021.mp3"), folder.path(Sound),
          folder.path("ZUM_-0001-00000.mp3") + '\0' + folder.path("ZUM_-0002-00000.mp3")}) {
        EXPECT_TRUE(files.ShellDelete(path).failed()) << path;
    }
    EXPECT_EQ(folder.read("ZUM_-0001-00000.mp3"), "a");
    EXPECT_EQ(folder.read("ZUM_-0002-00000.mp3"), "b");
    EXPECT_EQ(folder.read("SET_-0001-00021.mp3\\inside.mp3"), "kept");
}

TEST_F(WindowsFileOperationsTest, CopyReplacesTheTargetWhollyButNeverFromItself) {
    // A read-only source, as from a CD, with a known modification time.
    folder.write("cd.mp3", "from a CD");
    const auto november2023 = std::chrono::file_clock::from_sys(
        std::chrono::sys_seconds(std::chrono::seconds(1'700'000'000)));
    fs::last_write_time(folder.native("cd.mp3"), november2023);
    fs::permissions(folder.native("cd.mp3"), fs::perms::owner_write, fs::perm_options::remove);
    ASSERT_TRUE(files.CopyFileReplace(folder.path("cd.mp3"), folder.path(Sound), {}).ok());
    EXPECT_EQ(folder.read(Sound), "from a CD");
    EXPECT_EQ(files.status(folder.path(Sound)).value().size, 9u);
    EXPECT_NEAR(files.status(folder.path(Sound)).value().modified, 1'700'000'000, 0.01);

    // The copy is not read-only: a shorter sound replaces it wholly, and it can be deleted.
    folder.write("other.mp3", "other");
    EXPECT_TRUE(files.CopyFileReplace(folder.path("other.mp3"), folder.path(Sound), {}).ok());
    EXPECT_EQ(folder.read(Sound), "other");
    // A missing source and a copy onto the file itself fail and change nothing.
    for (const auto& [source, target] : {std::pair{"gone.mp3", Sound}, std::pair{Sound, Sound},
                                         std::pair{Sound, "mgm2-0012-00000.MP3"}}) {
        const auto copied = files.CopyFileReplace(folder.path(source), folder.path(target), {});
        EXPECT_TRUE(copied.failed()) << target;
        EXPECT_EQ(copied.file(), folder.path(target));
        EXPECT_EQ(folder.read(Sound), "other") << source << " onto " << target;
    }
    EXPECT_TRUE(files.ShellDelete(folder.path(Sound)).ok());
}

TEST_F(WindowsFileOperationsTest, EnsureFileLeavesAFileAloneAndFileExistsOnlyForFiles) {
    folder.write("SET_-0001-00021.mp3", "not empty");
    files.EnsureFile(folder.path("SET_-0001-00021.mp3"));
    files.EnsureFile(folder.path("SET_-0002-00180.mp3"));
    EXPECT_EQ(folder.read("SET_-0001-00021.mp3"), "not empty");
    EXPECT_EQ(folder.read("SET_-0002-00180.mp3"), "");
    fs::create_directory(folder.native("Ordner"));
    const auto systemRoot = fs::temp_directory_path().root_path().u8string();
    const std::pair<std::string, bool> cases[] = {
        {folder.path("SET_-0001-00021.mp3"), true},
        {folder.path("sET_-0001-00021.MP3"), true},
        {folder.path("SET_-0003-00028.mp3"), false},
        {folder.path("Ordner"), false},
        {std::string(systemRoot.begin(), systemRoot.end()), false}, // "C:\" is a folder
        {"Q:\\tonkat.tkx", false},                                  // no such drive
        {"", false},
    };
    for (const auto& [path, exists] : cases) {
        EXPECT_EQ(files.FileExists(path), exists) << path;
        EXPECT_EQ(files.status(path).has_value(), exists) << path;
    }
}

TEST_F(WindowsFileOperationsTest, RenameNeverReplacesAnExistingFile) {
    folder.write(Sound, "old name");
    folder.write("MGM2-0013-00000.mp3", "taken");
    const auto renamed = files.renameFile(folder.path(Sound), folder.path("MGM2-0013-00000.mp3"));
    EXPECT_TRUE(renamed.failed());
    EXPECT_EQ(renamed.file(), folder.path("MGM2-0013-00000.mp3"));
    EXPECT_EQ(folder.read("MGM2-0013-00000.mp3"), "taken");
    EXPECT_TRUE(files.renameFile(folder.path(Sound), folder.path("MGM2-0014-00000.mp3")).ok());
    EXPECT_EQ(folder.read("MGM2-0014-00000.mp3"), "old name");
}

TEST_F(WindowsFileOperationsTest, WritesAndReadsBytesAsTheyAre) {
    const std::string bytes = "Kopf\r\n\xC4\xD6\xDC\xE4\xF6\xFC\xDF\r\n"s + '\0' + "\x1A" +
                              std::string(200000, 'x'); // longer than one chunk
    EXPECT_TRUE(files.writeFileDurably(folder.path("tonkat.tkx"), bytes).ok());
    EXPECT_EQ(folder.read("tonkat.tkx"), bytes);
    EXPECT_TRUE(files.writeFileDurably(folder.path("tonkat.tkx"), "kurz").ok());
    const auto read = files.readFile(folder.path("tonkat.tkx"));
    EXPECT_EQ(read.optional(), "kurz");
    EXPECT_TRUE(read.ok());
    const auto missing = files.readFile(folder.path("fehlt.tkx"));
    EXPECT_EQ(missing.optional(), std::nullopt);
    EXPECT_TRUE(missing.failed());
    EXPECT_EQ(missing.file(), folder.path("fehlt.tkx"));
}

TEST_F(WindowsFileOperationsTest, ListsTheFilesOfAFolderInUtf8) {
    folder.write("tonkat.tkx", "");
    folder.write("Łódź ψ.mp3", "");
    fs::create_directory(folder.native("Unterordner"));
    auto names = files.listFiles(folder.path());
    ASSERT_TRUE(names);
    std::sort(names->begin(), names->end());
    EXPECT_EQ(*names, (std::vector<std::string>{"tonkat.tkx", "Łódź ψ.mp3"}));
    EXPECT_EQ(files.listFiles(folder.path("Unterordner")).optional(), std::vector<std::string>{});
    EXPECT_EQ(files.listFiles(folder.path("fehlt")).optional(), std::nullopt);
}

} // namespace
} // namespace tonarion
