#include "cli/CliCommand.h"

#include "model/EntryName.h"
#include "model/WholeNumber.h"
#include "settings/SettingEntry.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <nlohmann/json.hpp>

namespace tonarion {

int exitStatusOf(const Outcome& outcome) {
    if (outcome) {
        return Success;
    }
    return outcome.reason == OutcomeReason::ChoiceMissing ? UsageFailure : Refused;
}

int wholeNumber(const std::string& text, int lowest, int highest, const std::string& what) {
    const auto value = wholeNumber(text);
    if (!value || *value < lowest || *value > highest) {
        throw UsageError(what + " must be a number from " + std::to_string(lowest) + " to " +
                         std::to_string(highest) + ", not '" + text + "'");
    }
    return *value;
}

std::string absolutePath(const std::string& utf8) {
    const std::u8string path =
        std::filesystem::absolute(std::u8string(utf8.begin(), utf8.end())).u8string();
    return std::string(path.begin(), path.end());
}

CliCommand::CliCommand(CLI::App& program, CliEnvironment& environment, const CommandTexts& texts,
                       std::size_t fewestArguments, std::size_t mostArguments)
    : m_env(environment)
    , m_texts(texts)
    , m_app(*program.add_subcommand(texts.name, texts.summary))
    , m_fewest(fewestArguments)
    , m_most(mostArguments) {
    m_app.add_option("arguments", m_arguments);
    flag("--help,-h");
}

bool CliCommand::given() const {
    return m_app.parsed();
}

bool CliCommand::helpAsked() const {
    return has("--help");
}

void CliCommand::checkArguments() const {
    givenOptions();
    if (m_arguments.size() < m_fewest || m_arguments.size() > m_most) {
        const std::string count =
            m_fewest == m_most ? std::to_string(m_fewest) : std::to_string(m_fewest) + " or more";
        throw UsageError("'" + std::string(m_texts.name) + "' takes " + count + " argument(s)");
    }
}

void CliCommand::option(const std::string& name, const std::string& valueText,
                        const std::string& description, const std::string& group) {
    CLI::Option* declared = m_app.add_option(name, m_values[name], description);
    // An option given twice is refused below, with the other usage errors.
    declared->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    m_options[name] = declared->type_name(valueText)->group(group.empty() ? "Options" : group);
}

void CliCommand::flag(const std::string& name) {
    CLI::Option* declared = m_app.add_flag(name);
    m_options[declared->get_name()] = declared;
}

std::optional<std::string> CliCommand::value(const std::string& name) const {
    const auto found = m_values.find(name);
    if (found == m_values.end() || m_options.at(name)->count() == 0) {
        return std::nullopt;
    }
    return found->second;
}

bool CliCommand::has(const std::string& flag) const {
    return m_options.at(flag)->count() > 0;
}

std::vector<std::string> CliCommand::givenOptions() const {
    std::vector<std::string> given;
    for (const auto& [name, declared] : m_options) {
        if (declared->count() > 1) {
            throw UsageError("option " + name + " given twice");
        }
        if (declared->count() == 1) {
            given.push_back(name);
        }
    }
    return given;
}

StickCommand::StickCommand(CLI::App& program, CliEnvironment& environment,
                           const CommandTexts& texts, std::size_t fewestArguments,
                           std::size_t mostArguments)
    : CliCommand(program, environment, texts, fewestArguments, mostArguments)
    , m_ui(environment.err)
    , m_preview(environment.files) {}

Outcome StickCommand::openAndLoad(FileOperations& files) {
    m_workspace.reset();
    m_session = std::make_unique<Session>();
    m_workspace = std::make_unique<StickWorkspace>(*m_session, files, m_ui);
    if (Outcome opened = m_workspace->openExistingStick(stick()); !opened) {
        return opened;
    }
    m_workspace->setSoundInspector(&m_env.sounds);
    m_workspace->setSoundConverter(m_converter);
    return m_workspace->loadStick(m_env.programFolder);
}

bool StickCommand::told(const Outcome& outcome) {
    if (outcome.reason == OutcomeReason::NoIndexFile) {
        m_env.err << "No index file " << IndexFileName << " in " << m_workspace->stickRoot()
                  << "; 'tonarion-cli init' creates one.\n";
    }
    tellOutcome(m_ui, outcome);
    return static_cast<bool>(outcome);
}

bool StickCommand::loadStick(FileOperations& files) {
    return told(openAndLoad(files));
}

bool StickCommand::loadForReading() {
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

bool StickCommand::lookAtStick() {
    m_ui.setSilent(true);
    const Outcome looked = openAndLoad(m_preview);
    m_ui.setSilent(false);
    return told(looked);
}

int StickCommand::closeAndCommit() {
    const Outcome committed = m_workspace->commit();
    tellOutcome(m_ui, committed);
    return committed ? Success : Refused;
}

int StickCommand::rowNumber(const std::string& text, const std::string& what) const {
    if (table().entryCount() == 0) {
        throw UsageError("the table has no rows; " + what + " '" + text + "' names none");
    }
    return wholeNumber(text, 1, table().entryCount(), what);
}

namespace {

using Json = nlohmann::ordered_json;

// One line; bytes that are not UTF-8 (a file name from a stick written elsewhere) become
// U+FFFD, so that the document always parses.
void writeLine(std::ostream& out, const Json& document) {
    out << document.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n';
}

Json wholeNumberOrNull(const std::string& digits) {
    const auto value = wholeNumber(digits);
    return value ? Json(*value) : Json(nullptr);
}

long long milliseconds(double seconds) {
    return static_cast<long long>(seconds * 1000 + 0.5);
}

Json rowJson(const StickWorkspace& workspace, SoundInspector& sounds, int row) {
    static const char* const keys[] = {"nr",   "filename", "source",   "event",   "status",
                                       "mode", "priority", "address1", "address2"};
    const SoundTable& table = workspace.table();
    const SoundEntry& entry = table.row(row);
    Json json;
    for (int column = 0; column < ColumnCount; ++column) {
        json[keys[column]] = table.cellText(row, static_cast<Column>(column));
    }
    json["kind"] = nullptr;
    if (entry.isBound()) {
        const EntryNameParts parts = parseEntryName(entry.entryName);
        const SoundState state = workspace.soundState(entry);
        json["kind"] = std::string(1, parts.kind);
        json["number1"] = wholeNumberOrNull(parts.number1);
        json["number2"] = wholeNumberOrNull(parts.number2);
        json["onStick"] = state.present;
        json["current"] = state.present && !state.changed;
        json["sourceFound"] = state.sourceFound;
    }
    // Read from the headers only: decoding every sound of a stick would take minutes.
    const auto glanced =
        entry.sourcePath.empty() ? std::nullopt : sounds.glance(workspace.soundFileOf(entry));
    json["format"] = glanced ? Json(formatText(*glanced)) : Json(nullptr);
    json["milliseconds"] = glanced ? Json(milliseconds(glanced->seconds)) : Json(nullptr);
    return json;
}

Json problemJson(const StickProblem& problem) {
    Json json = {{"kind", problemWord(problem.kind)},
                 {"file", problem.file},
                 {"folder", problem.folder},
                 {"removable", problem.removable}};
    if (problem.kind == ProblemKind::NotEnoughSpace) {
        json["neededBytes"] = static_cast<long long>(problem.neededBytes);
        json["freeBytes"] = static_cast<long long>(problem.freeBytes);
    }
    return json;
}

} // namespace

void writeStickJson(std::ostream& out, const StickWorkspace& workspace, SoundInspector& sounds,
                    const std::vector<StickProblem>* found,
                    const std::vector<StickProblem>* warnings) {
    Json document = {{"stick", workspace.stickRoot()}, {"rows", Json::array()}};
    for (int row = 1; row < workspace.table().nextRow(); ++row) {
        document["rows"].push_back(rowJson(workspace, sounds, row));
    }
    const KindCounters& counters = workspace.counters();
    document["counters"] = {
        {"cntMRL", counters.cntMRL()},           {"cntKontakt", counters.cntKontakt()},
        {"cntZufall", counters.cntZufall()},     {"cntZeit", counters.cntZeit()},
        {"cntEndlos", counters.cntEndlos()},     {"total", counters.total()},
        {"nextRow", workspace.table().nextRow()}};
    document["settings"] = Json::array();
    for (const Setting setting : AllSettings) {
        const std::string& name = workspace.currentSettings()[setting];
        const auto value = displayValue(setting, name);
        document["settings"].push_back({{"number", settingNumber(setting)},
                                        {"label", settingCaption(setting)},
                                        {"name", name},
                                        {"value", value ? Json(*value) : Json(nullptr)}});
    }
    if (found) {
        document["ok"] = found->empty();
        document["problems"] = Json::array();
        for (const StickProblem& problem : *found) {
            document["problems"].push_back(problemJson(problem));
        }
        document["warnings"] = Json::array();
        for (const StickProblem& warning : *warnings) {
            document["warnings"].push_back(problemJson(warning));
        }
    }
    writeLine(out, document);
}

void writeFindingsJson(std::ostream& out, const std::vector<std::string>& files,
                       const std::vector<SoundFindings>& findings) {
    static const char* const versions[] = {"1", "2", "2.5"};
    Json document = {{"ok", true}, {"files", Json::array()}};
    for (std::size_t i = 0; i < findings.size(); ++i) {
        const SoundFindings& found = findings[i];
        document["ok"] = document["ok"].get<bool>() && !found.invalid();
        Json json = {{"file", files[i]},
                     {"checked", found.checked},
                     {"valid", found.checked ? Json(found.valid()) : Json(nullptr)},
                     {"mpegAudio", found.mpegAudio},
                     {"decodedToEnd", found.decodedToEnd},
                     {"format", formatText(found)}};
        if (found.mpegAudio) {
            json["mpegVersion"] = versions[static_cast<int>(found.version)];
            json["layer"] = found.layer;
            json["sampleRate"] = static_cast<long long>(found.sampleRate);
            json["bitrate"] = found.bitrate;
            json["variableBitrate"] = found.variableBitrate;
            json["channels"] = found.channels;
            json["milliseconds"] = milliseconds(found.seconds);
        }
        json["id3v2Size"] = static_cast<long long>(found.id3v2Size);
        json["embedsPictures"] = found.embedsPictures;
        json["hints"] = soundHints(found);
        document["files"].push_back(json);
    }
    writeLine(out, document);
}

void writeLoudnessJson(std::ostream& out, const std::vector<SoundLoudness>& sounds) {
    Json rows = Json::array();
    for (std::size_t i = 0; i < sounds.size(); ++i) {
        const auto& loudness = sounds[i].loudness;
        rows.push_back({{"row", i + 1},
                        {"name", sounds[i].name},
                        {"lufs", loudness ? Json(loudness->lufs) : Json()},
                        {"truePeak", loudness ? Json(loudness->truePeak) : Json()}});
    }
    writeLine(out, rows);
}

} // namespace tonarion
