#pragma once

#include "event/EintragZusammensetzen.h"
#include "model/UserInterface.h"
#include "storage/FileOperations.h"
#include "storage/Session.h"
#include "workspace/Outcome.h"

#include <string>

namespace tonarion {

// Writes a composed entry into its row, commits, and then deletes the stick file of the row's
// old name, but only once the new name's file is on the stick and no other row still
// carries the old name, so that a failed commit never costs the sound. The outcome is the
// commit's.
Outcome applyEventResult(Session& session, FileOperations& files, UserInterface& ui, int editRow,
                         const std::string& oldName, const NeuerEintrag& entry);

} // namespace tonarion
