#pragma once

#include "model/Session.h"
#include "storage/FileOperations.h"

namespace tonarion {

// Marks every row whose sound is neither on the stick under its EntryName nor at its source,
// so that the user sees which rows need a new file. One listing of the stick; only the
// sources of sounds the stick lacks are looked at.
void markSoundsNotFound(Session& session, FileOperations& files);

} // namespace tonarion
