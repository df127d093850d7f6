#pragma once

#include "model/UserInterface.h"
#include "storage/FileOperations.h"
#include "storage/Session.h"

namespace tonarion {

// Compares the loaded table with the files in the stick's root, in one listing, and leaves
// nothing the module would play differently from what the table shows:
// - a sound file under an EntryName the index does not list (left by a run of the program
//   that ended early, or copied there by hand) becomes a row, so that the user sees it;
// - a setting file that contradicts the index's setting, and a file an interrupted copy or
//   move left, go at the next commit;
// - a row whose sound is neither on the stick nor at its source is marked.
// SaveNeeded is set when the next commit has to bring the stick in line.
void reconcileWithStick(Session& session, FileOperations& files, UserInterface& ui);

} // namespace tonarion
