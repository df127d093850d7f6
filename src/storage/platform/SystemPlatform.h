#pragma once

#include "storage/DriveDiscovery.h"
#include "storage/FileOperations.h"

#include <memory>
#include <string>
#include <vector>

namespace tonarion {

// The running system's file operations, drive discovery, folders and command line; each
// platform folder builds its own implementation of everything declared here.
std::unique_ptr<FileOperations> makeSystemFileOperations();
std::unique_ptr<DriveSource> makeSystemDriveSource();

// The folder that holds the running program, without a trailing separator unless it is a
// root: relative source paths in an index file are taken relative to it.
std::string programFolder();

// The stick root of a folder: the folder with its trailing separator, so that root + file
// name is the file's path ("/media/anna/STICK/", "E:\").
std::string stickRootOf(const std::string& folder);

// The words of the command line after the program's name, in UTF-8 (Windows hands main() its
// words in the ANSI code page, which lacks most letters of a Polish or Greek folder name).
std::vector<std::string> commandLineWords(int argc, char** argv);

// While it lives, the console shows the UTF-8 text the program prints as such; the console
// gets its own code page back afterwards. Windows consoles otherwise read it in theirs.
class Utf8Console final {
public:
    Utf8Console();
    ~Utf8Console();
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;

private:
    unsigned m_previousCodePage = 0;
};

} // namespace tonarion
