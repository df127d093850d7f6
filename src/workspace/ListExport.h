#pragma once

#include "storage/FileOperations.h"
#include "storage/FileResult.h"

#include <string>

namespace tonarion {

// Writes an exported list (the CSV of soundListCsv, or the pages as PDF the windows paint) to
// a file of the computer, through the file operations as every file of the program is
// written. The bytes go under a temporary name beside the file first and then take its
// place, so that a list exported there before stays whole when the write fails (a full disk,
// a network drive gone). path is spelt as the system spells it.
FileResult writeExportedList(FileOperations& computer, const std::string& path,
                             const std::string& bytes);

} // namespace tonarion
