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

// The kinds of finding, named as the command line prints them.
namespace ProblemKind {
inline constexpr std::string_view MissingSound = "missing sound";
inline constexpr std::string_view SoundNotFound = "sound not found";
inline constexpr std::string_view ChangedSound = "changed sound";
inline constexpr std::string_view MissingSetting = "missing setting";
// A setting file is empty: the module reads the value from its name alone.
inline constexpr std::string_view ChangedSetting = "changed setting";
inline constexpr std::string_view NotInIndex = "not in index";
// The random sounds the index lists are not numbered 1 to N: the one out of its place.
inline constexpr std::string_view RandomGap = "random gap";
// The index lists the EntryName a line above lists, with another source: the first one holds.
inline constexpr std::string_view SecondIndexLine = "second index line";
inline constexpr std::string_view SecondSettingFile = "second setting file";
inline constexpr std::string_view TemporaryFile = "temporary file";
// A journal planned from an index file this stick does not have, as when a user copied it
// from another stick: it is never carried out, and the clean-up may delete it.
inline constexpr std::string_view ForeignJournal = "journal of another index";
inline constexpr std::string_view MacLeftover = "macOS leftover";
// The stick cannot be read (pulled while it is checked): nothing is told about its files.
inline constexpr std::string_view StickUnreadable = "stick unreadable";
// About the medium, not its files: the stick can still be what its index says.
inline constexpr std::string_view WrongFileSystem = "wrong file system";
inline constexpr std::string_view NotEnoughSpace = "not enough space";
} // namespace ProblemKind

// One way in which the stick is not what its index file says or not what the module can
// use, with the file it concerns.
struct StickProblem {
    std::string kind; // one of ProblemKind
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
    bool isAboutMedium() const {
        return kind == ProblemKind::WrongFileSystem || kind == ProblemKind::NotEnoughSpace;
    }
};

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
