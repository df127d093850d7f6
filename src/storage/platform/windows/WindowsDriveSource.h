#pragma once

#ifdef _WIN32

#include "storage/DriveDiscovery.h"
#include "storage/platform/DriveStrings.h"

#include <string>

namespace tonarion {

// The USB drives of a Windows system: every logical drive whose storage device reports the
// USB bus.
class WindowsDriveSource final : public DriveSource {
public:
    std::vector<std::string> usbDriveRoots() override;
};

// Asks the storage device behind a drive root ("E:\") for its bus. A device that cannot be
// opened or refuses the query gives Valid = false.
DriveInfo QueryDriveInfo(const std::u16string& root);

} // namespace tonarion

#endif
