// Generated sequences of what users do with a stick: adding sounds (some to be converted),
// binding rows to turnout, random and clock events, binding them anew, deleting rows, levelling
// sounds, changing the volume, starting
// anew on the same stick or with the stick at another folder, and any commit of these with the
// stick pulled, refusing writes from its k-th file operation on, or full. After every step the
// table must be what the steps made of it, the random sounds numbered 1 to N, and the computer's
// files as the test left them; whenever the session holds nothing unsaved, the stick must hold
// exactly the files the index file lists, each with the bytes of its row's sound, and the setting
// files of the settings. A start after a failure, or after a power loss at the end of any commit,
// finds each binding as one of the states the stick went through, and one commit completes it.

#include "model/EntryName.h"
#include "model/SoundFileDrop.h"
#include "settings/SettingEntry.h"
#include "storage/StickChange.h"
#include "storage/platform/SystemPlatform.h"
#include "support/Selections.h"
#include "support/TestStick.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <memory>
#include <ostream>
#include <rapidcheck/gtest.h>
#include <set>
#include <unistd.h>

namespace tonarion {
namespace {

using namespace testing;

constexpr int Never = std::numeric_limits<int>::max();
const std::string Elsewhere = "/media/anna/TONKAT/";

enum class Op { Add, Bind, Delete, Volume, Start, Commit, Level };
enum class Fault { None, Pulled, Refusing, Full };

struct Step {
    Op op = Op::Add;
    int row = 0;   // which row, modulo the rows there are
    int kind = 0;  // Bind: turnout, random or clock; Add: how many files; Start: at another
                   // folder, or with a sound deleted
    int value = 0; // address, mode, quarter hour or volume
    std::vector<int> rows;
    Fault fault = Fault::None;
    int k = 0;     // the file operation the fault starts at, or the bytes left free
    int crash = 0; // which of the sticks a power loss may leave
};

std::ostream& operator<<(std::ostream& os, const Step& step) {
    os << "Op " << static_cast<int>(step.op) << " (row " << step.row << ", kind " << step.kind
       << ", value " << step.value << ", fault " << static_cast<int>(step.fault) << " at " << step.k
       << ", crash " << step.crash << ", rows";
    for (const int row : step.rows) {
        os << ' ' << row;
    }
    return os << ")";
}

rc::Gen<Step> stepGen() {
    using namespace rc;
    const auto op = gen::weightedElement<Op>({{3, Op::Add},
                                              {6, Op::Bind},
                                              {2, Op::Delete},
                                              {2, Op::Volume},
                                              {2, Op::Start},
                                              {1, Op::Commit},
                                              {2, Op::Level}});
    const auto fault =
        gen::weightedElement<Fault>({{4, Fault::None}, {1, Fault::Pulled}, {1, Fault::Refusing}});
    return gen::map(gen::tuple(op, gen::inRange(0, 16), gen::inRange(0, 3), gen::inRange(0, 96),
                               gen::container<std::vector<int>>(gen::inRange(0, 16)), fault,
                               gen::inRange(0, 40), gen::inRange(0, 1000)),
                    [](const auto& t) {
                        const auto& [op, row, kind, value, rows, fault, k, crash] = t;
                        return Step{op, row, kind, value, rows, fault, k, crash};
                    });
}

// Reads "wave ..." sounds; what it encodes reads "mp3(...)" around what it was given, so that
// the test can tell each version of a sound by its bytes.
class FakeSoundConverter final : public SoundConverter {
public:
    static std::string encoded(const std::string& sound) { return "mp3(" + sound + ")"; }
    static std::string original(std::string sound) {
        while (sound.starts_with("mp3(") && sound.ends_with(")")) {
            sound = sound.substr(4, sound.size() - 5);
        }
        return sound;
    }

