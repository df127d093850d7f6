// Index files are untrusted: a stick comes from anywhere. This runs the reader, a commit and
// the deletion of every row over hand-crafted index files on a real folder and checks that no
// file beside the stick was touched.

#include "storage/StickSelection.h"
#include "storage/platform/linux/LinuxFileOperations.h"
#include "support/FileBytes.h"
#include "support/RecordingUserInterface.h"
#include "workspace/StickWorkspace.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <numeric>
#include <unistd.h>

namespace tonarion {
namespace {

using testing::readBytes;
using testing::RecordingUserInterface;
using testing::writeBytes;
namespace fs = std::filesystem;
using namespace std::string_literals;

const std::string Header = std::string(IndexHeader) + "\r\n";

class HostileIndexTest : public ::testing::Test {
protected:
    HostileIndexTest() {
        // A short folder, so that an absolute path to a file in it fits into the 19
        // characters of an entry's name.
        char folder[] = "/tmp/tnXXXXXX";
        m_base = ::mkdtemp(folder);
        fs::create_directories(m_base / "stick/sub");
        fs::create_directories(m_base / "music");
        writeBytes(m_base / "S.mp3", "sentinel beside the stick");
        writeBytes(m_base / "sentinel-000.mp3", "sentinel above the stick");
        writeBytes(m_base / "music/a.mp3", "a sound on the computer");
        writeBytes(m_base / "stick/sub/inner-00000.mp3", "in a folder of the stick");
    }
    ~HostileIndexTest() override { fs::remove_all(m_base); }

    std::string stick() const { return (m_base / "stick").string() + "/"; }
    std::string music() const { return (m_base / "music/a.mp3").string(); }

    // Puts the index file on a stick that also holds symbolic links named like the program's
    // files (a stick formatted on Linux can), loads it, commits every row, deletes every row
    // and commits again, as a user who tries everything would.
    void workThrough(const std::string& indexBytes) {
        for (const auto& [link, target] : {std::pair{"MGM2-0012-00000.mp3", "S.mp3"},
                                           {"SET_-0001-00021.mp3", "S.mp3"},
                                           {"tonkat.tkx.tmp", "sentinel-000.mp3"},
                                           {"ZUM_-0001-00000.mp3", ""}}) {
            fs::remove(stick() + link);
            fs::create_symlink(m_base / target, stick() + link);
        }
        writeBytes(stick() + "tonkat.tkx", indexBytes);
        Session session;
        session.stickRoot = stick();
        StickWorkspace workspace(session, m_files, m_ui);
        ASSERT_TRUE(gueltigeAuswahl(session, m_files, m_ui));
        ASSERT_EQ(workspace.load((m_base / "music").string()), IndexReadResult::Read);
        session.markChanged();
        workspace.commit();
        while (session.table.entryCount() > 0) {
            workspace.deleteRow(1);
        }
        session.markChanged();
        workspace.commit();
    }

    // Every file and folder beside the stick's root and below it, with its content.
    std::map<fs::path, std::string> outsideTheRoot() const {
        std::map<fs::path, std::string> found;
        for (const auto& item : fs::recursive_directory_iterator(m_base)) {
            if (item.path().parent_path() != m_base / "stick") {
                found[item.path()] = readBytes(item.path());
            }
        }
        return found;
    }

    fs::path m_base;
    LinuxFileOperations m_files;
    RecordingUserInterface m_ui;
};

TEST_F(HostileIndexTest, NoIndexFileReachesBesideTheStick) {
    const std::string absolute = (m_base / "S.mp3").string();
    const std::string lines[] = {
        "../sentinel-000.mp3;" + music(),
        "..\\sentinel-000.mp3;" + music(),
        absolute + ";" + music(),
        "sub/inner-00000.mp3;" + music(),
        "SET_-0001/../../S.mp3",
        "SET_-0006-../sentinel-000.mp3",
        "SET_-0001-\\..\\S.mp3",
        "MGM2-00\0"s + "2-00000.mp3;" + music(),
        "MGM2-0012-00000.mp3;" + music().substr(0, 5) + '\0' + "x",
        "MGM2-0012-00000.mp3;" + absolute,
        "MRM2-0012-00000.mp3;" + stick() + "../S.mp3",
        "ZUM_-0001-00000.mp3;" + stick() + "../sentinel-000.mp3",
        "ZUM_-0002-00000.mp3;" + stick() + "sub/inner-00000.mp3",
    };
    std::vector<std::pair<std::string, std::string>> indexFiles; // what, bytes
    std::string everyLine = Header;
    for (const auto& line : lines) {
        indexFiles.emplace_back(line, Header + line + "\r\n");
        everyLine += line + "\r\n";
    }
    std::string garbage(1 << 18, '\0');
    std::iota(garbage.begin(), garbage.end(), '\0'); // every byte value, over and over
    indexFiles.insert(
        indexFiles.end(),
        {{"every line at once", everyLine},
         {"sounds and a setting named like the links", // the former ZUM 2 moves onto a link
          Header + "MGM2-0012-00000.mp3;" + music() + "\r\nZUM_-0001-00000.mp3;" + music() +
              "\r\nZUM_-0002-00000.mp3;" + music() + "\r\nSET_-0001-00021.mp3\r\n"},
         {"a 1 MB source path", Header + "MGM2-0012-00000.mp3;" + std::string(1 << 20, '/')},
         {"binary garbage after the header", Header + garbage},
         {"only CR line ends", Header.substr(0, Header.size() - 1) + "../sentinel-000.mp3;x\r" +
                                   "MGM2-0012-00000.mp3;" + music() + "\r"},
         {"a byte order mark", "\xEF\xBB\xBF" + Header + "../sentinel-000.mp3;\xC3\xA4\r\n"},
         {"no line end at all", std::string(1 << 20, 'M')},
         {"empty", ""}});
    const auto outside = outsideTheRoot();
    for (const auto& [what, bytes] : indexFiles) {
        workThrough(bytes);
        EXPECT_EQ(outsideTheRoot(), outside) << what;
    }
}

} // namespace
} // namespace tonarion
