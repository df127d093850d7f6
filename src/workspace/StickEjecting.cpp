#include "workspace/StickEjecting.h"

#ifdef _WIN32
#include "storage/platform/windows/WindowsStickEjector.h"
#endif

namespace tonarion {

std::unique_ptr<StickEjector> makeCoreStickEjector() {
#ifdef _WIN32
    return std::make_unique<WindowsStickEjector>();
#else
    return nullptr;
#endif
}

} // namespace tonarion
