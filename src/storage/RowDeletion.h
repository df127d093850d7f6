#pragma once

#include "model/Session.h"
#include "storage/FileOperations.h"

#include <string_view>

namespace tonarion {

// "Zeile löschen": removes a row, deletes its sound from the stick and leaves the index file
// to the next commit. Deleting a random-play entry closes the gap in the running numbers of
// the others, whose stick files take their new names. Asks nothing and reports nothing.
// The trailing empty row cannot be deleted.
void deleteRow(Session& session, FileOperations& files, int row);

// The random-play entries are numbered 1 to N without gaps, and the module relies on it. When
// the entry of this name has left random play (deleted, or bound to another kind), the ones
// numbered above it move down one, their stick files with them. Other names do nothing.
void closeRandomGapAfter(Session& session, FileOperations& files, std::string_view leavingName);

} // namespace tonarion
