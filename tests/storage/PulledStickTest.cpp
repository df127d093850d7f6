// A stick can be pulled at any moment. Each case runs one action of the user once on a stick
// that stays, and then once for every k with the stick pulled from its k-th file operation on.
//
// What the user must be left with:
// - the stick holds the old or the new index file, complete;
// - no sound is lost. A sound counts as lost when the old or the new index file lists it,
//   its source is gone from the computer, and its content is in no file of the stick. The
//   content is what counts, not the name: a stick file that was renamed still holds the
//   sound. Only the sound the user deleted on purpose may go;
// - the user saw the failure message, unless the commit had gone through and only a file
//   under an old name could not be removed any more;
// - SaveNeeded is still set, so that the stick "back" is committed once more, and that commit
//   brings the stick to exactly the state the undisturbed action reached;
// - had the program ended there instead, the next start and one commit leave the stick as its
//   index says, with every binding as before the action or every one as after it.

#include "model/EntryName.h"
#include "storage/EventResult.h"
#include "storage/RowDeletion.h"
#include "storage/StickChange.h"
#include "storage/StickSelection.h"
#include "support/Selections.h"
#include "support/StickFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <map>
#include <set>

namespace tonarion {
namespace {

using namespace testing;

using StickContent = std::map<std::string, std::string>; // name in the root -> content

class PulledStickTest : public StickFixture {
protected:
    StickContent stickContent() const {
        StickContent content;
        for (const auto& name : files.filesIn(Root)) {
            content[name] = files.content(Root + name);
        }
        return content;
    }

    // Which content the module plays under each name, read from the files, and whether the
    // index lists exactly the sound and setting files in the root, one per setting.
    std::map<std::string, std::string> bindings(const FakeFileOperations& stick) const {
        std::map<std::string, std::string> played;
        for (const auto& name : stick.filesIn(Root)) {
            if (looksLikeEntryName(name) || settingOfName(name)) {
                played[name] = stick.content(Root + name);
            }
        }
        return played;
    }
    void expectStickTrueToItsIndex(const FakeFileOperations& stick) const {
        const IndexContent index = parseIndexFile(stick.content(Root + IndexFileName));
        std::set<std::string> listed;
        for (const auto& line : index.entries) {
            listed.insert(line.entryName);
        }
        for (const Setting setting : AllSettings) {
            listed.insert(index.settings[setting]);
        }
        for (const auto& [name, content] : bindings(stick)) {
            EXPECT_TRUE(listed.contains(name)) << "plays, but the index does not list it: " << name;
        }
        for (const auto& name : stick.filesIn(Root)) {
            EXPECT_FALSE(isWorkingFileName(name)) << "left over: " << name;
        }
    }

    // The program ends where the stick was pulled; it is started again on the stick as it is
    // and commits once. What the module then plays under each name.
    std::map<std::string, std::string> restartAndCommit(const FakeFileOperations& stickLeft) {
        FakeFileOperations stick = stickLeft;
        stick.pullStickAt(std::numeric_limits<int>::max(), Root);
        Session restarted;
        restarted.stickRoot = Root;
        RecordingUserInterface restartUi;
        StickWorkspace next(restarted, stick, restartUi);
        restarted.indexFileName = findIndexFile(stick, Root).value_or(IndexFileName);
        EXPECT_EQ(next.load("/opt/tonarion"), IndexReadResult::Read);
        restarted.SaveNeeded = true;
        next.commit();
        expectStickTrueToItsIndex(stick);
        return bindings(stick);
    }

    // The contents of the sounds an index file lists whose source is not on the computer.
    std::set<std::string> soundsOnlyOnStick(const std::string& indexBytes,
                                            const StickContent& stick) const {
        std::set<std::string> sounds;
        for (const auto& entry : parseIndexFile(indexBytes).entries) {
            const auto file = stick.find(entry.entryName);
            if ((entry.sourcePath.starts_with(Root) || !files.has(entry.sourcePath)) &&
                file != stick.end()) {
                sounds.insert(file->second);
            }
        }
        return sounds;
    }

