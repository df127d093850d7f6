#pragma once

#include "workspace/StickEjecting.h"

#include <memory>

namespace tonarion {

// What ejects a stick on the running system: UDisks2 on the system bus on Linux, the
// configuration manager on Windows.
std::unique_ptr<StickEjector> makeSystemStickEjector();

} // namespace tonarion
