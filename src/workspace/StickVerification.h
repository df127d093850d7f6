#pragma once

#include "model/SoundEntry.h"
#include "storage/FileOperations.h"
#include "storage/Session.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tonarion {

// How a bound row's sound stands on the stick.
struct SoundState {
    bool present = false;    // the stick holds a file under the row's EntryName
    bool changed = false;    // and it is not the version of the row's source
    bool sourceFound = true; // the source path names a file
};

// The kinds of finding. ProblemKinds in StickVerification.cpp gives each its word on the
// command line and its text in the check's report.
enum class ProblemKind {
    MissingSound,
    SoundNotFound,
    ChangedSound,
    MissingSetting,
    // A setting file is not empty: the module reads the value from its name alone.
    ChangedSetting,
    NotInIndex,
    // The random sounds the index lists are not numbered 1 to N: the one out of its place.
    RandomGap,
    // The index lists the EntryName a line above lists, with another source: the first one holds.
    SecondIndexLine,
    SecondSettingFile,
    TemporaryFile,
    // A journal planned from an index file this stick does not have, as when a user copied it
    // from another stick: it is never carried out, and the clean-up may delete it.
    ForeignJournal,
    MacLeftover,
    // The stick cannot be read (pulled while it is checked): nothing is told about its files.
    StickUnreadable,
    // About the medium, not its files: the stick can still be what its index says.
    WrongFileSystem,
    NotEnoughSpace,
};

// The kind as the command line prints it ("missing sound").
std::string_view problemWord(ProblemKind kind);

// One way in which the stick is not what its index file says or not what the module can
// use, with the file it concerns.
struct StickProblem {
    ProblemKind kind = ProblemKind::StickUnreadable;
    // The file; for a wrong file system the one found ("exFAT"); empty for the space.
    std::string file;
    // Left by an interrupted commit or by another system, and nothing the module plays or the
    // index lists, nor anything a pending commit still needs: the clean-up may delete it.
    bool removable = false;
    bool folder = false; // a folder with whatever it holds, as macOS leaves them
    // For NotEnoughSpace: what the pending copies need, and what the stick has free.
    std::uintmax_t neededBytes = 0;
    std::uintmax_t freeBytes = 0;

    // Whether the finding concerns the medium rather than its content.
    bool isAboutMedium() const;
    // Whether a file the index lists is not on the stick as it should be.
    bool isLacking() const;
    // Whether the next commit puts it right.
    bool isMendedByCommit() const;
};

// A finding as the check's report words it, in German.
std::string findingText(const StickProblem& problem);

SoundState soundStateOf(const Session& session, FileOperations& stick, const SoundEntry& entry);

// The session's table and settings against the files on the stick as they stand, and against
// what its index file lists: the module plays every file under an encoded name, whatever the
// table shows. Then what else lies on the stick, the file system the module has to read, and
// whether the copies the next commit makes fit.
std::vector<StickProblem> verifyStick(const Session& session, FileOperations& stick);

// Whether the module can read a file system of this name; an empty name cannot be told and
// passes.
bool isModuleFileSystem(std::string_view fileSystem);

} // namespace tonarion
