#include "settings/SettingsForm.h"

#include "support/StickFixture.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

using namespace testing;

using SettingsFormTest = StickFixture;

TEST_F(SettingsFormTest, OpeningCommitsWhenASettingFileIsMissing) {
    loadStick({});
    files.ShellDelete(Root + "SET_-0003-00028.mp3");
    session.SaveNeeded = true;
    workspace.openSettings();
    EXPECT_TRUE(files.has(Root + "SET_-0003-00028.mp3"));
    EXPECT_FALSE(session.SaveNeeded);
}

TEST_F(SettingsFormTest, ANameThatCannotBeShownLeavesTheSettingAlone) {
    files.addFile(Root + IndexFileName,
                  indexWith({"SET_-0001-00021.mp3", "SET_-0002-01180.mp3", "SET_-0003-00099.mp3",
                             "SET_-0004-000ab.mp3", "SET_-0005-00000.mp3", "SET_-0006-00000.mp3"}));
    workspace.load("/opt");
    SettingsForm form = workspace.openSettings();
    const SettingsDisplay shown = form.setFormLayout();
    EXPECT_EQ(shown.startTime, std::nullopt);
    EXPECT_EQ(shown.stretch, std::nullopt);
    EXPECT_EQ(shown.modelTime, 180); // shown modulo 1000, which counts as a change
    EXPECT_EQ(session.settings.CurrentSettings[Setting::StartTime], "SET_-0003-00099.mp3");
    EXPECT_EQ(session.settings.CurrentSettings[Setting::ModelTime], "SET_-0002-00180.mp3");
}

} // namespace
} // namespace tonarion
