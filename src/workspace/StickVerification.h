#pragma once

#include "model/SoundEntry.h"
#include "storage/FileOperations.h"
#include "storage/Session.h"

#include <string>
#include <vector>

namespace tonarion {

// How a bound row's sound stands on the stick.
struct SoundState {
    bool present = false;    // the stick holds a file under the row's EntryName
    bool changed = false;    // and it is not the version of the row's source
    bool sourceFound = true; // the source path names a file
};

// One way in which the stick is not what its index file says, named as the command line
// prints it ("missing sound", "not in index", ...), with the file it concerns.
struct StickProblem {
    std::string kind;
    std::string file;
};

SoundState soundStateOf(const Session& session, FileOperations& stick, const SoundEntry& entry);

// The session's table and settings against the files on the stick as they stand, and against
// what its index file lists: the module plays every file under an encoded name, whatever the
// table shows.
std::vector<StickProblem> verifyStick(const Session& session, FileOperations& stick);

} // namespace tonarion
