#pragma once

#include "model/UserInterface.h"
#include "storage/FileOperations.h"
#include "storage/Session.h"
#include "storage/StickEjector.h"

namespace tonarion {

inline constexpr const char* StickRemovableMessage = "Der USB-Stick kann jetzt entfernt werden.";

// "USB-Stick sicher entfernen": the stick receives what is pending, the lock goes, and the
// system is asked to eject the stick. True when it may be pulled now: the user was told so,
// and the program is to end. Otherwise the user was told why not, and the stick is held again
// so that the work can go on.
bool removeStickSafely(Session& session, FileOperations& files, UserInterface& ui,
                       StickEjector& ejector);

} // namespace tonarion
