#pragma once

// The windows may use the workspace, but the storage layer beneath it only through it: the
// layering check must refuse the storage include and let the workspace one pass.
#include "storage/Session.h"
#include "workspace/StickWorkspace.h"
