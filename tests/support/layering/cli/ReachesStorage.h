#pragma once

// tonarion-cli, like the windows, reaches the stick only through the workspace.
#include "storage/FileOperations.h"
#include "workspace/StickWorkspace.h"
