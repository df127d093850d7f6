#include "storage/platform/SystemPlatform.h"

#include "storage/platform/linux/LinuxDriveSource.h"
#include "storage/platform/linux/LinuxFileOperations.h"

#include <algorithm>
#include <filesystem>

namespace tonarion {

std::unique_ptr<FileOperations> makeSystemFileOperations() {
    return std::make_unique<LinuxFileOperations>();
}

std::unique_ptr<DriveSource> makeSystemDriveSource() {
    return std::make_unique<LinuxDriveSource>();
}

std::string programFolder() {
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path().string() : executable.parent_path().string();
}

std::string stickRootOf(const std::string& folder) {
    // Absolute and without "." or "..": every later path is StickRoot and a name, and must
    // not depend on the folder the program happens to run in.
    std::error_code error;
    std::string root = std::filesystem::absolute(folder, error).lexically_normal().string();
    if (error || root.empty()) {
        root = folder;
    }
    return root.ends_with('/') ? root : root + '/';
}

// Linux hands main() its words as the bytes they were typed in, UTF-8 on every current system,
// and terminals show UTF-8 as it is.
std::vector<std::string> commandLineWords(int argc, char** argv) {
    return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
}

Utf8Console::Utf8Console() = default;
Utf8Console::~Utf8Console() = default;

} // namespace tonarion
