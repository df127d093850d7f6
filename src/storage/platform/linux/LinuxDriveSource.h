#pragma once

#include "storage/DriveDiscovery.h"

#include <string>

namespace tonarion {

// The USB drives of a Linux system: the mounted block devices whose device path in sysfs
// runs through USB. systemRoot is "/" on a real system and a fixture tree in tests.
class LinuxDriveSource final : public DriveSource {
public:
    explicit LinuxDriveSource(std::string systemRoot = "/");
    std::vector<std::string> usbDriveRoots() override;

private:
    std::string m_systemRoot;
};

} // namespace tonarion
