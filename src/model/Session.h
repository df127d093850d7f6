#pragma once

#include "model/KindCounters.h"
#include "model/SoundTable.h"
#include "settings/SettingsTable.h"
#include "storage/FileIdentity.h"
#include "storage/StickFileCache.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tonarion {

class FolderLock;

// A stick file that is to take another name at the next commit, for a row whose sound is
// otherwise copied from the computer: a rename writes no sound data.
struct PendingRename {
    std::string from;
    std::string to;
};

// What the program knows about the stick it works on, shared by every window and operation.
// There is one per run; it is passed to whoever needs it, never reached as a global.
struct Session {
    // The stick's root, ending in its separator ("E:\" or "/media/anna/STICK/"), so that
    // stickRoot + EntryName is a sound file's path.
    std::string stickRoot;
    // Held while this program works on the stick at stickRoot, so that no second one does.
    std::shared_ptr<FolderLock> stickLock;
    std::string lockedRoot;
    // The stick's root folder as it was when taken: a stick pulled out leaves the bare mount
    // point behind under the same path, and nothing may be written there.
    std::optional<FileIdentity> stickIdentity;
    // The index file's name as the stick spells it; "tonkat.tkx" unless found otherwise.
    std::string indexFileName = "tonkat.tkx";
    SoundTable table;
    KindCounters counters;
    ModuleSettings settings;
    // True while the stick lacks changes held here; a commit does nothing while it is false.
    bool SaveNeeded = false;
    // Set while a commit writes to the stick; a commit asked for meanwhile does nothing.
    bool commitRunning = false;
    // The stick's files as this run last saw or wrote them.
    StickFileCache stickFiles;
    // Stick files that had to go but could not, because the stick was pulled or refused: the
    // next commit that gets through deletes them, so that the module does not go on playing
    // a sound the user deleted or bound anew.
    std::vector<std::string> staleStickFiles;
    // Stick files that have to take another name, as when a random entry leaves the numbers
    // and the ones above it move down one.
    std::vector<PendingRename> pendingRenames;
};

} // namespace tonarion
