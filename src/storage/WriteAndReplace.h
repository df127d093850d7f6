#pragma once

#include "storage/FileResult.h"
#include "storage/StickFiles.h"

#include <string>
#include <string_view>

namespace tonarion {

// The index file and the journal are written whole under a temporary name before they take
// their place, so that the stick holds the old file or the new one, never part of one.

// When the written bytes reach the medium: before the write returns, or with the next flush of
// the caller, who flushes before anything the file speaks of changes.
enum class Flush { Now, Later };

// Writes bytes under tempName alone. What a run cut short left there goes first: FAT drivers
// such as fusefat refuse to truncate a file. A write that fails leaves nothing there.
FileResult writeUnderTemporaryName(StickFiles& stick, std::string_view tempName,
                                   const std::string& bytes, Flush flush);

// The same, and then the file under tempName replaces the one under name.
FileResult writeAndReplace(StickFiles& stick, std::string_view tempName, std::string_view name,
                           const std::string& bytes, Flush flush);

} // namespace tonarion