    bool convertible(std::span<const std::uint8_t> bytes) override {
        return text(bytes).starts_with("wave ");
    }
    std::optional<Loudness> measure(std::span<const std::uint8_t> bytes) override {
        return bytes.empty() ? std::nullopt : std::optional<Loudness>({-23, -6});
    }
    ConversionResult encodeForModule(std::span<const std::uint8_t> bytes, double,
                                     const ConversionProgress& progress) override {
        if (!progress(0.5)) {
            return {ConversionResult::Outcome::Cancelled, {}, {}};
        }
        if (text(bytes).ends_with("broken")) {
            return {ConversionResult::Outcome::Failed, {}, "Die Datei ist beschädigt."};
        }
        const std::string made = encoded(text(bytes));
        return {ConversionResult::Outcome::Done, {made.begin(), made.end()}, {}};
    }

private:
    static std::string text(std::span<const std::uint8_t> bytes) {
        return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
    }
};

// A row as the test follows it: the bytes of its sound, wherever its file stands, and its
// EntryName with a random sound's running number left out, since that follows from the other
// rows. Every sound the test adds has bytes of its own.
struct Row {
    std::string sound;
    std::string binding;
    bool operator==(const Row&) const = default;
};
struct Model {
    std::vector<Row> rows;
    std::string volume = DefaultSettingLines[0];
};

std::ostream& operator<<(std::ostream& os, const Row& row) {
    return os << row.sound << " as " << (row.binding.empty() ? "-" : row.binding);
}

std::string bindingOf(const std::string& name) {
    return kindOf(name) == 'Z' ? name.substr(0, 5) + name.substr(9) : name;
}

// The Linux file operations do in a folder in memory whatever in the fake should flush, so
// that the fake flushes only where they ask the kernel to.
struct PlatformFlushes {
    PlatformFlushes() { std::filesystem::create_directories(scratch); }
    ~PlatformFlushes() { std::filesystem::remove_all(scratch); }
    std::unique_ptr<FileOperations> platform = makeSystemFileOperations();
    std::string scratch = "/dev/shm/tonarion-flushes-" + std::to_string(::getpid()) + "/";
};

FakeFileOperations newStick() {
    FakeFileOperations files;
    if (std::filesystem::is_directory("/dev/shm")) {
        static PlatformFlushes flushes;
        files.flushLike(*flushes.platform, flushes.scratch);
    }
    files.addFolder(Root);
    files.addFolder(Music);
    for (const auto& line : DefaultSettingLines) {
        files.addFile(Root + line);
    }
    files.addFile(Root + IndexFileName, indexWith(DefaultSettingLines));
    return files;
}

// The stick, and the program's session on it; a start is a new session on the same files.
struct Program {
    explicit Program(FakeFileOperations stick, std::string at = Root)
        : files(std::move(stick))
        , root(std::move(at)) {
        start();
    }
    void start() {
        workspace.reset();
        session = std::make_unique<Session>(); // lets go of the stick first
        session->stick().setRoot(root);
        workspace = std::make_unique<StickWorkspace>(*session, files, ui);
        workspace->setSoundConverter(&converter);
        RC_ASSERT(workspace->load("/opt/tonarion") == IndexReadResult::Read);
    }
    const SoundTable& table() const { return session->table(); }
    const SettingsTable& settings() const { return session->settings().CurrentSettings; }

