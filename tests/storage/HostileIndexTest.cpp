// Index files are untrusted: a stick comes from anywhere. These run the reader, a commit and
// the deletion of every row over hand-crafted index files on a real folder and check that no
// file beside the stick was touched.

#include "storage/StickSelection.h"
#include "storage/StickWorkspace.h"
#include "storage/platform/linux/LinuxFileOperations.h"
#include "support/RecordingUserInterface.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <unistd.h>

namespace tonarion {
namespace {

using testing::RecordingUserInterface;
namespace fs = std::filesystem;

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string garbage(std::size_t size) {
    std::mt19937 random(6);
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random() & 0xFF);
    }
    return bytes;
}

class HostileIndexTest : public ::testing::Test {
protected:
    HostileIndexTest() {
        // A short folder, so that an absolute path to a file in it fits into the 19
        // characters of an entry's name.
        char folder[] = "/tmp/tnXXXXXX";
        m_base = ::mkdtemp(folder);
        fs::create_directories(m_base / "stick/sub");
        fs::create_directories(m_base / "music");
        m_sentinels = {
            {m_base / "S.mp3", "sentinel beside the stick"},
            {m_base / "sentinel-000.mp3", "sentinel above the stick"},
            {m_base / "music/a.mp3", "a sound on the computer"},
            {m_base / "stick/sub/inner-00000.mp3", "in a folder of the stick"},
        };
        for (const auto& [path, content] : m_sentinels) {
            writeBytes(path, content);
        }
    }
    ~HostileIndexTest() override { fs::remove_all(m_base); }

    std::string stick() const { return (m_base / "stick").string() + "/"; }
    std::string absoluteSentinelName() const { return (m_base / "S.mp3").string(); }

    // Loads the index file, commits every row, deletes every row and commits again, as a
    // user who tries everything would.
    void workThrough(const std::string& indexBytes) {
        writeBytes(stick() + "tonkat.tkx", indexBytes);
        Session session;
        session.stickRoot = stick();
        StickWorkspace workspace(session, m_files, m_ui);
        ASSERT_TRUE(gueltigeAuswahl(session, m_files, m_ui));
        ASSERT_EQ(workspace.load((m_base / "music").string()), IndexReadResult::Read);
        for (const SoundEntry& entry : session.table.entries()) {
            EXPECT_TRUE(isPlainFileName(entry.entryName)) << entry.entryName;
        }
        session.SaveNeeded = true;
        workspace.commit();
        while (session.table.entryCount() > 0) {
            workspace.deleteRow(1);
        }
        session.SaveNeeded = true;
        workspace.commit();
    }

    void expectSentinelsUntouched(const std::string& what) {
        for (const auto& [path, content] : m_sentinels) {
            EXPECT_EQ(readBytes(path), content) << what << ": " << path;
        }
        std::vector<std::string> beside;
        for (const auto& item : fs::directory_iterator(m_base)) {
            beside.push_back(item.path().filename().string());
        }
        std::sort(beside.begin(), beside.end());
        EXPECT_EQ(beside, (std::vector<std::string>{"S.mp3", "music", "sentinel-000.mp3", "stick"}))
            << what;
    }

    fs::path m_base;
    std::map<fs::path, std::string> m_sentinels;
    LinuxFileOperations m_files;
    RecordingUserInterface m_ui;
};

