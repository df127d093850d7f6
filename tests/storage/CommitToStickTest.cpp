// What the generated sequences of WorkspacePropertyTest do not pin: the commit's own texts and
// formats, the rules of what it copies, sources that are gone, and the order of its flushes.

#include "storage/CommitToStick.h"

#include "storage/StickChange.h"
#include "support/Selections.h"
#include "support/StickFixture.h"
#include "workspace/EventResult.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <map>

namespace tonarion {
namespace {

using namespace testing;

class CommitTest : public StickFixture {
protected:
    // A bound row as the event dialog leaves it.
    void bindRow(const std::string& name, const std::string& source) {
        session.table().appendEntry(SoundEntry{.entryName = name, .sourcePath = source});
        session.markChanged();
    }
    CommitResult commit() { return CommitToStick(session, files, ui); }
};

// Refused while one runs, then refused by a full and by a write-protected stick with the
// cause in the system's words, each message only once the wait window is gone; then written
// once, in table order, rows without a source left out and every setting file there.
TEST_F(CommitTest, TellsWhyItFailedAndWritesRowsAndSettingsOnceItCan) {
    loadStick({});
    const std::string oldIndex = index();
    files.addFile(Music + "pfiff.mp3", std::string(10000, 'p'));
    bindRow("MGM2-0012-00000.mp3", Music + "pfiff.mp3");
    session.table().appendEntry(SoundEntry{.sourcePath = Music + "unbound.mp3"});
    bindRow("KSM4-0001-00010.mp3", ""); // no source: no line, no file
    files.ShellDelete(Root + "SET_-0004-00002.mp3");
    files.addFile(Root + "SET_-0003-00028.mp3", "noise"); // a setting file is left empty
    session.settings().CurrentSettings[Setting::Volume] = "SET_-0001-00025.mp3";
    if (const auto running = session.stick().beginCommit()) {
        EXPECT_EQ(commit(), CommitResult::AlreadyRunning);
    }
    files.setFreeSpace(5000);
    files.writes.clear();
    EXPECT_EQ(commit(), CommitResult::Failed);
    EXPECT_TRUE(files.writes.empty()) << "refused before anything is written";
    files.setFreeSpace(1'000'000);
    files.setReadOnly(true);
    EXPECT_EQ(commit(), CommitResult::Failed);
    EXPECT_EQ(index(), oldIndex);
    EXPECT_TRUE(session.SaveNeeded());
    EXPECT_EQ(ui.texts(),
              (std::vector<std::string>{
                  "Die Änderungen konnten nicht vollständig auf den USB-Stick geschrieben werden."
                  "\r\n\r\nAuf dem USB-Stick ist nicht genug Platz.\r\n\r\n" +
                      std::string(NotEnoughSpaceAdvice),
                  std::string(CommitFailedMessage) + "\r\n\r\n" + WriteProtectedMessage +
                      "\r\n\r\ntonkat.jnl: Datenträger ist schreibgeschützt\r\n\r\n" +
                      CommitFailedAdvice}));
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Critical);

