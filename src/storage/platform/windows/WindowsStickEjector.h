#pragma once

#ifdef _WIN32

#include "storage/StickEjector.h"

namespace tonarion {

// Ejects the device behind a drive letter as the notification area's "safely remove" does:
// the configuration manager asks every program that uses the device, and one that holds a
// file of it open vetoes.
class WindowsStickEjector final : public StickEjector {
public:
    EjectResult eject(const std::string& stickRoot) override;
};

} // namespace tonarion

#endif
