// What the Linux file operations tell a caller when they fail: the file concerned and why.

#include "storage/platform/linux/LinuxFileOperations.h"

#include "support/FakeFileOperations.h"
#include "support/SoundFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <utility>

namespace tonarion {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// The commit names the stick file that could not be written; a copy or a rename that fails
// names its target even when its source is what is missing.
TEST(LinuxFileOperationsTest, AFailureNamesTheFileItConcernsAndChangesNothing) {
    const TempFolder base("tonarion-fileops-");
    const std::string folder = base.path("");
    const std::string gone = folder + "fehlt/"; // a pulled stick's root
    writeBytes(folder + "a.mp3", "sound");
    LinuxFileOperations files;

    const std::pair<FileResult, std::string> cases[] = {
        {files.ShellDelete(gone + "a.mp3"), gone + "a.mp3"},
        {files.CopyFileReplace(folder + "a.mp3", gone + "b.mp3", {}), gone + "b.mp3"},
        {files.CopyFileReplace(folder + "weg.mp3", folder + "b.mp3", {}), folder + "b.mp3"},
        {files.CopyFileNew(folder + "weg.mp3", folder + "b.mp3", {}), folder + "b.mp3"},
        {files.EnsureFile(gone + "SET_-0001-00021.mp3"), gone + "SET_-0001-00021.mp3"},
        {files.renameFile(folder + "a.mp3", gone + "b.mp3"), gone + "b.mp3"},
        {files.replaceFile(folder + "weg.mp3", folder + "a.mp3"), folder + "a.mp3"},
        {files.writeFileDurably(gone + "tonkat.tkx", "x"), gone + "tonkat.tkx"},
        {files.writeFile(gone + "tonkat.jnl", "x"), gone + "tonkat.jnl"},
        {files.flushMedium(gone), gone},
        {files.readFile(gone + "tonkat.tkx"), gone + "tonkat.tkx"},
        {files.status(folder), folder}, // a folder has no size of its own
        {files.freeSpace(gone), gone},
        {files.identity(gone), gone},
        {files.listFiles(gone), gone},
    };
    for (const auto& [result, file] : cases) {
        EXPECT_TRUE(result.failed()) << file;
        EXPECT_EQ(result.file(), file);
    }
    EXPECT_EQ(readBytes(folder + "a.mp3"), "sound");
    EXPECT_FALSE(fs::exists(folder + "b.mp3"));

    // A file that is there already is what EnsureFile wants.
    EXPECT_TRUE(files.EnsureFile(folder + "a.mp3").ok());
    EXPECT_EQ(readBytes(folder + "a.mp3"), "sound");

    // A durable write, and a copy that replaces a file, ask the kernel to flush.
    for (const auto& change : std::vector<std::function<FileResult()>>{
             [&] { return files.writeFileDurably(folder + "tonkat.tkx", "index"); },
             [&] {
                 return files.CopyFileReplace(folder + "tonkat.tkx", folder + "a.mp3", {});
             }}) {
        const int flushes = kernelFlushCount();
        EXPECT_TRUE(change().ok());
        EXPECT_GT(kernelFlushCount(), flushes);
    }
    EXPECT_EQ(readBytes(folder + "a.mp3"), "index");

    // A stick formatted on Linux can hold links named like the files the program writes,
    // leading to a file of the computer: each write replaces the link, never what it leads to.
    writeBytes(folder + "computer.txt", "computer");
    for (const char* name : {"tonkat.tkx.tmp", "tonkat.jnl", "MGM2-0012-00000.mp3"}) {
        fs::create_symlink(folder + "computer.txt", folder + name);
    }
    EXPECT_TRUE(files.writeFileDurably(folder + "tonkat.tkx.tmp", "index").ok());
    EXPECT_TRUE(files.writeFile(folder + "tonkat.jnl", "journal").ok());
    EXPECT_TRUE(files.CopyFileReplace(folder + "a.mp3", folder + "MGM2-0012-00000.mp3", {}).ok());
    EXPECT_EQ(readBytes(folder + "computer.txt"), "computer");
    EXPECT_EQ(readBytes(folder + "tonkat.jnl") + readBytes(folder + "MGM2-0012-00000.mp3"),
              "journalindex");
}

} // namespace
} // namespace tonarion