    FakeFileOperations files;
    std::string root;
    RecordingUserInterface ui;
    FakeSoundConverter converter;
    std::unique_ptr<Session> session;
    std::unique_ptr<StickWorkspace> workspace;
    std::map<std::string, std::string> computer; // the sounds on the computer, by path
    int sounds = 0;
};

// A sound whose file on the computer has gone is the stick file the row names or moves to.
std::vector<Row> rowsOf(const Program& program) {
    std::vector<Row> rows;
    for (int r = 1; r < program.table().nextRow(); ++r) {
        const SoundEntry& row = program.table().row(r);
        const std::string* prepared = program.session->preparedSoundOf(row.sourcePath);
        std::string sound = prepared ? *prepared : program.files.content(row.sourcePath);
        const std::string file = program.root + program.session->stickFileOf(row.entryName);
        for (const auto& path : {row.sourcePath + MoveSuffix, file, file + MoveSuffix}) {
            sound = program.files.has(path) && sound == "<missing>" ? program.files.content(path)
                                                                    : sound;
        }
        rows.push_back({sound, bindingOf(row.entryName)});
    }
    return rows;
}

void checkTable(const Program& program, const Model& model) {
    RC_ASSERT(rowsOf(program) == model.rows);
    RC_ASSERT(program.settings()[Setting::Volume] == model.volume);
    std::multiset<long long> random;
    for (int r = 1; r < program.table().nextRow(); ++r) {
        if (const std::string& name = program.table().row(r).entryName; kindOf(name) == 'Z') {
            random.insert(leadingNumber(parseEntryName(name).number1));
        }
    }
    long long number = 0;
    for (const long long n : random) {
        RC_ASSERT(n == ++number);
    }
    // Nothing is written outside the stick.
    std::map<std::string, std::string> computer;
    for (const auto& name : program.files.filesIn(Music)) {
        computer[Music + name] = program.files.content(Music + name);
    }
    RC_ASSERT(computer == program.computer);
}

void checkStick(const Program& program) {
    const FakeFileOperations& files = program.files;
    const IndexContent index = parseIndexFile(files.content(program.root + IndexFileName));
    std::vector<std::pair<std::string, std::string>> listed;
    for (const auto& line : index.entries) {
        listed.emplace_back(line.entryName, line.sourcePath);
    }
    std::vector<std::pair<std::string, std::string>> bound;
    std::set<std::string> expected = {IndexFileName};
    for (int r = 1; r < program.table().nextRow(); ++r) {
        const SoundEntry& row = program.table().row(r);
        if (!row.entryName.empty()) {
            // Nothing unsaved: no sound of a bound row waits in memory any more.
            RC_ASSERT(program.session->preparedSoundOf(row.sourcePath) == nullptr);
            bound.emplace_back(row.entryName, row.sourcePath);
            if (row.soundNotFound && !files.has(program.root + row.entryName)) {
                continue; // reported as missing
            }
            RC_ASSERT(files.content(program.root + row.entryName) == rowsOf(program)[r - 1].sound);
            expected.insert(row.entryName);
        }
    }
    RC_ASSERT(listed == bound);
    for (const Setting setting : AllSettings) {
        RC_ASSERT(index.settings[setting] == program.settings()[setting]);
        expected.insert(program.settings()[setting]);
    }
    const auto onStick = files.filesIn(program.root);
    RC_ASSERT(std::set<std::string>(onStick.begin(), onStick.end()) == expected);
}

// After a start, each row's binding is one of those the states since the last complete
// commit gave it, and a row all of them bound the same way is there. A row whose sound the
// stick freed room of before its index file could go (a full stick) is shown lacking it.
void checkStartAfter(const Program& program, const std::vector<Model>& states) {
    const std::vector<Row> rows = rowsOf(program);
    std::set<std::string> sounds;
    for (const auto& state : states) {
        for (const auto& row : state.rows) {
            sounds.insert(row.sound);
        }
    }
    for (int r = 1; r < program.table().nextRow(); ++r) {
        RC_ASSERT(sounds.contains(rows[std::size_t(r - 1)].sound) ||
                  program.table().row(r).soundNotFound);
    }
    // A binding belongs to a sound in whichever version: levelling that had not reached the
    // stick may be lost with the session, a binding made after it not. A sound may be bound
    // twice, its rows come back in the stick's order, and a file whose deletion never reached
    // the stick comes back as a row: so each row is checked, not the sound's rows together.
    const auto bindingsIn = [](const std::vector<Row>& rows, const std::string& sound) {
        std::vector<std::string> bindings;
        for (const Row& row : rows) {
            if (!row.binding.empty() &&
                FakeSoundConverter::original(row.sound) == FakeSoundConverter::original(sound)) {
                bindings.push_back(row.binding);
            }
        }
        return bindings;
    };
    const auto holds = [](const std::vector<std::string>& bindings, const std::string& binding) {
        return std::find(bindings.begin(), bindings.end(), binding) != bindings.end();
    };
    for (const auto& sound : sounds) {
        const std::vector<std::string> shown = bindingsIn(rows, sound);
        std::vector<std::vector<std::string>> given;
        for (const Model& state : states) {
            given.push_back(bindingsIn(state.rows, sound));
        }
        // No binding that no state gave the sound,
        for (const std::string& binding : shown) {
            RC_ASSERT(std::any_of(given.begin(), given.end(),
                                  [&](const auto& bindings) { return holds(bindings, binding); }));
        }
        // a sound every state binds still bound, and a binding every state gives it there.
        RC_ASSERT(!shown.empty() ||
                  std::any_of(given.begin(), given.end(),
                              [](const auto& bindings) { return bindings.empty(); }));
        for (const std::string& binding : given.front()) {
            RC_ASSERT(holds(shown, binding) ||
                      std::any_of(given.begin(), given.end(),
                                  [&](const auto& bindings) { return !holds(bindings, binding); }));
        }
    }
    RC_ASSERT(std::any_of(states.begin(), states.end(), [&](const Model& state) {
        return state.volume == program.settings()[Setting::Volume];
    }));
}

// Power lost at the end of the step: the stick as the changes since the last flush may have
// left it, the last four of them in any subset and order, the step's pick of them all. A start
// finds every binding as in one of the states, and a commit completes it.
void checkPowerLoss(const Program& program, const Step& step, const std::vector<Model>& states) {
    std::vector<FakeFileOperations> sticks = program.files.afterPowerLoss(4);
    Program after(std::move(sticks[static_cast<std::size_t>(step.crash) % sticks.size()]),
                  program.root);
    after.computer = program.computer;
    checkStartAfter(after, states);
    after.workspace->commit();
    RC_ASSERT(!after.session->SaveNeeded());
    checkStick(after);
    checkStartAfter(after, states);
}

EventSelection selectionFor(const Step& step) {
    switch (step.kind) {
    case 0:
        return turnoutSelection(step.value % 2, std::to_string(1 + step.value % 5));
    case 1:
        return randomSelection(step.value % 2);
    default:
        return clockSelection(step.value % 2, step.value);
    }
}

// The stick file of the first row whose sound is an MP3 file on the computer, on a stick that
// holds everything the session does.
void deleteACopiedSound(Program& program) {
    if (program.session->SaveNeeded() || program.files.has(program.root + JournalName)) {
        return;
    }
    for (int r = 1; r < program.table().nextRow(); ++r) {
        const SoundEntry& row = program.table().row(r);
        const std::string file = program.root + row.entryName;
        if (row.isBound() && program.computer.contains(row.sourcePath) &&
            row.sourcePath.ends_with(".mp3") && program.files.has(file)) {
            program.files.ShellDelete(file);
            program.files.flushMedium(program.root);
            return;
        }
    }
}

// Runs one step on the program and the model; true when it committed.
bool run(const Step& step, Program& program, Model& model, std::vector<Model>& states) {
    StickWorkspace& workspace = *program.workspace;
    const int rowCount = static_cast<int>(model.rows.size());
    const int row = rowCount > 0 ? 1 + step.row % rowCount : 0;
    switch (step.op) {
    case Op::Add: {
        std::vector<std::string> paths;
        for (int i = 0; i <= step.kind; ++i) {
            const std::string name = "ton" + std::to_string(++program.sounds);
            // Every third drop brings a recording, which the user has converted.
            const bool wave = (step.value + i) % 3 == 0;
            const std::string sound = (wave ? "wave " : "sound ") + name;
            paths.push_back(Music + name + (wave ? ".wav" : ".mp3"));
            // Sounds of one size made within two seconds count as one version (FAT keeps
            // times to two seconds), so each has a minute of its own.
            program.files.addFile(paths.back(), sound, 60.0 * program.sounds);
            program.computer[paths.back()] = sound;
            model.rows.push_back({wave ? FakeSoundConverter::encoded(sound) : sound, ""});
        }
        if ((3 - step.value % 3) % 3 <= step.kind) {
            program.ui.setNextAnswer(MessageAnswer::Yes);
        }
        RC_ASSERT(workspace.dropFiles(paths).added == step.kind + 1);
        return false;
    }
    case Op::Level: {
        std::set<int> rows;
        for (const int r : step.rows) {
            rows.insert(rowCount > 0 ? 1 + r % rowCount : 1);
        }
        std::erase_if(rows, [rowCount](int r) { return r > rowCount; });
        // A sound that is nowhere to be read, or on a stick that has gone, fails the whole run,
        // which then changes nothing and says so; a commit that fails afterwards keeps the
        // levelled sounds for the next.
        const bool readable = std::none_of(rows.begin(), rows.end(), [&](int r) {
            return model.rows[static_cast<std::size_t>(r - 1)].sound == "<missing>";
        });
        program.ui.messages.clear();
        const auto outcome = workspace.levelLoudness({rows.begin(), rows.end()}, -18);
        const bool made = outcome.reason != OutcomeReason::ConversionFailed;
        RC_ASSERT(outcome.reason != OutcomeReason::Cancelled);
        RC_ASSERT(made == readable || (!made && step.fault != Fault::None));
        for (const int r : rows) {
            if (made) {
                std::string& sound = model.rows[static_cast<std::size_t>(r - 1)].sound;
                sound = FakeSoundConverter::encoded(sound);
            }
        }
        return made && std::any_of(rows.begin(), rows.end(), [&](int r) {
                   return !model.rows[static_cast<std::size_t>(r - 1)].binding.empty();
               });
    }
    case Op::Bind:
        if (row > 0) {
            if (const auto name = workspace.bind(row, selectionFor(step))) {
                model.rows[static_cast<std::size_t>(row - 1)].binding = bindingOf(name->entryName);
                return true;
            }
        }
        return false;
    case Op::Delete: {
        std::set<int> rows;
        for (const int r : step.rows) {
            rows.insert(rowCount > 0 ? 1 + r % rowCount : 1);
        }
        workspace.deleteRows({rows.begin(), rows.end()});
        for (auto r = rows.rbegin(); r != rows.rend(); ++r) {
            if (*r <= rowCount) {
                model.rows.erase(model.rows.begin() + (*r - 1));
            }
        }
        return true;
    }
    case Op::Volume: {
        SettingsForm form = workspace.openSettings();
        form.setFormLayout();
        const int volume = 1 + step.value % 31;
        form.volumeChanged(volume);
        // The dialog asks whenever the volume differs from the stick's, which a failed
        // commit may have left behind; the user saves.
        const bool changed =
            volumeName(volume) != program.session->settings().StoredSettings[Setting::Volume];
        if (changed) {
            program.ui.setNextAnswer(MessageAnswer::Yes);
        }
        workspace.closeSettings(form);
        model.volume = volumeName(volume);
        return changed;
    }
    case Op::Start:
        // Taken out safely; it comes back at the same folder or at another one, or without a
        // sound file that someone deleted by hand, which the start has copied anew.
        if (step.kind == 2) {
            deleteACopiedSound(program);
        }
        if (step.kind == 1) {
            const std::string other = program.root == Root ? Elsewhere : Root;
            program.files.remount(program.root, other);
            program.root = other;
        }
        program.start();
        checkStartAfter(program, states);
        program.workspace->commit();
        model.rows = rowsOf(program);
        model.volume = program.settings()[Setting::Volume];
        return true;
    case Op::Commit:
        workspace.commit();
        return true;
    }
    return false;
}

void runSteps(const std::vector<Step>& steps) {
    Program program(newStick());
    Model model;
    std::vector<Model> states = {model};    // what the stick may hold for each binding
    std::vector<Model> unflushed = {model}; // the same, as a power loss may leave it
    for (const Step& step : steps) {
        const bool faulty = step.fault != Fault::None && step.op != Op::Add &&
                            step.op != Op::Start && step.op != Op::Commit;
        if (faulty && step.fault == Fault::Full) {
            program.files.setFreeSpace(static_cast<std::size_t>(step.k) * 8);
        } else if (faulty) {
            step.fault == Fault::Pulled ? program.files.pullStickAt(step.k, program.root)
                                        : program.files.refuseWritesAt(step.k, program.root);
        }
        const std::vector<Model> was = states;
        const int flushes = program.files.flushes;
        const bool committed = run(step, program, model, states);
        program.files.pullStickAt(Never, program.root); // the stick is back, and takes writes
        program.files.setFreeSpace(std::size_t(1) << 30);
        checkTable(program, model);
        if (program.files.flushes != flushes) {
            unflushed = was;
        }
        unflushed.push_back(model);
        if (committed) {
            std::vector<Model> allowed = states;
            allowed.insert(allowed.end(), unflushed.begin(), unflushed.end());
            checkPowerLoss(program, step, allowed);
        }
        if (committed && !faulty) {
            RC_ASSERT(!program.session->SaveNeeded());
        }
        if (!program.session->SaveNeeded() && !faulty) {
            checkStick(program);
            states = {model};
        } else {
            states.push_back(model);
        }
    }
}

RC_GTEST_PROP(WorkspacePropertyTest, TheStickHoldsWhatTheTableSaysThroughFaultsAndStarts, ()) {
    // Ten sequences a case: faults that need several random sounds renumbered at once show
    // within the hundred cases of a run, in about a second.
    const auto sequences = *rc::gen::container<std::vector<std::vector<Step>>>(
        10, rc::gen::container<std::vector<Step>>(stepGen()));
    for (const auto& steps : sequences) {
        runSteps(steps);
    }
}

Step step(Op op, int kind = 0, int value = 0, Fault fault = Fault::None, int k = 0) {
    return {op, 0, kind, value, {0}, fault, k};
}

// Converting and levelling keep nothing until every sound is made: a recording the user does
// not want converted stops the drop as any other file would, "Abbrechen" and a sound that
// cannot be encoded leave the table and the stick as they were, and the user hears which file.
TEST(WorkspacePropertyTest, ConvertingAndLevellingKeepNothingUnlessEverySoundIsMade) {
    Program program(newStick());
    const auto add = [&](const std::string& name, const std::string& sound) {
        program.files.addFile(Music + name, sound, 60.0 * ++program.sounds);
        return Music + name;
    };
    const std::vector<std::string> drop = {add("a.mp3", "sound a"), add("b.wav", "wave b"),
                                           add("c.mp3", "sound c")};
    RecordingUserInterface& ui = program.ui;
    ui.setNextAnswer(MessageAnswer::No);
    const DropOutcome dropped = program.workspace->dropFiles(drop);
    EXPECT_EQ(dropped.added, 1);
    tellDropOutcome(ui, dropped);
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{convertQuestion(1), NotMp3Message}));