    files.setReadOnly(false);
    ui.messages.clear();
    EXPECT_EQ(commit(), CommitResult::Written);
    EXPECT_EQ(files.content(Root + "MGM2-0012-00000.mp3"), std::string(10000, 'p'));
    std::vector<std::string> lines = {"MGM2-0012-00000.mp3;" + Music + "pfiff.mp3",
                                      "SET_-0001-00025.mp3"};
    lines.insert(lines.end(), DefaultSettingLines.begin() + 1, DefaultSettingLines.end());
    EXPECT_EQ(index(), indexWith(lines));
    EXPECT_FALSE(files.has(Root + "SET_-0001-00021.mp3"));
    EXPECT_EQ(files.content(Root + "SET_-0003-00028.mp3"), "");
    EXPECT_EQ(files.content(Root + "SET_-0004-00002.mp3"), "");
    EXPECT_EQ(session.settings().StoredSettings, session.settings().CurrentSettings);
    EXPECT_FALSE(session.SaveNeeded() || session.stick().commitRunning());
    EXPECT_FALSE(ui.waitWindowVisible || ui.busyPointer);
    EXPECT_EQ(ui.waitWindowShown, 3);
    EXPECT_EQ(ui.messagesUnderWaitWindow, 0);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(commit(), CommitResult::NothingToDo);
}

// A sound bound anew with the stick pulled, or refusing writes, from each of the operations
// on, whose source is gone or is the stick file itself (the generated sequences keep every
// source in place): once the stick is back, one commit leaves it as the undisturbed
// re-binding does.
TEST_F(CommitTest, ABindingThatFailedAtAnyOperationIsFinishedByTheNextCommit) {
    constexpr int Never = std::numeric_limits<int>::max();
    for (const std::string& source : {std::string("/gone/a.mp3"), Root + "MGM2-0012-00000.mp3"}) {
        files = FakeFileOperations{};
        files.addFile(Root + "MGM2-0012-00000.mp3", "stick a", 100);
        files.addFile(Root + "MRM2-0013-00000.mp3", "stick b", 200);
        loadStick({"MGM2-0012-00000.mp3;" + source, "MRM2-0013-00000.mp3;/gone/b.mp3"});
        const auto entry = workspace.compose(1, turnoutSelection(2, "14"));
        ASSERT_TRUE(entry);
        const FakeFileOperations before = files;
        const Session pending = session;
        std::map<std::string, std::string> expected;
        for (int k = -1, reached = true; reached; ++k) { // up to the first k no longer reached
            reached = k < 0;
            for (const bool pull : {true, false}) {
                SCOPED_TRACE(source + (pull ? " pulled" : " refusing") + " at " +
                             std::to_string(k));
                files = before;
                session = pending;
                pull ? files.pullStickAt(k < 0 ? Never : k, Root)
                     : files.refuseWritesAt(k < 0 ? Never : k, Root);
                applyEventResult(session, files, ui, 1, "MGM2-0012-00000.mp3", *entry);
                reached = reached || files.operations > k;
                files.pullStickAt(Never, Root);
                CommitToStick(session, files, ui);
                EXPECT_FALSE(session.SaveNeeded()) << ui.lastText();
                expected = k < 0 ? stickBytes() : expected;
                EXPECT_EQ(stickBytes(), expected);
            }
        }
    }
    // Bound anew twice while the stick is gone, its source deleted in between: the stick's
    // file is the only copy left, and ends up under the last name.
    files = FakeFileOperations{};
    files.addFile(Root + "MGM2-0012-00000.mp3", "a", 100);
    files.addFile(Music + "a.mp3", "a", 100);
    loadStick({"MGM2-0012-00000.mp3;" + Music + "a.mp3"});
    const auto first = workspace.compose(1, turnoutSelection(2, "14"));
    ASSERT_TRUE(first);
    files.pullStickAt(0, Root);
    applyEventResult(session, files, ui, 1, "MGM2-0012-00000.mp3", *first);
    files.ShellDelete(Music + "a.mp3");
    const std::string name = row(1).entryName;
    const auto last = workspace.compose(1, clockSelection(1, 7));
    ASSERT_TRUE(last);
    applyEventResult(session, files, ui, 1, name, *last);
    files.pullStickAt(Never, Root);
    CommitToStick(session, files, ui);
    EXPECT_EQ(files.content(Root + row(1).entryName), "a");
}

TEST_F(CommitTest, CopiesOnlyWhatChanged) {
    const double source = 5'000'000;
    const std::pair<double, bool> cases[] = {
        // the stick file's time, and whether it is copied over
        {source, false},        {source + 2, false},    {source - 2, false},
        {source + 3602, false}, {source - 3600, false}, // a daylight-saving change
        {source + 3, true},     {source + 1800, true},
    };
    for (const auto& [stickTime, copied] : cases) {
        for (const std::string stickContent : {"abcd", "abc"}) { // another size: always copied
            files.writes.clear();
            files.addFile(Music + "a.mp3", "abcd", source);
            files.addFile(Root + "MGM2-0012-00000.mp3", stickContent, stickTime);
            session.stick()
                .fileCache()
                .clear(); // changed behind the program's back, as between runs
            bindRow("MGM2-0012-00000.mp3", Music + "a.mp3");
            EXPECT_EQ(commit(), CommitResult::Written);
            EXPECT_EQ(files.writes["copy"], copied || stickContent == "abc" ? 1 : 0)
                << stickTime - source << " " << stickContent;
            session.table().clear();
        }
    }
}

// A changed source that cannot be read is told as what it is, with its cause: the stick keeps
// its last copy, and every other change goes through.
TEST_F(CommitTest, AnUnreadableSourceBlocksNothingElse) {
    files.addFile(Root + "MGM2-0012-00000.mp3", "old a", 1000);
    loadStick({"MGM2-0012-00000.mp3;" + Music + "a.mp3"});
    files.addFile(Music + "a.mp3", "a, edited", 5000);
    files.addFile(Music + "n.mp3", "new, unreadable");
    files.makeUnreadable(Music + "a.mp3");
    files.makeUnreadable(Music + "n.mp3");
    bindRow("KSM4-0001-00010.mp3", Music + "n.mp3");
    EXPECT_EQ(commit(), CommitResult::SoundsNotFound);
    EXPECT_FALSE(session.SaveNeeded());
    EXPECT_EQ(files.content(Root + "MGM2-0012-00000.mp3"), "old a");
    EXPECT_FALSE(files.has(Root + "KSM4-0001-00010.mp3"));
    EXPECT_EQ(ui.texts(), std::vector<std::string>{
                              std::string(SourcesUnreadableMessage) + "\r\n\r\nZeile 1: " + Music +
                              "a.mp3: Zugriff verweigert\r\nZeile 2: " + Music +
                              "n.mp3: Zugriff verweigert\r\n\r\n" + SourcesUnreadableAdvice});
}

// A sound neither at its source nor on the stick is told with its row, keeps its line in the
// index file and blocks no other change; once it is back, the next commit copies it.
TEST_F(CommitTest, ASoundThatIsGoneKeepsItsLineUntilItComesBack) {
    loadStick({"MGM2-0012-00000.mp3;" + Music + "gone.mp3"});
    EXPECT_TRUE(row(1).soundNotFound);
    files.addFile(Music + "other.mp3", "other");
    bindRow("MRM2-0013-00000.mp3", Music + "other.mp3");
    EXPECT_EQ(commit(), CommitResult::SoundsNotFound);
    EXPECT_FALSE(session.SaveNeeded()) << "retrying would change nothing";
    EXPECT_EQ(files.content(Root + "MRM2-0013-00000.mp3"), "other");
    EXPECT_NE(index().find("\nMGM2-0012-00000.mp3;" + Music + "gone.mp3\r\n"), std::string::npos);
    EXPECT_EQ(ui.texts(),
              std::vector<std::string>{std::string(SoundsNotFoundMessage) +
                                       "\r\n\r\nZeile 1: MGM2-0012-00000.mp3 (" + Music +
                                       "gone.mp3)\r\n\r\n" + SoundsNotFoundAdvice});
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Critical);
    files.addFile(Music + "gone.mp3", "back");
    session.markChanged();
    EXPECT_EQ(commit(), CommitResult::Written);
    EXPECT_FALSE(row(1).soundNotFound);
    EXPECT_EQ(files.content(Root + "MGM2-0012-00000.mp3"), "back");
}

