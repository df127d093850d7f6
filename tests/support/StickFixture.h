#pragma once

#include "storage/IndexFile.h"
#include "storage/StickWorkspace.h"
#include "support/FakeFileOperations.h"
#include "support/RecordingUserInterface.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// The same with the default settings after the entry lines.
inline std::string indexWithDefaults(std::vector<std::string> lines) {
    lines.insert(lines.end(), DefaultSettingLines.begin(), DefaultSettingLines.end());
    return indexWith(lines);
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
    void loadStick(const std::vector<std::string>& entryLines) {
        for (const auto& line : DefaultSettingLines) {
            files.addFile(Root + line);
        }
        files.addFile(Root + IndexFileName, indexWithDefaults(entryLines));
        ASSERT_EQ(workspace.load("/opt/tonarion"), IndexReadResult::Read);
    }

    std::string index() const { return files.content(Root + IndexFileName); }
    const SoundEntry& row(int r) const { return session.table.row(r); }
    // How many writes of this kind ("copy", "delete", ...) the stick saw.
    long writesOf(const std::string& kind) const {
        return std::count_if(files.writes.begin(), files.writes.end(),
                             [&](const std::string& w) { return w.starts_with(kind + " "); });
    }

    FakeFileOperations files;
    RecordingUserInterface ui;
    Session session;
    StickWorkspace workspace{session, files, ui};
};

} // namespace tonarion::testing