    ui.setNextAnswer(MessageAnswer::Yes);
    ui.cancelNow = true;
    EXPECT_EQ(program.workspace->dropFiles(drop).added, 0);
    ui.cancelNow = false;
    ASSERT_EQ(program.table().nextRow(), 2);
    ASSERT_TRUE(program.workspace->bind(1, turnoutSelection(0, "7")));
    const std::string name = program.table().row(1).entryName;

    // Levelling the bound sound together with one that cannot be encoded changes neither.
    program.workspace->dropFiles(std::vector<std::string>{add("d.mp3", "sound broken")});
    ui.messages.clear();
    const Outcome levelled = program.workspace->levelLoudness({1, 2}, -18);
    EXPECT_EQ(levelled.kind, Outcome::Kind::Failed);
    tellOutcome(ui, levelled);
    EXPECT_EQ(ui.texts(),
              (std::vector<std::string>{std::string(ConversionFailedMessage) + "\r\n\r\n" + Music +
                                        "d.mp3\r\nDie Datei ist beschädigt."}));
    EXPECT_FALSE(program.session->SaveNeeded());
    EXPECT_EQ(program.files.content(Root + name), "sound a");

    EXPECT_TRUE(program.workspace->levelLoudness({1}, -18));
    EXPECT_EQ(program.files.content(Root + name), FakeSoundConverter::encoded("sound a"));
    program.start();
    EXPECT_EQ(program.table().row(1).sourcePath, Root + name);
}

