#pragma once

#include "model/Session.h"
#include "model/UserInterface.h"
#include "storage/DriveDiscovery.h"
#include "storage/FileOperations.h"

#include <optional>
#include <string>
#include <string_view>

namespace tonarion {

inline constexpr const char* IndexNotCreatedMessage =
    "Konfigurationsdatei nicht erstellt werden!\r\n\r\nWählen sie ein anders Laufwerk aus.";

// The index file's name in a root, found whatever its letter case (FAT sticks and the
// Windows search ignore case), or nothing.
std::optional<std::string> findIndexFile(FileOperations& files, const std::string& root);

// The first USB drive in DriveList order whose root holds an index file.
std::optional<std::string> firstStickWithIndex(const DriveList& drives, FileOperations& files);

// Accepts session.stickRoot: an existing index file is used as it is; otherwise a fresh one
// (header and the six default settings) is created. When that fails the user is told and
// false comes back, so that another drive can be chosen.
bool gueltigeAuswahl(Session& session, FileOperations& files, UserInterface& ui);

// Manual drive entry on Windows asks for a drive letter again while the answer is a number
// or longer than one character; a single other character, or nothing, ends the asking.
bool endsManualDriveEntry(std::string_view answer);
// The drive root of a manual answer, taken as typed: "e" gives "e:\".
std::string manualDriveRoot(std::string_view answer);

} // namespace tonarion
