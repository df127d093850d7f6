#include "storage/DriveDiscovery.h"

#include <cstring>

namespace tonarion {

std::string driveEntry(const std::string& root) {
    return DriveEntryPrefix + root;
}

std::string rootOfDriveEntry(const std::string& entry) {
    const std::size_t prefix = std::strlen(DriveEntryPrefix);
    return entry.size() > prefix ? entry.substr(prefix) : std::string();
}

std::optional<DriveList> FindUsbDrives(DriveSource& source, UserInterface& ui) {
    DriveList drives;
    for (const auto& root : source.usbDriveRoots()) {
        drives.push_back(driveEntry(root));
    }
    if (drives.empty()) {
        showCritical(ui, NoUsbDriveMessage);
        return std::nullopt;
    }
    return drives;
}

} // namespace tonarion
