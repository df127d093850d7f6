#pragma once

#include "sound/SoundConverter.h"
#include "sound/SoundInspector.h"
#include "workspace/Drives.h"
#include "workspace/RunningSystem.h"

#include <ostream>
#include <string>
#include <vector>

namespace tonarion {

// What tonarion-cli works with; the real program passes the system's, tests their own.
struct CliEnvironment {
    FileOperations& files;
    DriveSource& drives;
    std::string programFolder;
    std::ostream& out;
    std::ostream& err;
    // Looks into sound files: for "check" and for the files "bind --file" adds.
    SoundInspector& sounds;
    // Converts and measures sounds; none in a build that cannot.
    SoundConverter* converter = nullptr;
};

// Runs one command line (without the program name). Exit status: 0 success, 1 an operation
// was refused or failed, 2 a usage error.
int runCli(const std::vector<std::string>& words, CliEnvironment& environment);

} // namespace tonarion
