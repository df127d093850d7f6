#pragma once

#include "storage/IndexFile.h"
#include "storage/StickWorkspace.h"
#include "support/FakeFileOperations.h"
#include "support/RecordingUserInterface.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tonarion::testing {

inline const std::string Root = "/stick/";
inline const std::string Music = "/home/anna/Musik/";

inline const std::vector<std::string> DefaultSettingLines = {
    "SET_-0001-00021.mp3", "SET_-0002-00180.mp3", "SET_-0003-00028.mp3",
    "SET_-0004-00002.mp3", "SET_-0005-00000.mp3", "SET_-0006-00000.mp3",
};

// Index-file bytes: the header, the given lines, each with CR LF.
inline std::string indexWith(const std::vector<std::string>& lines) {
    std::string bytes = std::string(IndexHeader) + "\r\n";
    for (const auto& line : lines) {
        bytes += line + "\r\n";
    }
    return bytes;
}

// A stick in memory at /stick/ with the program in /opt/tonarion, and a workspace on it.
class StickFixture : public ::testing::Test {
protected:
    StickFixture() {
        files.addFolder(Root);
        files.addFolder(Music);
        session.stickRoot = Root;
    }

    // Puts an index file with these entry lines and the default settings on the stick,
    // with the setting files, and loads it.
    void loadStick(std::vector<std::string> lines) {
        for (const auto& line : DefaultSettingLines) {
            files.addFile(Root + line);
        }
        lines.insert(lines.end(), DefaultSettingLines.begin(), DefaultSettingLines.end());
        files.addFile(Root + IndexFileName, indexWith(lines));
        ASSERT_EQ(workspace.load("/opt/tonarion"), IndexReadResult::Read);
    }

    std::string index() const { return files.content(Root + IndexFileName); }
    const SoundEntry& row(int r) const { return session.table.row(r); }

    FakeFileOperations files;
    RecordingUserInterface ui;
    Session session;
    StickWorkspace workspace{session, files, ui};
};

} // namespace tonarion::testing
