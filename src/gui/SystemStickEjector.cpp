#include "gui/SystemStickEjector.h"

#ifdef _WIN32
#include "storage/platform/windows/WindowsStickEjector.h"
#else
#include "gui/UDisksEjector.h"
#endif

namespace tonarion {

std::unique_ptr<StickEjector> makeSystemStickEjector() {
#ifdef _WIN32
    return std::make_unique<WindowsStickEjector>();
#else
    return std::make_unique<UDisksEjector>(QDBusConnection::SystemBus);
#endif
}

} // namespace tonarion
