#pragma once

#include "model/UserInterface.h"
#include "storage/FileOperations.h"
#include "storage/Session.h"
#include "storage/StickFiles.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tonarion {

// "tonkat.tkx" in the stick's root: the program's record of the stick. Windows-1252 text
// with CR LF line ends: the header, one line "EntryName;source path" per sound, then the
// names of the six module settings.
inline constexpr const char* IndexFileName = "tonkat.tkx";
inline constexpr const char* IndexHeader = "Tonarion-Inhalt - Veltrako Ruzirovuza GmbH";
// The new index file is written completely under this name before it replaces the old one.
inline constexpr const char* IndexTempName = "tonkat.tkx.tmp";

inline constexpr const char* SecondIndexLineMessage =
    "Diese Zeilen von tonkat.tkx nennen eine Sounddatei ein zweites Mal, mit einer anderen "
    "Quelle. Auf dem USB-Stick gilt die erste Zeile mit diesem Namen:";

inline constexpr const char* WrongDriveMessage =
    "Falsches Laufwerk ausgewählt.\r\n\r\nDas Programm wird beendet!";

struct IndexEntryLine {
    std::string entryName; // UTF-8
    std::string sourcePath;
};

// What a reader finds in an index file; lines it does not understand are left out.
struct IndexContent {
    std::vector<IndexEntryLine> entries;
    SettingsTable settings;
};

// Reads index-file bytes. Accepts CR LF, LF and CR line ends.
IndexContent parseIndexFile(std::string_view bytes);

// The index-file bytes of a table and its settings: a line for each bound row with a source
// (or, with includeEntriesWithoutSource, for every bound row), and the non-empty settings
// (or all six, empty ones as empty lines, with includeEmptySettings).
struct IndexLayout {
    bool includeEntriesWithoutSource = false;
    bool includeEmptySettings = false;
};
std::string composeIndexFile(const std::vector<IndexEntryLine>& entries,
                             const SettingsTable& settings, IndexLayout layout);

// Whether a source path read from the index file is absolute: it begins with a drive root
// ("C:\"), a separator ("/", "\", a UNC path "\\server"). Relative paths are taken relative
// to the program's folder.
bool isAbsoluteSourcePath(std::string_view path);
std::string underProgramFolder(std::string_view programFolder, std::string_view relativePath);

enum class IndexReadResult {
    Read,
    Unreadable,    // no such file or not readable: the table stays as far as it was read
    DriveNotReady, // the stick is gone: the user was told and the program ends
    StickInUse,    // another program works on the stick: the user was told, nothing changed
};

// Fills the session's table, counters and settings from the stick's index file. Relative
// source paths that name a stick file become its path on the stick; the others are put
// behind the program's folder; the file is then written anew. A line that names an EntryName
// a line above it names with another source is told: the stick file can hold only one of the
// two sounds, and the commit keeps the first one's.
IndexReadResult IndexLesen(Session& session, FileOperations& files, UserInterface& ui,
                           const std::string& programFolder);

// The lines of an index that name an EntryName a line above names with another source.
std::vector<IndexEntryLine> secondIndexLines(const std::vector<IndexEntryLine>& entries);

// Rewrites the index file from the session without touching any sound file; silent.
void IndexSchreiben(Session& session, FileOperations& files, UserInterface& ui);

// Writes index-file bytes under the temporary name and then moves them over the index file,
// so that the stick always holds one complete index file.
FileResult replaceIndexFile(StickFiles& stick, const std::string& indexName,
                            const std::string& bytes);

} // namespace tonarion
