#include "storage/platform/SystemPlatform.h"

#include "storage/platform/linux/LinuxDriveSource.h"
#include "storage/platform/linux/LinuxFileOperations.h"

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
    return folder.ends_with('/') ? folder : folder + '/';
}

} // namespace tonarion
