#include "cli/CliCommands.h"

#include "BashCompletion.h"
#include "TonarionVersion.h"
#include "cli/CliArguments.h"
#include "cli/CliHelp.h"
#include "cli/CliUserInterface.h"
#include "cli/JsonWriter.h"
#include "cli/UnwrittenFiles.h"
#include "event/EventForm.h"
#include "event/EventOptions.h"
#include "model/EntryName.h"
#include "model/Trimmed.h"
#include "model/WholeNumber.h"
#include "settings/SettingEntry.h"
#include "storage/platform/SystemPlatform.h"
#include "workspace/SoundList.h"
#include "workspace/StickWorkspace.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>

namespace tonarion {
namespace {

constexpr int Success = 0;
constexpr int Refused = 1;
constexpr int UsageFailure = 2;

// The absolute form of a path typed on the command line. std::filesystem reads and writes a
// std::string in the system's narrow code page, which on Windows is not UTF-8 and lacks most
// letters; char8_t text is UTF-8 on every system.
std::string absolutePath(const std::string& utf8) {
    const std::u8string path =
        std::filesystem::absolute(std::u8string(utf8.begin(), utf8.end())).u8string();
    return std::string(path.begin(), path.end());
}

// How a row's sound stands on the stick.
class CommandRunner {
public:
    CommandRunner(const CliArguments& arguments, CliEnvironment& environment)
        : m_args(arguments)
        , m_env(environment)
        , m_ui(environment.err)
        , m_preview(environment.files) {}

    int run();

private:
    int drives();
    int init();
    int show();
    int exportList();
    int bind();
    int deleteRows();
    int settings();
    int verify();
    int repair();
    int completion();
    int check();

    // Points a fresh session at STICK and loads it through files; false after telling why. A
    // stick whose index file was lost but whose sounds are still there is taken over as the
    // drive dialog does.
    bool loadStick(FileOperations& files);
    // Loads without writing; says on stderr when loading would have repaired the stick.
    bool loadForReading();
    // Loads without writing and without a word, to check a command line against the table
    // before the command changes anything.
    bool lookAtStick();
    // The closing commit of the main window; Refused when the stick did not take it.
    int closeAndCommit();

    const SoundTable& table() const { return m_workspace->table(); }
    int rowNumber(const std::string& text, const std::string& what);
    void writeJson(const std::vector<StickProblem>* found,
                   const std::vector<StickProblem>* warnings = nullptr);

