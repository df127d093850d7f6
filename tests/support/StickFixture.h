#pragma once

#include "support/TestStick.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tonarion::testing {

// The test stick for the core's tests, with the program in /opt/tonarion.
class StickFixture : public ::testing::Test, protected TestStick {
protected:
    // Puts an index file with these entry lines and the default settings on the stick,
    // with the setting files, and loads it.
    void loadStick(std::vector<std::string> lines) {
        writeIndex(std::move(lines));
        ASSERT_EQ(workspace.load("/opt/tonarion"), IndexReadResult::Read);
    }
};

} // namespace tonarion::testing
