#include "gui/SystemStickEjector.h"

#ifndef _WIN32
#include "gui/UDisksEjector.h"
#endif

namespace tonarion {

std::unique_ptr<StickEjector> makeSystemStickEjector() {
#ifdef _WIN32
    return makeCoreStickEjector();
#else
    return std::make_unique<UDisksEjector>(QDBusConnection::SystemBus);
#endif
}

} // namespace tonarion