    const CliArguments& m_args;
    CliEnvironment& m_env;
    CliUserInterface m_ui;
    UnwrittenFiles m_preview;
    std::unique_ptr<Session> m_session;
    std::unique_ptr<StickWorkspace> m_workspace;
};

int CommandRunner::run() {
    using Command = int (CommandRunner::*)();
    static const std::map<std::string, Command> commands = {
        {"drives", &CommandRunner::drives},
        {"init", &CommandRunner::init},
        {"show", &CommandRunner::show},
        // The list for paper, as a spreadsheet.
        {"export", &CommandRunner::exportList},
        {"bind", &CommandRunner::bind},
        {"delete", &CommandRunner::deleteRows},
        {"settings", &CommandRunner::settings},
        {"verify", &CommandRunner::verify},
        {"repair", &CommandRunner::repair},
        {"completion", &CommandRunner::completion},
        {"check", &CommandRunner::check},
    };
    const auto found = commands.find(m_args.command);
    if (found == commands.end()) {
        throw UsageError(m_args.command.empty() ? "no command given"
                                                : "unknown command '" + m_args.command + "'");
    }
    return (this->*found->second)();
}

bool CommandRunner::loadStick(FileOperations& files) {
    m_workspace.reset();
    m_session = std::make_unique<Session>();
    m_workspace = std::make_unique<StickWorkspace>(*m_session, files, m_ui);
    switch (m_workspace->openExistingStick(m_args.positional.at(0))) {
    case StickWorkspace::ExistingStick::Opened:
        break;
    case StickWorkspace::ExistingStick::NoIndexFile:
        m_env.err << "No index file " << IndexFileName << " in " << m_workspace->stickRoot()
                  << "; 'tonarion-cli init' creates one.\n";
        return false;
    case StickWorkspace::ExistingStick::Refused:
        return false;
    }
    m_workspace->setSoundInspector(&m_env.sounds);
    return m_workspace->load(m_env.programFolder) == IndexReadResult::Read;
}

bool CommandRunner::loadForReading() {
    if (!loadStick(m_preview)) {
        return false;
    }
    if (m_workspace->isStickLockedByAnother()) {
        m_env.err << "tonarion-cli: another Tonarion window or tonarion-cli works on the stick "
                     "right now; this shows the stick as it stood when read.\n";
    }
    if (m_preview.wouldHaveWritten()) {
        m_env.err << "tonarion-cli: the stick needs a repair, shown here but not stored; the "
                     "next writing command, or 'tonarion-cli repair', stores it.\n";
    }
    return true;
}

bool CommandRunner::lookAtStick() {
    m_ui.setSilent(true);
    const bool loaded = loadStick(m_preview);
    m_ui.setSilent(false);
    // Once more, to tell why; still without writing.
    return loaded || loadStick(m_preview);
}

int CommandRunner::closeAndCommit() {
    const CommitResult result = m_workspace->commit();
    return result == CommitResult::Written || result == CommitResult::NothingToDo ? Success
                                                                                  : Refused;
}

int CommandRunner::rowNumber(const std::string& text, const std::string& what) {
    if (table().entryCount() == 0) {
        throw UsageError("the table has no rows; " + what + " '" + text + "' names none");
    }
    return wholeNumber(text, 1, table().entryCount(), what);
}

int CommandRunner::drives() {
    m_args.expect(0, 0, {});
    const auto list = FindUsbDrives(m_env.drives, m_ui);
    if (!list) {
        return Refused;
    }
    for (const auto& entry : *list) {
        m_env.out << entry << '\n';
    }
    return Success;
}

int CommandRunner::init() {
    m_args.expect(1, 1, {});
    Session session;
    return StickWorkspace(session, m_env.files, m_ui).openFolder(m_args.positional[0]) ? Success
                                                                                       : Refused;
}

int CommandRunner::show() {
    m_args.expect(1, 1, {}, {"--json"});
    if (!loadForReading()) {
        return Refused;
    }
    if (m_args.has("--json")) {
        writeJson(nullptr);
        return Success;
    }
    std::ostream& out = m_env.out;
    for (int column = 0; column < ColumnCount; ++column) {
        out << (column ? "\t" : "") << trimmed(ColumnHeaders[static_cast<std::size_t>(column)]);
    }
    out << '\n';
    for (int row = 1; row < table().nextRow(); ++row) {
        for (int column = 0; column < ColumnCount; ++column) {
            out << (column ? "\t" : "") << table().cellText(row, static_cast<Column>(column));
        }
        out << '\n';
    }
    out << '\n' << withPlainNewlines(m_workspace->counterReport()) << "\n\n";
    for (const Setting setting : AllSettings) {
        out << m_workspace->currentSettings()[setting] << '\n';
    }
    return Success;
}

int CommandRunner::exportList() {
    m_args.expect(1, 1, {"--csv"});
    const auto file = m_args.option("--csv");
    if (!file) {
        throw UsageError("export needs --csv FILE");
    }
    if (!loadForReading()) {
        return Refused;
    }
    const FileResult written =
        m_env.files.writeFile(absolutePath(*file), soundListCsv(m_workspace->soundList()));
    if (written.failed()) {
        m_env.err << "tonarion-cli: " << *file << ": " << written.error().message() << '\n';
        return Refused;
    }
    return Success;
}

int CommandRunner::bind() {
    m_args.expect(1, 1, BindOptions);
    const auto file = m_args.option("--file");
    const auto row = m_args.option("--row");
    if (file.has_value() == row.has_value()) {
        throw UsageError("bind needs either --file PATH or --row NR");
    }
    if (!lookAtStick()) {
        return Refused;
    }
    int editRow = table().nextRow();
    EventSelection selection;
    if (file) {
        selection = selectionFromOptions(m_args);
        m_ui.setSilent(true);
        const int dropped = m_workspace->dropFiles(std::vector<std::string>{absolutePath(*file)});
        m_ui.setSilent(false);
        if (dropped != 1) {
            editRow = 0; // the drop below tells why
        }
    } else {
        editRow = rowNumber(*row, "--row");
        const SoundEntry& entry = table().row(editRow);
        // The event dialog opens only for a row that holds a sound file.
        if (!m_workspace->canBind(editRow)) {
            throw UsageError("row " + std::to_string(editRow) + " holds no sound file");
        }
        // The dialog opens with the row's choices; what the command line names replaces them.
        // The command line reads them from the name itself, whatever the Ereigniss cell shows.
        EventForm form(entry.entryName, true);
        form.setLayoutfrmAktion();
        chooseFromOptions(m_args, form);
        selection = form.selection();
    }
    if (editRow > 0) {
        const char oldKind = kindOf(table().row(editRow).entryName);
        if (!m_workspace->compose(editRow, selection)) {
            // The composition has told why, in the dialog's words. A full kind is the stick's
            // limit; anything else is a choice missing from the command line.
            const auto kind = KindOptions[static_cast<std::size_t>(*selection.selEreignis)].letter;
            const auto group = groupOfKind(kind);
            return group && m_workspace->counters().wouldExceed(*group, oldKind) ? Refused
                                                                                 : UsageFailure;
        }
    }

    if (!loadStick(m_env.files)) {
        return Refused;
    }
    if (file) {
        if (m_workspace->dropFiles(std::vector<std::string>{absolutePath(*file)}) != 1) {
            return Refused;
        }
        editRow = table().nextRow() - 1;
    }
    const auto name = m_workspace->bind(editRow, selection);
    // The bind commits at once; what it could not store, the closing commit tries again.
    if (!name || closeAndCommit() != Success || !m_workspace->stickHolds(*name)) {
        return Refused;
    }
    m_env.out << *name << '\n';
    return Success;
}

int CommandRunner::deleteRows() {
    m_args.expect(2, std::size_t(-1), {});
    if (!lookAtStick()) {
        return Refused;
    }
    std::vector<int> rows;
    for (auto word = m_args.positional.begin() + 1; word != m_args.positional.end(); ++word) {
        const int row = rowNumber(*word, "NR");
        if (std::find(rows.begin(), rows.end(), row) != rows.end()) {
            throw UsageError("row " + *word + " given twice");
        }
        rows.push_back(row);
    }
    if (!loadStick(m_env.files)) {
        return Refused;
    }
    m_workspace->deleteRows(rows);
    return closeAndCommit();
}

int CommandRunner::settings() {
    m_args.expect(1, 1, SettingsOptions);
    const RequestedSettings wanted = requestedSettings(m_args);
    if (!wanted.any()) {
        if (!loadForReading()) {
            return Refused;
        }
        SettingsForm form = m_workspace->openSettings();
        const SettingsDisplay shown = form.setFormLayout();
        const auto value = [](const std::optional<int>& number) {
            return number ? std::to_string(*number) : std::string("-");
        };
        m_env.out << settingCaption(Setting::Volume) << ": " << value(shown.volume) << '\n'
                  << settingCaption(Setting::ModelTime) << ": " << value(shown.modelTime)
                  << " Sekunden\n"
                  << settingCaption(Setting::StartTime) << ": "
                  << (shown.startTime ? quarterHourText(*shown.startTime) : "-") << '\n'
                  << settingCaption(Setting::Stretch) << ": " << value(shown.stretch) << '\n'
                  << settingCaption(Setting::ClockSync) << ": "
                  << (shown.clockSync ? (*shown.clockSync ? "Ein" : "Aus") : "-") << '\n'
                  << settingCaption(Setting::EndlessAddress) << ": " << value(shown.endlessAddress)
                  << '\n';
        return Success;
    }
    if (!loadStick(m_env.files)) {
        return Refused;
    }
    SettingsForm form = m_workspace->openSettings();
    form.setFormLayout();
    // Each value given goes into its control as the dialog would take it, in the dialog's order.
    const auto enter = [&form](const auto& value, auto control) {
        if (value) {
            (form.*control)(*value);
        }
    };
    enter(wanted.volume, &SettingsForm::volumeChanged);
    enter(wanted.modelTime, &SettingsForm::modelTimeChanged);
    enter(wanted.startTime, &SettingsForm::startTimeChosen);
    enter(wanted.stretch, &SettingsForm::stretchChanged);
    enter(wanted.clockSync, &SettingsForm::clockSyncChosen);
    enter(wanted.endlessAddress, &SettingsForm::endlessAddressChanged);
    // Asking for new values is the answer to the dialog's save question.
    m_ui.setQuestionAnswer(MessageAnswer::Yes);
    m_workspace->closeSettings(form);
    return closeAndCommit();
}

int CommandRunner::verify() {
    m_args.expect(1, 1, {}, {"--json"});
    if (!loadForReading()) {
        return Refused;
    }
    // The file system and the free space are told, but a stick that is what its index says
    // passes all the same.
    std::vector<StickProblem> found = m_workspace->verify(m_env.files);
    std::vector<StickProblem> warnings;
    std::erase_if(found, [&warnings](const StickProblem& problem) {
        if (problem.isAboutMedium()) {
            warnings.push_back(problem);
        }
        return problem.isAboutMedium();
    });
    if (m_args.has("--json")) {
        writeJson(&found, &warnings);
        return found.empty() ? Success : Refused;
    }
    int listed = 0;
    int missing = 0;
    for (const SoundEntry& entry : table().entries()) {
        listed += entry.isBound() ? 1 : 0;
    }
    for (const Setting setting : AllSettings) {
        listed += m_workspace->currentSettings()[setting].empty() ? 0 : 1;
    }
    for (const StickProblem& problem : found) {
        m_env.out << problemWord(problem.kind) << ": " << problem.file
                  << (problem.folder ? "/" : "") << '\n';
        if (problem.isLacking()) {
            ++missing;
        }
    }
    for (const StickProblem& warning : warnings) {
        m_env.out << problemWord(warning.kind) << ": ";
        if (warning.kind == ProblemKind::NotEnoughSpace) {
            m_env.out << warning.neededBytes << " bytes needed, " << warning.freeBytes
                      << " bytes free\n";
        } else {
            m_env.out << warning.file << '\n';
        }
    }
    m_env.out << (found.empty() ? "OK" : "FAILED") << ": " << listed - missing << " of " << listed
              << " files on the stick";
    // Every line above is counted: the medium's findings as warnings.
    if (!found.empty()) {
        m_env.out << ", " << found.size() << (found.size() == 1 ? " problem" : " problems");
    }
    if (!warnings.empty()) {
        m_env.out << ", " << warnings.size() << (warnings.size() == 1 ? " warning" : " warnings");
    }
    m_env.out << '\n';
    return found.empty() ? Success : Refused;
}

void CommandRunner::writeJson(const std::vector<StickProblem>* found,
                              const std::vector<StickProblem>* warnings) {
    JsonWriter json(m_env.out);
    json.beginObject().key("stick").value(m_workspace->stickRoot());
    json.key("rows").beginArray();
    static const char* const keys[] = {"nr",   "filename", "source",   "event",   "status",
                                       "mode", "priority", "address1", "address2"};
    for (int row = 1; row < table().nextRow(); ++row) {
        const SoundEntry& entry = table().row(row);
        json.beginObject();
        for (int column = 0; column < ColumnCount; ++column) {
            json.key(keys[column]).value(table().cellText(row, static_cast<Column>(column)));
        }
        if (entry.isBound()) {
            const EntryNameParts parts = parseEntryName(entry.entryName);
            const SoundState state = m_workspace->soundState(entry);
            json.key("kind").value(std::string_view(&parts.kind, 1));
            const auto number = [&json](const std::string& digits) {
                if (const auto value = wholeNumber(digits)) {
                    json.value(*value);
                } else {
                    json.null();
                }
            };
            json.key("number1");
            number(parts.number1);
            json.key("number2");
            number(parts.number2);
            json.key("onStick").value(state.present);
            json.key("current").value(state.present && !state.changed);
            json.key("sourceFound").value(state.sourceFound);
        } else {
            json.key("kind").null();
        }
        // Read from the headers only: decoding every sound of a stick would take minutes.
        const std::string sound = m_workspace->soundFileOf(entry);
        const auto glanced = entry.sourcePath.empty() ? std::nullopt : m_env.sounds.glance(sound);
        if (glanced) {
            json.key("format").value(formatText(*glanced));
            json.key("milliseconds").value(static_cast<long long>(glanced->seconds * 1000 + 0.5));
        } else {
            json.key("format").null().key("milliseconds").null();
        }
        json.endObject();
    }
    json.endArray();
    const KindCounters& counters = m_workspace->counters();
    json.key("counters")
        .beginObject()
        .key("cntMRL")
        .value(counters.cntMRL())
        .key("cntKontakt")
        .value(counters.cntKontakt())
        .key("cntZufall")
        .value(counters.cntZufall())
        .key("cntZeit")
        .value(counters.cntZeit())
        .key("cntEndlos")
        .value(counters.cntEndlos())
        .key("total")
        .value(counters.total())
        .key("nextRow")
        .value(table().nextRow())
        .endObject();
    json.key("settings").beginArray();
    for (const Setting setting : AllSettings) {
        const std::string& name = m_workspace->currentSettings()[setting];
        json.beginObject().key("number").value(settingNumber(setting));
        json.key("label").value(settingCaption(setting)).key("name").value(name);
        json.key("value");
        if (const auto value = displayValue(setting, name)) {
            json.value(*value);
        } else {
            json.null();
        }
        json.endObject();
    }
    json.endArray();
    if (found) {
        json.key("ok").value(found->empty());
        json.key("problems").beginArray();
        const auto write = [&json](const StickProblem& problem) {
            json.beginObject().key("kind").value(problemWord(problem.kind));
            json.key("file").value(problem.file).key("folder").value(problem.folder);
            json.key("removable").value(problem.removable);
            if (problem.kind == ProblemKind::NotEnoughSpace) {
                json.key("neededBytes").value(static_cast<long long>(problem.neededBytes));
                json.key("freeBytes").value(static_cast<long long>(problem.freeBytes));
            }
            json.endObject();
        };
        for (const StickProblem& problem : *found) {
            write(problem);
        }
        json.endArray();
        if (warnings) {
            json.key("warnings").beginArray();
            for (const StickProblem& warning : *warnings) {
                write(warning);
            }
            json.endArray();
        }
    }
    json.endObject();
    m_env.out << '\n';
}

int CommandRunner::repair() {
    m_args.expect(1, 1, {});
    const bool looked = lookAtStick();
    const bool needed = looked && m_preview.wouldHaveWritten();
    if (!loadStick(m_env.files)) {
        return Refused;
    }
    const bool mended = m_workspace->takeUpRepairs();
    const int committed = closeAndCommit();
    if (committed == Success) {
        m_env.out << (needed || mended ? "repaired" : "nothing to repair") << '\n';
    }
    return committed;
}

int CommandRunner::completion() {
    m_args.expect(1, 1, {});
    if (m_args.positional[0] != "bash") {
        throw UsageError("completion is there for bash only");
    }
    m_env.out << BashCompletionScript;
    return Success;
}

void writeFindingsJson(JsonWriter& json, const std::string& file, const SoundFindings& found) {
    static const char* const versions[] = {"1", "2", "2.5"};
    json.beginObject().key("file").value(file);
    json.key("checked").value(found.checked).key("valid");
    if (found.checked) {
        json.value(found.valid());
    } else {
        json.null();
    }
    json.key("mpegAudio").value(found.mpegAudio).key("decodedToEnd").value(found.decodedToEnd);
    json.key("format").value(formatText(found));
    if (found.mpegAudio) {
        json.key("mpegVersion").value(versions[static_cast<int>(found.version)]);
        json.key("layer")
            .value(found.layer)
            .key("sampleRate")
            .value(static_cast<long long>(found.sampleRate));
        json.key("bitrate")
            .value(found.bitrate)
            .key("variableBitrate")
            .value(found.variableBitrate);
        json.key("channels").value(found.channels);
        json.key("milliseconds").value(static_cast<long long>(found.seconds * 1000 + 0.5));
    }
    json.key("id3v2Size").value(static_cast<long long>(found.id3v2Size));
    json.key("embedsPictures").value(found.embedsPictures);
    json.key("hints").beginArray();
    for (const auto& hint : soundHints(found)) {
        json.value(hint);
    }
    json.endArray().endObject();
}

int CommandRunner::check() {
    m_args.expect(1, std::size_t(-1), {}, {"--json"});
    bool allValid = true;
    std::vector<SoundFindings> findings;
    for (const auto& file : m_args.positional) {
        findings.push_back(m_env.sounds.inspect(file));
        allValid = allValid && !findings.back().invalid();
    }
    if (m_args.has("--json")) {
        JsonWriter json(m_env.out);
        json.beginObject().key("ok").value(allValid).key("files").beginArray();
        for (std::size_t i = 0; i < findings.size(); ++i) {
            writeFindingsJson(json, m_args.positional[i], findings[i]);
        }
        json.endArray().endObject();
        m_env.out << '\n';
        return allValid ? Success : Refused;
    }
    for (std::size_t i = 0; i < findings.size(); ++i) {
        const SoundFindings& found = findings[i];
        m_env.out << m_args.positional[i] << ": "
                  << (!found.checked  ? "NOT CHECKED"
                      : found.valid() ? "OK"
                                      : "NOT VALID")
                  << ", " << formatText(found);
        if (found.id3v2Size > 0) {
            m_env.out << ", ID3v2 " << found.id3v2Size << " bytes";
        }
        m_env.out << '\n';
        for (const auto& hint : soundHints(found)) {
            m_env.out << "    " << hint << '\n';
        }
    }
    return allValid ? Success : Refused;
}

} // namespace

int runCli(const std::vector<std::string>& words, CliEnvironment& environment) {
    try {
        const CliArguments arguments = CliArguments::parse(words);
        const bool help = arguments.has("--help") || arguments.has("-h");
        if (words.empty()) {
            environment.err << usageText();
            return UsageFailure;
        }
        if (arguments.command.empty() && arguments.has("--version") && words.size() == 1) {
            environment.out << "tonarion-cli " << TonarionVersion << '\n';
            return Success;
        }
        if (arguments.command == "help" || (arguments.command.empty() && help)) {
            if (arguments.positional.empty()) {
                environment.out << helpText();
                return Success;
            }
            const auto text = commandHelp(arguments.positional[0]);
            if (!text || arguments.positional.size() > 1) {
                throw UsageError("'help' takes one command");
            }
            environment.out << *text;
            return Success;
        }
        if (help) {
            const auto text = commandHelp(arguments.command);
            if (!text) {
                throw UsageError("unknown command '" + arguments.command + "'");
            }
            environment.out << *text;
            return Success;
        }
        return CommandRunner(arguments, environment).run();
    } catch (const RefusedValue& refused) {
        environment.err << withPlainNewlines(refused.what()) << '\n';
        return UsageFailure;
    } catch (const UsageError& error) {
        environment.err << "tonarion-cli: " << error.what() << "\nSee 'tonarion-cli --help'.\n";
        return UsageFailure;
    }
}

} // namespace tonarion
