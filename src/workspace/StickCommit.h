#pragma once

#include "model/UserInterface.h"
#include "storage/FileOperations.h"
#include "storage/Session.h"
#include "workspace/Outcome.h"

namespace tonarion {

// Brings the stick up to date with the session, as every operation that changes it does, and
// hands back what the commit came to: what it has to say of a stick that lacks something is
// the outcome's text, for the front end to tell. Questions and the wait window still reach
// the user while the commit runs.
Outcome commitStick(Session& session, FileOperations& files, UserInterface& ui);

} // namespace tonarion
