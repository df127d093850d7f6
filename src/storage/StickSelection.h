#pragma once

#include "model/UserInterface.h"
#include "storage/DriveDiscovery.h"
#include "storage/FileOperations.h"
#include "storage/IndexFile.h"
#include "storage/Session.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tonarion {

inline constexpr const char* IndexNotCreatedMessage =
    "Konfigurationsdatei nicht erstellt werden!\r\n\r\nWählen sie ein anders Laufwerk aus.";

inline constexpr const char* StickInUseMessage =
    "Der USB-Stick wird bereits von einem anderen Tonarion-Fenster bearbeitet.";

// "Auf dem USB-Stick wurden 3 Sounddateien gefunden und übernommen.", in the singular for one.
std::string takenOverMessage(std::size_t sounds);

// The index file's name in a root, found whatever its letter case (FAT sticks and the
// Windows search ignore case), or nothing. A commit that was interrupted between writing the
// new index file under its temporary name and moving it over the old one is finished here:
// a complete temporary file becomes the index file when there is none, and any other
// temporary file is deleted. Start-up, the drive dialog and every command of tonarion-cli
// look for the index file through this. Only a program that holds the stick repairs: one
// that merely looks (repair false) would otherwise take away the temporary file of another
// program's commit; it is told the name the index file will have once repaired.
std::optional<std::string> findIndexFile(FileOperations& files, const std::string& root,
                                         bool repair = true);

// Whether index-file bytes were written to their end: the header line first, a line end last.
bool isCompleteIndexFile(std::string_view bytes);

// What a fresh index file lists for the files already on a stick: every file named like an
// entry, with its own stick path as source, in name order; every setting file as its
// setting (the first in name order where several name one setting), the defaults elsewhere.
IndexContent takeOverStickFiles(const std::vector<std::string>& names, const std::string& root);

// The first USB drive in DriveList order whose root holds an index file.
std::optional<std::string> firstStickWithIndex(const DriveList& drives, FileOperations& files);

// Takes the stick at session.stick().root() for this program until the session ends or another
// stick is taken. A stick that another Tonarion window or tonarion-cli holds is refused with
// a message, and nothing on it changes.
bool claimStick(Session& session, FileOperations& files, UserInterface& ui);

// Accepts session.stick().root(): an existing index file is used as it is; otherwise a fresh one
// is created: the header, the sound and setting files the stick already holds (its index
// file was lost, but the module still plays them), and the default settings for the rest.
// The user learns how many sounds were taken over. When the file cannot be created the user
// is told and false comes back, so that another drive can be chosen.
bool gueltigeAuswahl(Session& session, FileOperations& files, UserInterface& ui);

// Manual drive entry on Windows asks for a drive letter again while the answer is a number
// or longer than one character; a single other character, or nothing, ends the asking.
bool endsManualDriveEntry(std::string_view answer);
// The drive root of a manual answer, taken as typed: "e" gives "e:\".
std::string manualDriveRoot(std::string_view answer);

} // namespace tonarion
