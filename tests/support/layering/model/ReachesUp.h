#pragma once

// The model at the bottom of the program reaching up to the workspace: the layering check
// must refuse this folder.
#include "workspace/StickWorkspace.h"
