#pragma once

// The drives a front end offers as sticks, as the storage layer finds and words them: the USB
// drives of the system and the source that lists them, a drive as the user recognises it, a
// root entered by hand, and the name of the index file that makes a folder a stick. The
// windows and tonarion-cli include this rather than the storage layer, which only the
// workspace uses.
#include "storage/DriveDiscovery.h"
#include "storage/IndexFile.h"
#include "storage/StickSelection.h"
