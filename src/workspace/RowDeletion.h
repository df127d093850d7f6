#pragma once

#include "storage/Session.h"

#include <string_view>

namespace tonarion {

// "Zeile löschen": removes a row; its stick file goes at the next commit, once the index file
// no longer lists it. Deleting a random-play entry closes the gap in the running numbers of
// the others, whose stick files take their new names at that commit. Asks nothing and reports
// nothing. The trailing empty row cannot be deleted.
void deleteRow(Session& session, int row);

// The random-play entries are numbered 1 to N without gaps, and the module relies on it. When
// the entry of this name has left random play (deleted, or bound to another kind), the ones
// numbered above it move down one, their stick files with them at the next commit. Other
// names do nothing.
void closeRandomGapAfter(Session& session, std::string_view leavingName);

// Random sounds copied by hand or taken over may leave numbers out or repeat one: they are
// numbered 1 to N again in the order of their numbers, as deleting one does. True when a
// number changed.
bool closeRandomGaps(Session& session);

} // namespace tonarion
