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
    session.markChanged();
    workspace.openSettings();
    EXPECT_TRUE(files.has(Root + "SET_-0003-00028.mp3"));
    EXPECT_FALSE(session.SaveNeeded());
}

TEST_F(SettingsFormTest, ANameThatCannotBeShownLeavesTheSettingAlone) {
    files.addFile(Root + IndexFileName,
                  indexWith({"SET_-0001-00021.mp3", "SET_-0002-0000.mp3", "SET_-0003-00099.mp3",
                             "SET_-0004-000ab.mp3", "SET_-0005-00000.mp3", "SET_-0006-00000.mp3"}));
    workspace.load("/opt");
    SettingsForm form = workspace.openSettings();
    const SettingsDisplay shown = form.setFormLayout();
    EXPECT_EQ(shown.modelTime, std::nullopt);
    EXPECT_EQ(shown.startTime, std::nullopt);
    EXPECT_EQ(shown.stretch, std::nullopt);
    EXPECT_EQ(session.settings().CurrentSettings[Setting::ModelTime], "SET_-0002-0000.mp3");
    EXPECT_EQ(session.settings().CurrentSettings[Setting::StartTime], "SET_-0003-00099.mp3");
    EXPECT_EQ(session.settings().CurrentSettings[Setting::Stretch], "SET_-0004-000ab.mp3");
}

TEST_F(SettingsFormTest, FiveDigitValuesAreShownWholeAndSurviveOpeningAndSaving) {
    std::vector<std::string> lines = DefaultSettingLines;
    lines[1] = "SET_-0002-01200.mp3";
    lines[3] = "SET_-0004-12345.mp3";
    for (const auto& line : lines) {
        files.addFile(Root + line);
    }
    files.addFile(Root + IndexFileName, indexWith(lines));
    ASSERT_EQ(workspace.load("/opt/tonarion"), IndexReadResult::Read);

    SettingsForm unchanged = workspace.openSettings();
    const SettingsDisplay shown = unchanged.setFormLayout();
    EXPECT_EQ(shown.modelTime, 1200);
    EXPECT_EQ(shown.stretch, 12345);
    EXPECT_TRUE(workspace.closeSettings(unchanged));
    EXPECT_TRUE(ui.messages.empty()) << ui.lastText();

    SettingsForm volumeOnly = workspace.openSettings();
    volumeOnly.setFormLayout();
    volumeOnly.volumeChanged(25);
    ui.setNextAnswer(MessageAnswer::Yes);
    EXPECT_TRUE(workspace.closeSettings(volumeOnly));
    for (const char* name : {"SET_-0001-00025.mp3", "SET_-0002-01200.mp3", "SET_-0004-12345.mp3"}) {
        EXPECT_TRUE(files.has(Root + name)) << name;
        EXPECT_NE(index().find(std::string(name) + "\r\n"), std::string::npos) << name;
    }
    EXPECT_FALSE(files.has(Root + "SET_-0002-00200.mp3"));
    EXPECT_FALSE(files.has(Root + "SET_-0004-00345.mp3"));
}

} // namespace
} // namespace tonarion
