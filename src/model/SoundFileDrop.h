#pragma once

#include "model/SoundTable.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tonarion {

inline constexpr const char* NotMp3Message =
    "Eine oder mehr Dateien entsprechen nicht dem .MP3 Format!";
inline constexpr const char* ControlCharacterMessage =
    "Der Pfad einer oder mehrerer Dateien enthält Steuerzeichen und kann nicht gespeichert "
    "werden!";

// A byte below 0x20 or DEL. Linux lets a file name hold a line break, which would split the
// path's line in the index file; NUL would cut the path short for the system.
bool hasControlCharacter(std::string_view text);

// Everything after the last dot of the whole path, in upper case; nothing without a dot.
// A dot in a folder name counts too: C:\Alte.Sounds\Pfiff gives "SOUNDS\PFIFF".
std::optional<std::string> FileExtension(std::string_view path);

// What a drop added, and what stopped it before its end, if anything did: a file that is not
// an MP3 (told as NotMp3Message) or a path with a control character (ControlCharacterMessage).
struct DropResult {
    enum class Stop { None, NotAnMp3, ControlCharacter };
    int added = 0;
    Stop stoppedBy = Stop::None;
};

// Appends dropped MP3 files to the table, each as a row that holds only its path. The first
// file that is not an MP3, or whose path holds a control character, stops the drop; the files
// before it stay added. A file that fails both tests is told as not an MP3: renaming it would
// not help.
// A path that isSoundFile refuses (a FIFO, device or folder named like a sound, which a copy
// would wait for or fail on) is told as not an MP3 too.
// A path that isConverted names was made an MP3 in memory, and counts as one.
// Data without a file list (nullopt) adds nothing.
DropResult DropFiles(SoundTable& table, const std::optional<std::vector<std::string>>& fileList,
                     const std::function<bool(const std::string&)>& isSoundFile = {},
                     const std::function<bool(const std::string&)>& isConverted = {});

// The last part of a path, after its last slash or backslash.
std::string fileNameOf(std::string_view path);

} // namespace tonarion
