#include "settings/SettingsForm.h"

#include "support/StickFixture.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

using namespace testing;

class SettingsFormTest : public StickFixture {
protected:
    SettingsForm::CloseOutcome close(SettingsForm& form) { return workspace.closeSettings(form); }
};

TEST_F(SettingsFormTest, AFreshStickShowsTheDefaultsAndClosesWithoutAQuestion) {
    loadStick({});
    SettingsForm form = workspace.openSettings();
    const SettingsDisplay shown = form.setFormLayout();
    EXPECT_EQ(shown.volume, 21);
    EXPECT_EQ(shown.modelTime, 180);
    EXPECT_EQ(shown.startTime, 28);
    EXPECT_EQ(shown.stretch, 2);
    EXPECT_EQ(shown.clockSync, 0);
    EXPECT_EQ(shown.endlessAddress, 0);
    EXPECT_EQ(close(form), SettingsForm::CloseOutcome::Unchanged);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(files.writes.empty());
}

TEST_F(SettingsFormTest, AMissingVolumeLineIsFilledInAndAsksToSave) {
    files.addFile(Root + IndexFileName, indexWith({"SET_-0002-00180.mp3"}));
    workspace.load("/opt");
    SettingsForm form = workspace.openSettings();
    EXPECT_EQ(form.setFormLayout().volume, 31);
    EXPECT_TRUE(session.SaveNeeded);
    ui.setNextAnswer(MessageAnswer::Yes);
    EXPECT_EQ(close(form), SettingsForm::CloseOutcome::Save);
    EXPECT_EQ(ui.lastText(), "Sie haben Änderungen vorgenommen.\r\nWollen Sie diese speichern?");
    EXPECT_EQ(ui.messages.back().icon, MessageIcon::Question);
    EXPECT_TRUE(files.has(Root + "SET_-0001-00031.mp3"));
    EXPECT_TRUE(files.has(Root + "SET_-0003-00028.mp3"));
    EXPECT_NE(index().find("SET_-0001-00031.mp3"), std::string::npos);
    EXPECT_FALSE(session.SaveNeeded);
}

TEST_F(SettingsFormTest, ChangingAValueAndBackAsksNothing) {
    loadStick({});
    SettingsForm form = workspace.openSettings();
    form.setFormLayout();
    form.volumeChanged(25);
    form.volumeChanged(21);
    form.modelTimeChanged(""); // an empty field keeps the last valid name
    form.stretchChanged("-5");
    EXPECT_EQ(close(form), SettingsForm::CloseOutcome::Unchanged);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SettingsFormTest, NoRestoresTheSettingsAndKeepsAPendingDelete) {
    files.addFile(Root + "MGM2-0012-00000.mp3");
    loadStick({"MGM2-0012-00000.mp3;/a.mp3"});
    workspace.deleteRow(1);
    SettingsForm form = workspace.openSettings();
    form.setFormLayout();
    form.clockSyncChosen(true);
    ui.setNextAnswer(MessageAnswer::No);
    EXPECT_EQ(close(form), SettingsForm::CloseOutcome::Discarded);
    EXPECT_EQ(session.settings.CurrentSettings[Setting::ClockSync], "SET_-0005-00000.mp3");
    EXPECT_TRUE(session.SaveNeeded);
    EXPECT_EQ(workspace.commit(), CommitResult::Written);
    EXPECT_EQ(index().find("MGM2"), std::string::npos);
}

TEST_F(SettingsFormTest, AnAddressAbove2048IsRefusedAndTheFieldShowsAMinus) {
    loadStick({});
    SettingsForm form = workspace.openSettings();
    form.setFormLayout();
    EXPECT_EQ(form.endlessAddressChanged("17"), std::nullopt);
    EXPECT_EQ(form.endlessAddressChanged("2049"), "-");
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Maximal Wert überschritten. Geben Sie eine "
                                                   "Adresse zwischen 1 und 2048 ein!"});
    EXPECT_EQ(form.endlessAddressChanged("-"), std::nullopt);
    EXPECT_EQ(session.settings.CurrentSettings[Setting::EndlessAddress], "SET_-0006-00017.mp3");
}

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
