#pragma once

#include "model/UserInterface.h"
#include "storage/FileOperations.h"
#include "storage/Session.h"
#include "storage/StickEjector.h"
#include "workspace/Outcome.h"

namespace tonarion {

inline constexpr const char* StickRemovableMessage = "Der USB-Stick kann jetzt entfernt werden.";

// "USB-Stick sicher entfernen": the stick receives what is pending, the lock goes, and the
// system is asked to eject the stick. Done when it may be pulled now, with the message that
// says so: the program is to end. Otherwise the outcome says why not, and the stick is held
// again so that the work can go on.
Outcome removeStickSafely(Session& session, FileOperations& files, UserInterface& ui,
                          StickEjector& ejector);

} // namespace tonarion
