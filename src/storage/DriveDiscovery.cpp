#include "storage/DriveDiscovery.h"

#include <array>
#include <cstring>

namespace tonarion {
namespace {

constexpr const char* UnlabelledDrive = "USB-Laufwerk";

// The last folder of a root: "SOUNDS" of "/media/anna/SOUNDS/", nothing of "E:\".
std::string lastFolderOf(const std::string& root) {
    const std::size_t end = root.find_last_not_of("/\\");
    if (end == std::string::npos) {
        return {};
    }
    const std::size_t start = root.find_last_of("/\\", end);
    const std::string folder = root.substr(start == std::string::npos ? 0 : start + 1,
                                           end - (start == std::string::npos ? 0 : start + 1) + 1);
    return folder.ends_with(':') ? std::string() : folder;
}

} // namespace

std::string driveEntry(const std::string& root) {
    return DriveEntryPrefix + root;
}

std::string rootOfDriveEntry(const std::string& entry) {
    const std::size_t prefix = std::strlen(DriveEntryPrefix);
    return entry.size() > prefix ? entry.substr(prefix) : std::string();
}

DriveList listUsbDrives(DriveSource& source) {
    DriveList drives;
    for (const auto& root : source.usbDriveRoots()) {
        drives.push_back(driveEntry(root));
    }
    return drives;
}

std::optional<DriveList> FindUsbDrives(DriveSource& source, UserInterface& ui) {
    DriveList drives = listUsbDrives(source);
    if (drives.empty()) {
        showCritical(ui, NoUsbDriveMessage);
        return std::nullopt;
    }
    return drives;
}

DriveDescription describeDrive(const std::string& root, const FileValue<VolumeInfo>& volume) {
    DriveDescription drive{lastFolderOf(root), root, {}};
    if (!volume) {
        return drive;
    }
    if (!volume->label.empty()) {
        drive.label = volume->label;
    }
    // A medium whose size the system cannot tell (some FUSE drivers) still shows what it is.
    if (volume->totalBytes > 0) {
        drive.details =
            byteSizeText(volume->totalBytes) + ", " + byteSizeText(volume->freeBytes) + " frei";
    }
    if (!volume->fileSystem.empty()) {
        drive.details += (drive.details.empty() ? "" : ", ") + volume->fileSystem;
    }
    return drive;
}

std::string driveText(const DriveDescription& drive, const std::string& shownRoot) {
    if (drive.details.empty()) {
        return drive.label.empty() ? DriveEntryPrefix + shownRoot : drive.label + " – " + shownRoot;
    }
    return (drive.label.empty() ? std::string(UnlabelledDrive) : drive.label) + " (" + shownRoot +
           ") – " + drive.details;
}

std::string byteSizeText(std::uintmax_t bytes) {
    constexpr std::array<const char*, 5> Units = {"Bytes", "KB", "MB", "GB", "TB"};
    std::size_t unit = 0;
    std::uintmax_t size = 1;
    while (unit + 1 < Units.size() && bytes / size >= 1024) {
        size *= 1024;
        ++unit;
    }
    if (unit == 0) {
        return std::to_string(bytes) + " Bytes";
    }
    // Tenths of the unit, rounded; what rounds up to 1024 of a unit is one of the next.
    std::uintmax_t tenths = bytes / size * 10 + ((bytes % size) * 10 + size / 2) / size;
    if (tenths >= 10240 && unit + 1 < Units.size()) {
        size *= 1024;
        ++unit;
        tenths = bytes / size * 10 + ((bytes % size) * 10 + size / 2) / size;
    }
    // Three digits say enough: "117 GB", not "117,2 GB".
    const std::string number =
        tenths >= 1000 ? std::to_string((tenths + 5) / 10)
                       : std::to_string(tenths / 10) + "," + std::to_string(tenths % 10);
    return number + " " + Units[unit];
}

} // namespace tonarion