// Sequences that found faults, shrunk; each reproduces with its RC_PARAMS at the time.
TEST(WorkspacePropertyTest, SequencesThatFoundFaults) {
    const std::vector<std::vector<Step>> found = {
        // A sound copied over the file of a deleted row that the stick had refused to delete;
        // cut short, the old index file listed it under the old sound's source.
        // RC_PARAMS="max_success=2000 seed=980407051136419915"
        {step(Op::Add), step(Op::Bind, 1), step(Op::Delete, 0, 0, Fault::Refusing, 0),
         step(Op::Add), step(Op::Bind, 1, 0, Fault::Pulled, 10), step(Op::Start)},
        // A row whose sound is its own stick file, bound anew while the stick refused writes
        // and then deleted, left that file under its old name: the next start took it back.
        // RC_PARAMS="max_success=3000 seed=10806428056567107230"
        {step(Op::Add), step(Op::Bind), step(Op::Delete, 0, 0, Fault::Pulled, 6), step(Op::Start),
         step(Op::Bind, 0, 1, Fault::Refusing, 0), step(Op::Delete)},
        // A commit the stick refused after the one before was cut short during a rename wrote
        // its journal over the unfinished one: the renamed file came back as a second row.
        // RC_PARAMS="seed=6267380701711929500"
        {step(Op::Add), step(Op::Bind), step(Op::Bind, 0, 0, Fault::Pulled, 0),
         step(Op::Bind, 0, 1, Fault::Pulled, 19), step(Op::Bind, 0, 0, Fault::Refusing, 14),
         step(Op::Start), Step{Op::Bind, 3, 0, 2, {}, Fault::Refusing, 0},
         step(Op::Bind, 0, 0, Fault::Refusing, 18), step(Op::Bind, 0, 3, Fault::Refusing, 16),
         step(Op::Start)},
        // Power lost after a row was deleted: its file went before the new index file had
        // arrived, and the next start took back the row without its sound.
        {step(Op::Add), step(Op::Bind), step(Op::Delete), Step{Op::Start, 0, 0, 0, {}, {}, 0, 26}},
        // A full stick: the file of a deleted row made room, the index file found none; the
        // next start took the row back, and its commit never copied the sound again.
        {step(Op::Add), step(Op::Bind), Step{Op::Delete, 0, 0, 0, {0}, Fault::Full, 0, 7}},
        // A sound cut short by a pull, and a commit that wrote its planned index file over the
        // pulled one's before its journal failed (full): the old journal looked as not begun,
        // and the next start took the half sound for a row of its own.
        {step(Op::Add), step(Op::Bind, 0, 0, Fault::Pulled, 14),
         step(Op::Volume, 0, 0, Fault::Full)},
        // A sound copied over the file of a row deleted on a stick that refused it; the next
        // commit, refused too, took away the planned index file, and the journal looked as not
        // begun: the old index file named the deleted row's sound for the new bytes.
        // RC_PARAMS="seed=576382866933234189"
        {step(Op::Add), step(Op::Bind, 0, 11), step(Op::Delete, 0, 0, Fault::Refusing, 0),
         step(Op::Add), step(Op::Bind, 0, 11, Fault::Refusing, 17),
         step(Op::Volume, 0, 0, Fault::Refusing, 20), step(Op::Start)},
        // The same with a file renamed for a new binding: its old name came back from the
        // computer and the renamed file as a row of its own, the deleted row's sound twice;
        // deleting both, cut short by a power loss, brought back the wrong one.
        // RC_PARAMS="seed=3694416713349"
        {step(Op::Add), step(Op::Bind), step(Op::Bind, 0, 1, Fault::Refusing, 14),
         step(Op::Delete, 0, 0, Fault::Pulled, 9), step(Op::Start),
         step(Op::Bind, 0, 2, Fault::Pulled, 0), Step{Op::Bind, 3, 0, 0, {}, Fault::Pulled, 0},
         Step{Op::Delete, 0, 0, 0, {1, 0}}},
        // Power lost before the journal went, once the index file had taken effect: the start
        // made a rename again and deleted the sound that had moved, for the one copied after.
        // RC_PARAMS="seed=13109442374472287969"
        {step(Op::Add), step(Op::Bind, 0, 32), step(Op::Delete, 0, 0, Fault::Refusing, 6),
         step(Op::Start), step(Op::Add), step(Op::Bind, 0, 0, Fault::Pulled, 0),
         Step{Op::Bind, 1, 0, 22, {}, Fault::None, 0}},
        // A random row bound anew, so that the one above it was to move down onto its file,
        // then both deleted: the file under the lower number stayed on the stick, unlisted.
        // RC_PARAMS="seed=159043117921162" (power loss among the last four changes)
        {step(Op::Add), step(Op::Add), step(Op::Bind, 1), Step{Op::Bind, 3, 0, 0, {}, {}, 0},
         Step{Op::Delete, 0, 0, 0, {1, 0}, Fault::Pulled, 6}, step(Op::Start), step(Op::Bind, 1),
         step(Op::Add), Step{Op::Bind, 4, 0, 0, {}, Fault::Pulled, 0},
         Step{Op::Delete, 0, 0, 0, {0, 4}, Fault::Pulled, 0}, step(Op::Volume)},
        // A random sound moved down onto the number of a deleted one, cut short; a later
        // commit took away the planned index file: the start listed both sounds under one name.
        // RC_PARAMS="seed=106151188830425" (power loss among the last four changes)
        {step(Op::Add, 1), step(Op::Bind, 1, 31, Fault::Refusing, 0),
         Step{Op::Bind, 3, 1, 3, {}, {}, 0}, step(Op::Delete, 0, 0, Fault::Pulled, 13),
         step(Op::Bind, 0, 0, Fault::Pulled, 19), step(Op::Delete, 0, 0, Fault::Refusing, 10)},
        // Two renames of a chain, the second onto the name the first one freed, reached the
        // medium the other way round: the first file was lost.
        // RC_PARAMS="seed=317451582819602" (power loss among the last four changes)
        {step(Op::Add, 1), step(Op::Bind, 1, 0, Fault::Refusing, 0),
         Step{Op::Bind, 1, 0, 0, {}, {}, 0}, Step{Op::Delete, 0, 0, 0, {0, 3}, Fault::Pulled, 6},
         step(Op::Start), step(Op::Bind, 1), step(Op::Start), step(Op::Add),
         Step{Op::Bind, 4, 0, 0, {}, Fault::Pulled, 12, 2}},
        // A rename cut short before the index file; the next commit's journal replaced that
        // run's and was cut short too, and a third took the planned index file away: the start
        // found the moved file nowhere in its index file and took it as a second row.
        // RC_PARAMS="seed=31322931918168" (power loss among the last four changes)
        {step(Op::Add), step(Op::Bind), step(Op::Bind, 0, 3, Fault::Pulled, 14),
         step(Op::Delete, 0, 0, Fault::Pulled, 15), step(Op::Volume, 0, 0, Fault::Pulled, 18),
         step(Op::Start), Step{Op::Delete, 0, 0, 0, {0, 3}}},
        // A converted sound levelled after a binding the stick refused: the levelled sound went
        // under the new name and the old file stayed, unlisted.
        // RC_PARAMS="seed=4002754763382109762"
        {step(Op::Add), step(Op::Bind, 0, 1), step(Op::Bind, 0, 0, Fault::Pulled, 0),
         step(Op::Level)},
        // A levelled sound was kept after its commit and written again at every later one, and
        // a replacement the stick refused left its temporary file.
        // RC_PARAMS="seed=15851555780054231948"
        {step(Op::Add, 1), step(Op::Bind, 0, 1), step(Op::Level),
         step(Op::Bind, 0, 0, Fault::Refusing, 12), step(Op::Delete)},
        // A converted sound cut short before it arrived: the start listed its row under its own
        // stick file, which nothing could bring back. RC_PARAMS="seed=16399888647755601333"
        {step(Op::Add, 1), Step{Op::Bind, 1, 0, 0, {}}, step(Op::Bind, 0, 1, Fault::Pulled, 10),
         step(Op::Start), Step{Op::Bind, 7, 0, 2, {}, Fault::Pulled, 0}, step(Op::Bind)},
        // A deleted row's own stick file stayed because a random sound was to move to its name;
        // that sound was bound elsewhere before it did. RC_PARAMS="seed=8193668292184890939"
        {step(Op::Add, 1), step(Op::Bind, 1, 0, Fault::Refusing, 0), Step{Op::Bind, 1, 1, 0, {}},
         step(Op::Bind, 0, 0, Fault::Refusing, 0), step(Op::Delete, 0, 0, Fault::Pulled, 0),
         step(Op::Bind)},
        // The stick back at another folder: the index file its start rewrote waited for a flush,
        // the next commit's journal overtook it, and power lost then left a journal the start
        // took for another index file's. RC_PARAMS="seed=1035461110558480496"
        {step(Op::Add, 1), step(Op::Bind, 0, 1), Step{Op::Bind, 3, 0, 2, {}},
         Step{Op::Level, 0, 0, 0, {3}}, step(Op::Start, 1),
         Step{Op::Bind, 0, 0, 0, {}, Fault::Pulled, 10, 243}},
        // A row lacking its sound, bound to the name another row's file was about to leave:
        // the commit took that file for the row's sound, and then moved it away.
        // RC_PARAMS="seed=7915720658989180228"
        {step(Op::Add, 1, 32), step(Op::Volume), Step{Op::Bind, 1, 0, 0, {}, Fault::Refusing, 9},
         step(Op::Start, 1), step(Op::Add, 0, 0, Fault::Pulled, 0), Step{Op::Bind, 1, 0, 32, {}},
         Step{Op::Bind, 1, 0, 3, {}, Fault::Refusing, 0}, step(Op::Bind, 0, 2)},
        // A levelled sound bound anew on a stick that refused it before the sound arrived: the
        // start finished the change without the sound and deleted the row's old file; so it did
        // when the change also moved another row's file. RC_PARAMS="seed=11033815903588745412"
        // and RC_PARAMS="seed=1035461110558480496"
        {step(Op::Add, 0, 1), step(Op::Bind), Step{Op::Level, 0, 0, 0, {0}, Fault::Pulled, 13},
         step(Op::Bind, 0, 1, Fault::Refusing, 21)},
        {step(Op::Add), step(Op::Bind), step(Op::Add, 2),
         Step{Op::Bind, 10, 0, 1, {}, Fault::Pulled, 11}, step(Op::Start), step(Op::Add, 2),
         Step{Op::Bind, 2, 0, 2, {}}, Step{Op::Level, 0, 0, 0, {1, 0, 7}, Fault::Refusing, 23},
         Step{Op::Bind, 1, 1, 0, {}, Fault::Refusing, 0}, step(Op::Bind, 0, 3, Fault::Pulled, 21)},
        // A chain of renames cut short with the stick at another folder: the start finished
        // it there, but the index file kept naming each moved sound at the first folder under
        // its old name. Back there, that path named the other sound.
        // RC_PARAMS="seed=7826157172243901380"
        {step(Op::Add), step(Op::Add), Step{Op::Bind, 3, 1, 0, {}}, step(Op::Bind, 1),
         Step{Op::Bind, 3, 0, 0, {}, Fault::Refusing, 9},
         Step{Op::Delete, 0, 0, 0, {}, Fault::Pulled, 15}, step(Op::Start, 1), step(Op::Start, 1)},
        // An index file whose flush failed with the stick pulled: the next commit took it as
        // flushed, and power lost then left that commit's journal beside the index file before,
        // which the start could not place and left on the stick.
        // RC_PARAMS="seed=7826157172243901380"
        {step(Op::Add), step(Op::Bind), step(Op::Add, 1), Step{Op::Bind, 1, 0, 1, {}},
         step(Op::Volume, 0, 0, Fault::Pulled), Step{Op::Delete, 0, 0, 0, {}, Fault::Pulled, 29},
         Step{Op::Delete, 0, 0, 0, {2, 0, 1}, Fault::Pulled, 14}, step(Op::Add, 1),
         Step{Op::Bind, 1, 0, 0, {}, Fault::Pulled, 14},
         Step{Op::Bind, 0, 0, 1, {}, Fault::Refusing, 0, 114}},
        // A converted sound written under the name a random sound had just moved away from,
        // then power lost: the start took the new file for the one still to move, and moved it
        // over the one that had. RC_PARAMS="seed=8643475028489837430"
        {step(Op::Add), step(Op::Bind, 1, 63), step(Op::Bind, 0, 0, Fault::Refusing), step(Op::Add),
         Step{Op::Bind, 3, 1, 15, {}, Fault::Refusing, 21}},
        // A journal that replaced an unfinished one took its name before its bytes had
        // arrived; power lost, the start read it as cut short and left the moves the earlier
        // one had made unlisted. RC_PARAMS="seed=2787548966974389971"
        {step(Op::Add, 2, 2), Step{Op::Bind, 10, 0, 0, {}}, step(Op::Bind, 1, 0, Fault::Refusing),
         Step{Op::Bind, 5, 0, 1, {}}, Step{Op::Bind, 4, 1, 0, {}, Fault::Pulled, 11},
         step(Op::Start), step(Op::Add), Step{Op::Bind, 11, 0, 0, {}},
         step(Op::Bind, 2, 0, Fault::Refusing, 18), step(Op::Bind, 0, 2, Fault::Refusing),
         Step{Op::Level, 0, 0, 0, {0}, Fault::Pulled, 29}},
        // The same levelled sound lost, on a stick where an earlier run had moved the row's
        // file: the start looked for the deleted file under its name before that move.
        // RC_PARAMS="seed=17184484228999673877"
        {step(Op::Add, 1), Step{Op::Bind, 3, 0, 0, {}}, step(Op::Start),
         step(Op::Bind, 0, 1, Fault::Refusing), Step{Op::Level, 0, 0, 0, {0}, Fault::Refusing, 21},
         step(Op::Bind, 0, 0, Fault::Pulled, 22)},
        // A parked file that the next commit deleted, and then its journal: power lost, the
        // journal's deletion arrived and the file's did not, and nothing named it any more.
        // RC_PARAMS="seed=989121090650145114"
        {step(Op::Add, 1), step(Op::Bind, 1), Step{Op::Bind, 1, 1, 0, {}},
         step(Op::Bind, 0, 0, Fault::Refusing, 11), Step{Op::Delete, 0, 0, 0, {0}, {}, 0, 45}},
        // The index file a start rewrote had not reached the medium when the program started
        // again; that run's first journal overtook it, and power lost then left a journal the
        // next start took for another index file's. RC_PARAMS="seed=3931181300924948416"
        {step(Op::Add, 1, 44), Step{Op::Bind, 3, 0, 0, {}}, step(Op::Start, 1), step(Op::Start),
         Step{Op::Bind, 0, 0, 1, {}, Fault::Pulled, 8, 45}},
        // A converted sound that never arrived, and the stick back at another folder: the start
        // did not know the planned line for the row's own stick file there, kept it, and the
        // row stayed bound to a sound it had nowhere. RC_PARAMS="seed=15299822382596873390"
        {step(Op::Add), step(Op::Bind, 1), step(Op::Add),
         Step{Op::Bind, 1, 1, 0, {}, Fault::Refusing, 10}, step(Op::Start, 1),
         step(Op::Bind, 0, 0, Fault::Refusing)},
        // The same with a sound copied from the computer under the name a random sound had just
        // left: that random sound, held nowhere else, was lost.
        // RC_PARAMS="seed=18256596208210644956"
        {step(Op::Add, 1, 8), Step{Op::Bind, 7, 1, 3, {}}, step(Op::Start), step(Op::Add, 0, 1),
         step(Op::Bind, 0, 0, Fault::Pulled), Step{Op::Bind, 3, 1, 15, {}, Fault::Refusing, 23}},
        // A random row bound anew twice while the stick was gone, then deleted: the file under
        // the name its sound was to move to must go with it, or it stays unlisted and plays.
        {step(Op::Add), step(Op::Bind, 1), step(Op::Bind, 0, 0, Fault::Pulled),
         step(Op::Bind, 1, 0, Fault::Pulled), step(Op::Delete)},
        // A deleted random row's file made room for the one above it moving down; power lost,
        // the deletion arrived after the rename and took the moved sound with it.
        // RC_PARAMS="seed=16061936420411426720"
        {step(Op::Add, 1), step(Op::Bind, 1), step(Op::Add, 2, 65), Step{Op::Bind, 8, 1, 0, {}},
         step(Op::Start), Step{Op::Delete, 0, 0, 0, {0}, Fault::Pulled, 12, 491}},
        // A deletion refused after a rename had parked the row's file: its journal was to
        // delete the parked file with the row. Its planned index file gone, the start dropped
        // the journal as not begun, and the index file in effect named a file only the
        // parking name held.
        // RC_PARAMS="seed=7142249167220213285"
        {Step{Op::Add, 0, 0, 0, {}, Fault::Pulled, 0},
         Step{Op::Bind, 0, 1, 3, {}, Fault::Refusing, 0}, Step{Op::Volume, 0, 0, 0, {}},
         Step{Op::Add, 0, 0, 0, {}}, Step{Op::Bind, 1, 1, 31, {}, Fault::Refusing, 0},
         Step{Op::Bind, 0, 0, 0, {}, Fault::Refusing, 18},
         Step{Op::Delete, 0, 0, 0, {0, 3}, Fault::Refusing, 18}, Step{Op::Add, 0, 0, 0, {}},
         Step{Op::Bind, 0, 0, 0, {}, Fault::Pulled, 15}},
        // A levelled random sound bound to a turnout while the stick refused writes: its copy
        // under the new name never arrived. The start carried out the rest without it, and
        // the random sound above moved down over the only file that held the levelled sound.
        // RC_PARAMS="seed=17773872015456795739"
        {Step{Op::Add, 0, 1, 1, {}}, Step{Op::Bind, 0, 1, 0, {}, Fault::Refusing, 0},
         Step{Op::Bind, 7, 1, 0, {}, Fault::Refusing, 0},
         Step{Op::Commit, 0, 0, 0, {}, Fault::Pulled, 0},
         Step{Op::Level, 0, 0, 0, {1, 0}, Fault::Pulled, 23},
         Step{Op::Bind, 0, 0, 0, {}, Fault::Refusing, 18}},
    };
    for (const auto& steps : found) {
        try {
            runSteps(steps);
        } catch (const rc::detail::CaseResult& result) {
            ADD_FAILURE() << result.description;
        }
    }
}

} // namespace
} // namespace tonarion
