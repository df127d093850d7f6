#pragma once

#include "storage/IndexFile.h"
#include "support/FakeFileOperations.h"
#include "support/RecordingUserInterface.h"
#include "workspace/StickWorkspace.h"

#include <map>
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

// A stick in memory at /stick/ with a workspace on it: the core's tests reach it through
// StickFixture, the window tests hold one of their own.
struct TestStick {
    TestStick() {
        files.addFolder(Root);
        files.addFolder(Music);
        session.stick().setRoot(Root);
    }

    // An index file with these entry lines and the default settings, with the setting files.
    void writeIndex(std::vector<std::string> entryLines) {
        for (const auto& line : DefaultSettingLines) {
            files.addFile(Root + line);
        }
        entryLines.insert(entryLines.end(), DefaultSettingLines.begin(), DefaultSettingLines.end());
        files.addFile(Root + IndexFileName, indexWith(entryLines));
    }

    // The same, and each entry's sound is on the stick and at its source on the computer.
    void writeIndexWithSounds(const std::vector<std::string>& entryLines) {
        for (const auto& line : entryLines) {
            const std::string name = line.substr(0, 19);
            files.addFile(Root + name, "sound of " + name, 1000);
            files.addFile(line.substr(20), "sound of " + name, 1000);
        }
        writeIndex(entryLines);
    }

    std::string index() const { return files.content(Root + IndexFileName); }
    // Every file in the stick's root and in these folders of it ("a/"), by its path from the
    // root, with its bytes.
    std::map<std::string, std::string> stickBytes(std::vector<std::string> folders = {}) const {
        std::map<std::string, std::string> bytes;
        folders.insert(folders.begin(), "");
        for (const auto& folder : folders) {
            for (const auto& name : files.filesIn(Root + folder)) {
                bytes[folder + name] = files.content(Root + folder + name);
            }
        }
        return bytes;
    }
    const SoundEntry& row(int r) const { return session.table().row(r); }

    FakeFileOperations files;
    RecordingUserInterface ui;
    Session session;
    StickWorkspace workspace{session, files, ui};
};

} // namespace tonarion::testing