    void pullAtEveryOperation(const std::function<void()>& action,
                              const std::string& deletedSound = "") {
        const FakeFileOperations before = files;
        const Session pending = session;
        const std::string oldIndex = index();
        const StickContent oldStick = stickContent();

        files.pullStickAt(std::numeric_limits<int>::max(), Root);
        action();
        const int operations = files.operations;
        ASSERT_FALSE(session.SaveNeeded);
        ASSERT_EQ(ui.texts(), std::vector<std::string>{});
        const std::string newIndex = index();
        const StickContent newStick = stickContent();
        // Ended before the action or after it, the next start and commit reach these.
        const auto bindingsBefore = restartAndCommit(before);
        const auto bindingsAfter = restartAndCommit(files);
        std::set<std::string> precious = soundsOnlyOnStick(oldIndex, oldStick);
        precious.merge(soundsOnlyOnStick(newIndex, newStick));
        precious.erase(deletedSound);
        ASSERT_FALSE(precious.empty()) << "a case without a sound that only the stick holds";

        for (int k = 0; k < operations; ++k) {
            SCOPED_TRACE("stick pulled at operation " + std::to_string(k));
            files = before;
            session = pending;
            ui.messages.clear();
            files.pullStickAt(k, Root);
            action();
            const auto restarted = restartAndCommit(files);
            EXPECT_TRUE(restarted == bindingsBefore || restarted == bindingsAfter)
                << "bindings mixed: " << ::testing::PrintToString(restarted);

            EXPECT_TRUE(index() == oldIndex || index() == newIndex) << index();
            const StickContent now = stickContent();
            for (const auto& sound : precious) {
                EXPECT_TRUE(std::any_of(now.begin(), now.end(),
                                        [&](const auto& file) { return file.second == sound; }))
                    << "lost: " << sound;
            }
            if (!files.pulled) {
                ASSERT_GT(k, 0) << "pulling the stick failed no operation";
                continue; // only the computer was touched from k on
            }
            EXPECT_TRUE(session.SaveNeeded);
            EXPECT_TRUE(index() == newIndex || ui.lastText().starts_with(CommitFailedMessage));

            files.pullStickAt(std::numeric_limits<int>::max(), Root); // the stick is back
            ui.messages.clear();
            EXPECT_EQ(CommitToStick(session, files, ui), CommitResult::Written) << ui.lastText();
            EXPECT_EQ(stickContent(), newStick) << "with the index file";
        }
    }

    // Puts sound files and an index file listing them on a fresh stick, and loads it. A
    // source in the music folder is given the stick file's content and time, as a commit
    // leaves them.
    void loadSounds(const std::vector<std::pair<std::string, std::string>>& nameAndSource) {
        files = FakeFileOperations{};
        files.addFolder(Root);
        std::vector<std::string> lines;
        double modified = 0;
        for (const auto& [name, source] : nameAndSource) {
            files.addFile(Root + name, "stick " + name, modified += 100);
            if (source.starts_with(Music)) {
                files.addFile(source, "stick " + name, modified);
            }
            lines.push_back(name + ";" + source);
        }
        loadStick(lines);
    }
};

TEST_F(PulledStickTest, ACommitOfEveryKindOfChange) {
    loadSounds({{"MGM2-0012-00000.mp3", Music + "a.mp3"},
                {"MRM2-0013-00000.mp3", "/gone/b.mp3"},
                {"KSM4-0001-00010.mp3", Root + "KSM4-0001-00010.mp3"}});
    // Pending: a sound edited on the computer, a stick file under an older name, a new
    // sound, a new volume.
    files.addFile(Music + "a.mp3", "a, edited on the computer");
    files.addFile(Music + "c.mp3", "c, new");
    session.table.replaceRow(3, SoundEntry{.entryName = "KAM4-0001-00010.mp3",
                                           .sourcePath = Root + "KSM4-0001-00010.mp3"});
    session.table.appendEntry(
        SoundEntry{.entryName = "ZUM_-0001-00000.mp3", .sourcePath = Music + "c.mp3"});
    session.settings.CurrentSettings[Setting::Volume] = "SET_-0001-00025.mp3";
    session.SaveNeeded = true;

    pullAtEveryOperation([this] { CommitToStick(session, files, ui); });
}

TEST_F(PulledStickTest, ReBindingASound) {
    for (const std::string& source :
         {std::string("/gone/a.mp3"), Music + "a.mp3", Root + "MGM2-0012-00000.mp3"}) {
        SCOPED_TRACE("the sound's source: " + source);
        loadSounds({{"MGM2-0012-00000.mp3", source}, {"MRM2-0013-00000.mp3", "/gone/b.mp3"}});
        const auto entry = workspace.compose(1, turnoutSelection(2, "14"));
        ASSERT_TRUE(entry);
        pullAtEveryOperation(
            [&] { applyEventResult(session, files, ui, 1, "MGM2-0012-00000.mp3", *entry); });
    }
}

TEST_F(PulledStickTest, DeletingARandomEntryThatRenumbersTheOthers) {
    const std::pair<std::vector<int>, int> cases[] = {
        // running numbers in row order, and the row deleted
        {{1, 2, 3, 4}, 2},
        {{4, 3, 2, 1}, 4},
        {{1, 5, 9}, 1},
    };
    for (const auto& [numbers, deletedRow] : cases) {
        SCOPED_TRACE("deleting row " + std::to_string(deletedRow));
        // Sources of every kind: the stick file itself, on the computer, and gone.
        std::vector<std::pair<std::string, std::string>> sounds;
        for (const int number : numbers) {
            const std::string name = "ZUM_-" + pad4(std::to_string(number)) + "-00000.mp3";
            const std::string sources[] = {Root + name, Music + name, "/gone/" + name};
            sounds.emplace_back(name, sources[number % 3]);
        }
        loadSounds(sounds);
        pullAtEveryOperation([&] { workspace.deleteRow(deletedRow); },
                             "stick " + sounds[deletedRow - 1].first);
    }
}

} // namespace
} // namespace tonarion
