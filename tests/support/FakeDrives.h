#pragma once

#include "storage/DriveDiscovery.h"

#include <string>
#include <vector>

namespace tonarion::testing {

// The USB drives the system reports: none until a test plugs some in.
class FakeDrives final : public DriveSource {
public:
    std::vector<std::string> roots;
    std::vector<std::string> usbDriveRoots() override { return roots; }
};

} // namespace tonarion::testing
