#pragma once

#include "model/SoundTable.h"
#include "model/UserInterface.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tonarion {

inline constexpr const char* NotMp3Message =
    "Eine oder mehr Dateien entsprechen nicht dem .MP3 Format!";

// Everything after the last dot of the whole path, in upper case; nothing without a dot.
// A dot in a folder name counts too: C:\Alte.Sounds\Pfiff gives "SOUNDS\PFIFF".
std::optional<std::string> FileExtension(std::string_view path);

// Appends dropped MP3 files to the table, each as a row that holds only its path. The first
// file that is not an MP3 stops the drop with a message; the files before it stay added.
// Data without a file list (nullopt) adds nothing. Returns the number of rows added.
int DropFiles(SoundTable& table, const std::optional<std::vector<std::string>>& fileList,
              UserInterface& ui);

} // namespace tonarion
