#include "model/SoundFileDrop.h"
#include "sound/InvalidSounds.h"
#include "support/FakeSoundInspector.h"
#include "support/StickFixture.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

using namespace testing;

const std::string Windows = "C:\\Musik\\"; // a file is named without its folder on either system

class DropCheckTest : public StickFixture {
protected:
    DropCheckTest() { workspace.setSoundInspector(&inspector); }

    FakeSoundInspector inspector;
};

TEST_F(DropCheckTest, OneMessageNamesEveryAddedFileThatWouldNotPlay) {
    loadStick({"MGM2-0012-00000.mp3;/alt.mp3"});
    SoundFindings truncated = FakeSoundInspector::goodMp3();
    truncated.decodedToEnd = false;
    inspector.findings[Windows + "wav.mp3"] = FakeSoundInspector::renamedWav();
    inspector.findings[Music + "halb.mp3"] = truncated;
    inspector.findings[Music + "bild.mp3"] = FakeSoundInspector::goodMp3();
    inspector.findings[Music + "bild.mp3"].embedsPictures = true;
    inspector.findings[Music + "ungeprueft.mp3"] = SoundFindings{};

    tellDropOutcome(ui, workspace.dropFiles(std::vector<std::string>{
                            Windows + "wav.mp3", Music + "gut.mp3", Music + "halb.mp3",
                            Music + "bild.mp3", Music + "ungeprueft.mp3"}));

    EXPECT_EQ(inspector.paths().size(), 5u) << "only the new rows are looked at";
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, std::string(InvalidSoundsMessage) + "\r\nwav.mp3\r\nhalb.mp3");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(session.table().nextRow(), 7) << "the rows stay";
    EXPECT_EQ(row(2).sourcePath, Windows + "wav.mp3");
}

TEST_F(DropCheckTest, GoodFilesAndRejectedOnesBringNoSecondMessage) {
    loadStick({});
    tellDropOutcome(ui, workspace.dropFiles(std::vector<std::string>{Music + "gut.mp3"}));
    EXPECT_TRUE(ui.messages.empty());

    // The extension test stops the drop first; only what it let in is looked at.
    inspector.findings[Music + "a.mp3"] = FakeSoundInspector::renamedWav();
    inspector.findings[Music + "c.mp3"] = FakeSoundInspector::renamedWav();
    tellDropOutcome(ui, workspace.dropFiles(std::vector<std::string>{
                            Music + "a.mp3", Music + "b.txt", Music + "c.mp3"}));
    // A path with a control character stops a drop with a text of its own.
    const DropOutcome control =
        workspace.dropFiles(std::vector<std::string>{Music + "zeile\n.mp3"});
    ASSERT_EQ(control.refusals.size(), 1u);
    EXPECT_EQ(control.refusals[0].reason, OutcomeReason::ControlCharacter);
    tellDropOutcome(ui, control);
    ASSERT_EQ(ui.texts(), (std::vector<std::string>{
                              "Eine oder mehr Dateien entsprechen nicht dem .MP3 Format!",
                              std::string(InvalidSoundsMessage) + "\r\na.mp3",
                              "Der Pfad einer oder mehrerer Dateien enthält Steuerzeichen und "
                              "kann nicht gespeichert werden!"}));
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(ui.messages[2].icon, MessageIcon::Information);
}

} // namespace
} // namespace tonarion
