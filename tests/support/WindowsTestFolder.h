#pragma once

#include "support/TempFolder.h"

namespace tonarion::testing {

// The Windows tests' name for the one temporary folder of the tests.
using WindowsTestFolder = TempFolder;

} // namespace tonarion::testing
