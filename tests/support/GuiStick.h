#pragma once

#include "settings/SettingEntry.h"
#include "storage/IndexFile.h"
#include "storage/StickWorkspace.h"
#include "support/FakeFileOperations.h"
#include "support/RecordingUserInterface.h"

#include <initializer_list>
#include <string>

namespace tonarion::testing {

// A stick in memory at /stick/ with a workspace on it, for the window tests.
struct GuiStick {
    GuiStick() {
        files.addFolder(Root);
        files.addFolder(Music);
        session.stickRoot = Root;
    }

    // An index file with these entry lines and the default settings, their files on the
    // stick; the sounds' sources exist on the computer.
    void writeIndex(std::initializer_list<std::string> entryLines) {
        std::string bytes = std::string(IndexHeader) + "\r\n";
        for (const auto& line : entryLines) {
            bytes += line + "\r\n";
            const std::string name = line.substr(0, 19);
            files.addFile(Root + name, "sound of " + name, 1000);
            files.addFile(line.substr(20), "sound of " + name, 1000);
        }
        for (const Setting setting : AllSettings) {
            bytes += freshDefaultName(setting) + "\r\n";
            files.addFile(Root + freshDefaultName(setting));
        }
        files.addFile(Root + IndexFileName, bytes);
    }

    std::string index() const { return files.content(Root + IndexFileName); }

    static inline const std::string Root = "/stick/";
    static inline const std::string Music = "/home/anna/Musik/";

    FakeFileOperations files;
    RecordingUserInterface ui;
    Session session;
    StickWorkspace workspace{session, files, ui};
};

} // namespace tonarion::testing
