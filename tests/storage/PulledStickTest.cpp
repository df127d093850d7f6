// A stick can be pulled at any moment. Each case runs one action of the user once on a stick
// that stays, and then once for every k with the stick pulled from its k-th file operation on.
// What a killed program leaves for the next start is the kill sweep's (tests/faults); here the
// program goes on without the stick, and must leave:
// - the old or the new index file on the stick, complete;
// - the failure told to the user, unless the commit had gone through and only a file under an
//   old name could not be removed any more;
// - SaveNeeded set, so that once the stick is back one commit brings it to exactly the state
//   the undisturbed action reached. Every case has sounds whose source is gone, so this also
//   holds no sound was lost on the way.

#include "model/EntryName.h"
#include "support/Selections.h"
#include "support/StickFixture.h"
#include "workspace/EventResult.h"
#include "workspace/RowDeletion.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <map>

namespace tonarion {
namespace {

using namespace testing;

constexpr int Never = std::numeric_limits<int>::max();

class PulledStickTest : public StickFixture {
protected:
    std::map<std::string, std::string> stickContent() const {
        std::map<std::string, std::string> content;
        for (const auto& name : files.filesIn(Root)) {
            content[name] = files.content(Root + name);
        }
        return content;
    }

    void pullAtEveryOperation(const std::function<void()>& action) {
        const FakeFileOperations before = files;
        const Session pending = session;
        const std::string oldIndex = index();
        files.pullStickAt(Never, Root);
        action();
        const int operations = files.operations;
        ASSERT_FALSE(session.SaveNeeded());
        ASSERT_EQ(ui.texts(), std::vector<std::string>{});
        const std::string newIndex = index();
        const auto newStick = stickContent();

        for (int k = 0; k < operations; ++k) {
            SCOPED_TRACE("stick pulled at operation " + std::to_string(k));
            files = before;
            session = pending;
            ui.messages.clear();
            files.pullStickAt(k, Root);
            action();
            EXPECT_TRUE(index() == oldIndex || index() == newIndex) << index();
            if (!files.pulled) {
                ASSERT_GT(k, 0) << "pulling the stick failed no operation";
                continue; // only the computer was touched from k on
            }
            EXPECT_TRUE(session.SaveNeeded());
            EXPECT_TRUE(index() == newIndex || ui.lastText().starts_with(CommitFailedMessage));

            files.pullStickAt(Never, Root); // the stick is back
            ui.messages.clear();
            EXPECT_EQ(CommitToStick(session, files, ui), CommitResult::Written) << ui.lastText();
            EXPECT_EQ(stickContent(), newStick) << "with the index file";
        }
    }

    // The user goes on after a commit that failed at its k-th file operation, for every k,
    // with the stick pulled or refusing writes: the next action while the stick still fails,
    // once it is back, or failing again at each of its own operations. Then one commit must
    // leave the stick exactly as the same two actions leave it undisturbed.
    void failThenGoOn(const std::function<void()>& first, const std::function<void()>& then) {
        const FakeFileOperations before = files;
        const Session pending = session;
        files.pullStickAt(Never, Root);
        first();
        const int operations = files.operations;
        then();
        ASSERT_FALSE(session.SaveNeeded()) << ui.lastText();
        const auto expected = stickContent();
        for (int k = 0; k < operations; ++k) {
            for (const bool pull : {true, false}) {
                // Where the stick fails in the second action: from its start, never, or at
                // each of the operations it reaches.
                int thenOperations = 1;
                for (int then_k = Never; then_k == Never || then_k < thenOperations;
                     then_k = then_k == Never ? 0 : then_k + 1) {
                    SCOPED_TRACE(std::string(pull ? "pulled" : "refusing") + " at operation " +
                                 std::to_string(k) + ", then at " + std::to_string(then_k));
                    files = before;
                    session = pending;
                    pull ? files.pullStickAt(k, Root) : files.refuseWritesAt(k, Root);
                    first();
                    pull ? files.pullStickAt(then_k, Root) : files.refuseWritesAt(then_k, Root);
                    then();
                    thenOperations = std::max(thenOperations, files.operations);
                    files.pullStickAt(Never, Root);
                    ui.messages.clear();
                    CommitToStick(session, files, ui);
                    EXPECT_FALSE(session.SaveNeeded()) << ui.lastText();
                    EXPECT_EQ(stickContent(), expected);
                }
            }
        }
    }

    void rebind(int row, const EventSelection& selection) {
        const std::string oldName = session.table.row(row).entryName;
        const auto entry = workspace.compose(row, selection);
        ASSERT_TRUE(entry) << ui.lastText();
        applyEventResult(session, files, ui, row, oldName, *entry);
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
    session.markChanged();

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
        pullAtEveryOperation([&, row = deletedRow] { workspace.deleteRow(row); });
    }
}

TEST_F(PulledStickTest, GoingOnAfterAFailedCommit) {
    const auto loadRandomSounds = [this] {
        loadSounds({{"ZUM_-0001-00000.mp3", Music + "1.mp3"},
                    {"ZUM_-0002-00000.mp3", Root + "ZUM_-0002-00000.mp3"},
                    {"ZUM_-0003-00000.mp3", Music + "3.mp3"},
                    {"ZUM_-0004-00000.mp3", "/gone/4.mp3"},
                    {"KAM1-0001-00000.mp3", Music + "k.mp3"}});
    };
    {
        SCOPED_TRACE("deleting a random sound, then re-binding one that moved down");
        loadRandomSounds();
        failThenGoOn([this] { workspace.deleteRow(2); }, [this] { rebind(3, randomSelection(0)); });
        loadRandomSounds();
        failThenGoOn([this] { workspace.deleteRow(2); },
                     [this] { rebind(2, clockSelection(1, 4)); });
    }
    {
        SCOPED_TRACE("a contact becomes random, loses its source and is bound to the clock");
        loadRandomSounds();
        failThenGoOn([this] { rebind(5, randomSelection(1)); },
                     [this] {
                         files.ShellDelete(Music + "k.mp3");
                         rebind(5, clockSelection(1, 7));
                     });
    }
    {
        SCOPED_TRACE("a sound that lives only on the stick is bound anew, then deleted");
        loadRandomSounds();
        failThenGoOn([this] { rebind(4, clockSelection(1, 8)); },
                     [this] { workspace.deleteRow(4); });
    }
    {
        SCOPED_TRACE("two new volumes");
        const auto volume = [this](const char* name) {
            return [this, name] {
                session.settings.CurrentSettings[Setting::Volume] = name;
                session.markChanged();
                CommitToStick(session, files, ui);
            };
        };
        loadRandomSounds();
        failThenGoOn(volume("SET_-0001-00008.mp3"), volume("SET_-0001-00003.mp3"));
        // Two sounds that swap their names wait under parking names, with the setting file.
        loadSounds({{"ZUM_-0001-00000.mp3", Root + "ZUM_-0002-00000.mp3"},
                    {"ZUM_-0002-00000.mp3", Root + "ZUM_-0001-00000.mp3"}});
        failThenGoOn(volume("SET_-0001-00008.mp3"), volume("SET_-0001-00003.mp3"));
    }
}

} // namespace
} // namespace tonarion