// The stick's changes in the order they are made, flushes included; a journal that cannot be
// deleted, as on a stick that turned write-protected at the last moment.
class OrderedStick final : public FakeFileOperations {
public:
    std::vector<std::string> log;
    std::string journal; // as last written
    bool journalStays = false;

    FileResult flushMedium(const std::string& folder) override {
        log.push_back("flush");
        return FakeFileOperations::flushMedium(folder);
    }
    FileResult writeFileDurably(const std::string& path, const std::string& bytes) override {
        log.push_back("write " + path.substr(Root.size()));
        journal = path == Root + JournalName ? bytes : journal;
        return FakeFileOperations::writeFileDurably(path, bytes);
    }
    FileResult renameFile(const std::string& from, const std::string& to) override {
        log.push_back("rename " + from.substr(Root.size()));
        return FakeFileOperations::renameFile(from, to);
    }
    FileResult replaceFile(const std::string& from, const std::string& to) override {
        log.push_back("replace " + to.substr(Root.size()));
        return FakeFileOperations::replaceFile(from, to);
    }
    FileResult ShellDelete(const std::string& path) override {
        if (journalStays && path == Root + JournalName) {
            return FileResult(path, std::make_error_code(std::errc::read_only_file_system));
        }
        log.push_back("delete " + path.substr(Root.size()));
        return FakeFileOperations::ShellDelete(path);
    }
};