TEST_F(HostileIndexTest, NoIndexFileReachesBesideTheStick) {
    const std::string header = "Tonarion-Inhalt - Veltrako Ruzirovuza GmbH\r\n";
    const std::string a = (m_base / "music/a.mp3").string();
    const std::string lines[] = {
        "../sentinel-000.mp3;" + a,
        "..\\sentinel-000.mp3;" + a,
        "../../../../../../S;" + a,
        absoluteSentinelName() + ";" + a,
        "sub/inner-00000.mp3;" + a,
        "SET_-0001/../../S.mp3",
        "SET_-0006-../sentinel-000.mp3",
        "SET_-0001-\\..\\S.mp3",
        [&a] {
            std::string name = "MGM2-0012-00000.mp3";
            name[7] = '\0';
            return name + ";" + a;
        }(),
        "MGM2-0012-00000.mp3;" + std::string(a.data(), 5) + std::string(1, '\0') + "x",
        "MGM2-0012-00000.mp3;" + absoluteSentinelName(),
        "MRM2-0012-00000.mp3;" + stick() + "../S.mp3",
        "ZUM_-0001-00000.mp3;" + stick() + "../sentinel-000.mp3",
        "ZUM_-0002-00000.mp3;" + stick() + "sub/inner-00000.mp3",
    };
    std::string everyLine = header;
    for (const auto& line : lines) {
        workThrough(header + line + "\r\n");
        expectSentinelsUntouched(line);
        everyLine += line + "\r\n";
    }
    const std::pair<const char*, std::string> files[] = {
        {"every line at once", everyLine},
        {"a 1 MB source path", header + "MGM2-0012-00000.mp3;" + std::string(1 << 20, '/')},
        {"a 1 MB line of ../", header +
                                   [] {
                                       std::string dots;
                                       while (dots.size() < (1u << 20)) {
                                           dots += "../";
                                       }
                                       return dots;
                                   }()},
        {"binary garbage", garbage(1 << 18)},
        {"binary garbage after the header", header + garbage(1 << 16)},
        {"only CR line ends", "Tonarion-Inhalt - Veltrako Ruzirovuza GmbH\r../sentinel-000.mp3;x\r"
                              "MGM2-0012-00000.mp3;" +
                                  a + "\r"},
        {"a byte order mark", "\xEF\xBB\xBF" + header + "../sentinel-000.mp3;\xC3\xA4\r\n"},
        {"no line end at all", std::string(1 << 20, 'M')},
        {"empty", ""},
    };
    for (const auto& [what, bytes] : files) {
        workThrough(bytes);
        expectSentinelsUntouched(what);
    }
}

TEST_F(HostileIndexTest, LinksOnTheStickAreReplacedNotWrittenThrough) {
    // A stick formatted on Linux can hold symbolic links named like the program's files.
    const std::string a = (m_base / "music/a.mp3").string();
    const std::string header = "Tonarion-Inhalt - Veltrako Ruzirovuza GmbH\r\n";
    fs::create_symlink(m_base / "S.mp3", stick() + "MGM2-0012-00000.mp3");
    fs::create_symlink(m_base / "sentinel-000.mp3", stick() + "tonkat.tkx.tmp");
    fs::create_symlink(m_base / "S.mp3", stick() + "SET_-0001-00021.mp3");
    fs::create_symlink(m_base, stick() + "ZUM_-0001-00000.mp3");

    writeBytes(stick() + "tonkat.tkx",
               header + "MGM2-0012-00000.mp3;" + a + "\r\n" + "ZUM_-0001-00000.mp3;" + a + "\r\n" +
                   "ZUM_-0002-00000.mp3;" + a + "\r\nSET_-0001-00021.mp3\r\n");
    Session session;
    session.stickRoot = stick();
    StickWorkspace workspace(session, m_files, m_ui);
    ASSERT_EQ(workspace.load("/opt"), IndexReadResult::Read);
    session.SaveNeeded = true;
    EXPECT_EQ(workspace.commit(), CommitResult::Written);
    EXPECT_EQ(readBytes(stick() + "MGM2-0012-00000.mp3"), "a sound on the computer");
    EXPECT_FALSE(fs::is_symlink(stick() + "MGM2-0012-00000.mp3"));
    expectSentinelsUntouched("commit over links");

    workspace.deleteRow(2); // the former 2 moves onto the name the linked folder had
    EXPECT_EQ(readBytes(stick() + "ZUM_-0001-00000.mp3"), "a sound on the computer");
    workspace.deleteRow(1);
    workspace.deleteRow(1);
    session.SaveNeeded = true;
    workspace.commit();
    expectSentinelsUntouched("deleting over links");
    EXPECT_TRUE(fs::is_directory(m_base / "music"));
}

} // namespace
} // namespace tonarion
