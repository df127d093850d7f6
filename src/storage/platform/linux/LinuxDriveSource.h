#pragma once

#include "storage/DriveDiscovery.h"
#include "storage/FileOperations.h"
#include "storage/platform/linux/BlockDevices.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tonarion {

// The size of a mounted medium and what of it is free to the user.
struct MediumSize {
    std::uintmax_t totalBytes = 0;
    std::uintmax_t freeBytes = 0;
};
using MediumSizeOf = std::function<FileValue<MediumSize>(const std::string& folder)>;

// statvfs: the blocks of the file system, and those free to a user who is not root.
FileValue<MediumSize> statvfsSizeOf(const std::string& folder);

// The drives of a Linux system as its mount table and its block devices tell: the mounted
// block devices on the USB bus, and what each medium is. systemRoot is "/" on a real system
// and a fixture tree in tests, whose proc/self/mountinfo is the mount table.
class LinuxDriveSource final : public DriveSource {
public:
    LinuxDriveSource();
    LinuxDriveSource(std::string systemRoot, BlockDevices& devices,
                     MediumSizeOf sizeOf = &statvfsSizeOf);

    std::vector<std::string> usbDriveRoots() override;
    // Label and file system of the device mounted where folder lies, its size from sizeOf.
    FileValue<VolumeInfo> volumeInfo(const std::string& folder);

private:
    std::string m_systemRoot;
    std::unique_ptr<BlockDevices> m_ownDevices;
    BlockDevices& m_devices;
    MediumSizeOf m_sizeOf;
};

} // namespace tonarion