TEST(CommitOrderTest, TheJournalIsOnTheMediumBeforeTheFirstNameChangesAndGoesOrIsReported) {
    for (const bool journalStays : {false, true}) {
        OrderedStick files;
        files.addFolder(Root);
        std::vector<std::string> lines;
        for (const std::string number : {"1", "2", "3"}) {
            const std::string name = "ZUM_-000" + number + "-00000.mp3";
            files.addFile(Root + name, "random " + number);
            lines.push_back(name + ";" + Root + name);
        }
        for (const auto& line : DefaultSettingLines) {
            files.addFile(Root + line);
        }
        lines.insert(lines.end(), DefaultSettingLines.begin(), DefaultSettingLines.end());
        files.addFile(Root + IndexFileName, indexWith(lines));
        Session session;
        session.stick().setRoot(Root);
        RecordingUserInterface ui;
        StickWorkspace workspace(session, files, ui);
        ASSERT_EQ(workspace.load("/opt/tonarion"), IndexReadResult::Read);
        files.journalStays = journalStays;
        files.log.clear();

        // Random 1 goes; 2 and 3 move down one.
        const Outcome deleted = workspace.deleteRow(1);
        tellOutcome(ui, deleted);
        EXPECT_EQ(deleted.reason, journalStays ? OutcomeReason::CommitFailed : OutcomeReason::None);
        EXPECT_EQ(files.content(Root + "ZUM_-0001-00000.mp3"), "random 2");
        EXPECT_EQ(files.content(Root + "ZUM_-0002-00000.mp3"), "random 3");
        const auto at = [&](const std::string& entry) {
            return std::find(files.log.begin(), files.log.end(), entry) - files.log.begin();
        };
        const auto firstChange = std::find_if(files.log.begin(), files.log.end(), [](auto& e) {
            return e.starts_with("rename ZUM_") || e.starts_with("delete ZUM_");
        });
        const auto indexInPlace = at("replace " + std::string(IndexFileName));
        ASSERT_NE(firstChange, files.log.end());
        // A session's first journal waits for whatever the run before left unflushed.
        const auto journal = at("write " + std::string(JournalName));
        EXPECT_EQ(
            files.log[static_cast<std::size_t>(at("write " + std::string(IndexTempName))) - 1],
            "flush");
        const auto announced =
            std::find(files.log.begin() + journal, files.log.end(), "flush") - files.log.begin();
        EXPECT_LT(at("write " + std::string(IndexTempName)), announced);
        EXPECT_LT(announced, firstChange - files.log.begin());
        EXPECT_EQ(files.log[static_cast<std::size_t>(indexInPlace) - 1], "flush");
        EXPECT_EQ(files.log[static_cast<std::size_t>(indexInPlace) + 1], "flush");
        // One after the deleted row's file made room, one more between the two renames: the
        // second takes the name the first one freed; and one before the journal goes.
        EXPECT_EQ(std::count(files.log.begin(), files.log.end(), "flush"), 7);
        // A journal left behind is told, and the change stays pending until it goes.
        EXPECT_EQ(files.has(Root + JournalName), journalStays);
        EXPECT_EQ(session.SaveNeeded(), journalStays);
        EXPECT_EQ(ui.texts().size(), journalStays ? 1u : 0u);
        if (journalStays) {
            EXPECT_NE(ui.lastText().find(std::string(JournalName) + ": "), std::string::npos);
            continue;
        }
        // The next change's journal names the index file the first one left, known without
        // reading it again.
        const IndexStamp left = stampOf(files.content(Root + IndexFileName));
        EXPECT_TRUE(workspace.deleteRow(1));
        ASSERT_TRUE(parseJournal(files.journal));
        EXPECT_EQ(parseJournal(files.journal)->startIndex, left);
        EXPECT_EQ(files.content(Root + "ZUM_-0001-00000.mp3"), "random 3");
    }
}

} // namespace
} // namespace tonarion
