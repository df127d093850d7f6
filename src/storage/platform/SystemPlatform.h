#pragma once

#include "storage/DriveDiscovery.h"
#include "storage/FileOperations.h"

#include <memory>
#include <string>

namespace tonarion {

// The running system's file operations and drive discovery; each platform folder builds
// its own implementation of these three functions.
std::unique_ptr<FileOperations> makeSystemFileOperations();
std::unique_ptr<DriveSource> makeSystemDriveSource();

// The folder that holds the running program, without a trailing separator unless it is a
// root: relative source paths in an index file are taken relative to it.
std::string programFolder();

// The stick root of a folder: the folder with its trailing separator, so that root + file
// name is the file's path ("/media/anna/STICK/", "E:\").
std::string stickRootOf(const std::string& folder);

} // namespace tonarion
