#pragma once

#include "storage/StickEjector.h"

#include <memory>

namespace tonarion {

// Ejecting sits behind the one interface StickEjector, which the storage layer declares beside
// the file operations and the drive source as its view of the operating system; the
// workspace's removal of a stick drives it, and the front ends name it through this header.
//
// The ejector of the running system where the core can ask the system itself: the
// configuration manager on Windows. On Linux the eject is asked of UDisks2 over D-Bus, and
// the only D-Bus binding the program builds with is Qt's, which the core does without: there
// nothing comes back, and the windows bring their own ejector (gui/UDisksEjector).
std::unique_ptr<StickEjector> makeCoreStickEjector();

} // namespace tonarion
