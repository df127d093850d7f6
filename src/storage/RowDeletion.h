#pragma once

#include "model/Session.h"
#include "storage/FileOperations.h"

namespace tonarion {

// "Zeile löschen": removes a row, deletes its sound from the stick and leaves the index file
// to the next commit. Deleting a random-play entry closes the gap in the running numbers of
// the others, whose stick files take their new names. Asks nothing and reports nothing.
// The trailing empty row cannot be deleted.
void deleteRow(Session& session, FileOperations& files, int row);

} // namespace tonarion
