#pragma once

// The running system as a front end sets it up before it opens a workspace: its file
// operations (for the stick, and for the files a front end writes on the computer, such as
// the exported list), the source of its USB drives, the program's folder, the stick root of a
// folder, the command line and the console. The storage layer's platform folders build them;
// the windows and tonarion-cli reach them through this header.
#include "storage/FileOperations.h"
#include "storage/platform/SystemPlatform.h"
