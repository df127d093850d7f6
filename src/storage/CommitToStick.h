#pragma once

#include "model/UserInterface.h"
#include "storage/FileOperations.h"
#include "storage/Session.h"
#include "storage/StickChange.h"
#include "storage/StickFiles.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tonarion {

inline constexpr const char* CommitFailedMessage =
    "Die Änderungen konnten nicht vollständig auf den USB-Stick geschrieben werden.";
inline constexpr const char* NotEnoughSpaceMessage = "Auf dem USB-Stick ist nicht genug Platz.";
inline constexpr const char* WriteProtectedMessage = "Der USB-Stick ist schreibgeschützt.";
inline constexpr const char* StickRemovedMessage =
    "Der USB-Stick wurde entfernt oder kann nicht gelesen werden.";
inline constexpr const char* NotEnoughSpaceAdvice =
    "Schaffen Sie Platz auf dem USB-Stick, die Änderungen werden dann beim nächsten Speichern "
    "geschrieben.";
inline constexpr const char* CommitFailedAdvice =
    "Prüfen Sie, ob der USB-Stick eingesteckt und nicht schreibgeschützt ist.";

inline constexpr const char* SoundsNotFoundMessage =
    "Diese Sounds wurden weder an ihrem Pfad noch auf dem USB-Stick gefunden:";
inline constexpr const char* SoundsNotFoundAdvice =
    "Alle anderen Änderungen wurden gespeichert. Löschen Sie diese Zeilen oder ziehen Sie die "
    "Sounddateien erneut in die Tabelle.";

inline constexpr const char* SourcesUnreadableMessage =
    "Diese Sounddateien konnten nicht gelesen werden, der USB-Stick behält ihre letzte Kopie:";
inline constexpr const char* SourcesUnreadableAdvice =
    "Alle anderen Änderungen wurden gespeichert. Sobald die Dateien wieder lesbar sind, werden "
    "sie beim nächsten Speichern geschrieben.";

enum class CommitResult {
    NothingToDo,    // SaveNeeded was not set
    AlreadyRunning, // asked for while a commit runs: commits never nest
    Written,
    // Everything was written, but some rows' sounds are neither at their source nor on the
    // stick, or their changed source could not be read: the user was told which.
    SoundsNotFound,
    Failed, // the user was told which files are missing; SaveNeeded stays set
};

// Brings the stick up to date with the session: every bound sound under its EntryName (a
// stick file that carries an older name is renamed, anything else copied when it changed),
// every setting file, and a new index file that replaces the old one only once it is
// complete; stale stick files go last. Afterwards it checks that everything arrived.
CommitResult CommitToStick(Session& session, FileOperations& files, UserInterface& ui);

// Rows whose source is this stick's own file, recorded while the stick was mounted at another
// folder that now holds another stick, name the file where the stick is now. True when a row
// changed.
bool takeBackOwnSounds(Session& session, FileOperations& files);

// What the next commit writes to the stick beside what it holds, in whole allocation units,
// and what the stick has free: nothing free when it cannot tell.
struct CommitSpace {
    std::uintmax_t needed = 0;
    std::optional<std::uintmax_t> available;
};
// Plans the next commit as CommitToStick would, without writing or marking anything.
CommitSpace spaceForCommit(const Session& session, FileOperations& files);

// The cause the user is told for failed file operations: a full, removed or write-protected
// stick, or nothing when the errors say none of these.
const char* causeOf(const std::vector<FileResult>& failures);

// What a failed file operation met, in the user's language; the system's own words for a
// cause this program does not know.
std::string causeInGerman(std::error_code error);

// The stick's copy is up to date when it has the source's size and a modification time
// within two seconds of it (FAT keeps times to 2 s), also across a daylight-saving hour.
bool isSameFileVersion(const FileStatus& source, const FileStatus& copy);

} // namespace tonarion
