// The commands that read a stick or change it as the windows do, each declaring its options.

#include "BashCompletion.h"
#include "cli/CliCommand.h"
#include "model/Trimmed.h"
#include "model/WholeNumber.h"
#include "settings/SettingEntry.h"
#include "workspace/ListExport.h"
#include "workspace/SoundList.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <map>

namespace tonarion {

std::unique_ptr<CliCommand> declareBind(CLI::App& program, CliEnvironment& environment);
std::unique_ptr<CliCommand> declareSettings(CLI::App& program, CliEnvironment& environment);
std::unique_ptr<CliCommand> declareLoudness(CLI::App& program, CliEnvironment& environment);
std::unique_ptr<CliCommand> declareLevel(CLI::App& program, CliEnvironment& environment);

namespace {

class Drives final : public CliCommand {
public:
    Drives(CLI::App& program, CliEnvironment& environment)
        : CliCommand(
              program, environment,
              {"drives", "drives", "list the USB drives, one \"USB-Laufwerk ROOT\" a line", ""}, 0,
              0) {}

    int run() override {
        CliUserInterface ui(m_env.err);
        const auto list = FindUsbDrives(m_env.drives, ui);
        if (!list) {
            return Refused;
        }
        for (const auto& entry : *list) {
            m_env.out << entry << '\n';
        }
        return Success;
    }
};

class Init final : public CliCommand {
public:
    Init(CLI::App& program, CliEnvironment& environment)
        : CliCommand(program, environment,
                     {"init", "init STICK",
                      "accept STICK: keep its index file or create a fresh one",
                      "\nA stick without an index file keeps the sounds and settings it holds: the "
                      "fresh index\nlists them.\n"},
                     1, 1) {}

    int run() override {
        Session session;
        CliUserInterface ui(m_env.err);
        const Outcome opened = StickWorkspace(session, m_env.files, ui).openFolder(arguments()[0]);
        tellOutcome(ui, opened);
        return exitStatusOf(opened);
    }
};

class Show final : public StickCommand {
public:
    Show(CLI::App& program, CliEnvironment& environment)
        : StickCommand(program, environment,
                       {"show", "show STICK [--json]",
                        "print the table (tab-separated), the counters and the settings",
                        "\n--json prints one JSON document instead: the rows with their nine "
                        "texts, kind,\nnumbers, whether the stick file is there and current, and "
                        "the sound's format and\nlength as its headers give them (null where there "
                        "is no MPEG audio), the counters\nand the settings with their values.\n"}) {
        flag("--json");
    }

    int run() override {
        if (!loadForReading()) {
            return Refused;
        }
        if (has("--json")) {
            writeStickJson(m_env.out, *m_workspace, m_env.sounds, nullptr, nullptr);
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
};

// The list for paper, as a spreadsheet.
class Export final : public StickCommand {
public:
    Export(CLI::App& program, CliEnvironment& environment)
        : StickCommand(
              program, environment,
              {"export", "export STICK --csv FILE",
               "write the list for paper to FILE as CSV: the entries by\nkind of event and "
               "address, each also in words",
               "\nFILE gets the nine columns of the table and the description (\"Magnetartikel "
               "12, grün,\nPriorität 2, unterbrechbar – pfiff.mp3\"), as German spreadsheet "
               "programs open it: UTF-8\nwith a byte-order mark, fields separated by semicolons, "
               "lines ended with CR LF. The\nstick is only read, as show reads it.\n"}) {
        option("--csv", "FILE");
    }

    int run() override {
        const auto file = value("--csv");
        if (!file) {
            throw UsageError("export needs --csv FILE");
        }
        if (!loadForReading()) {
            return Refused;
        }
        const FileResult written = writeExportedList(m_env.files, absolutePath(*file),
                                                     soundListCsv(m_workspace->soundList()));
        if (written.failed()) {
            m_env.err << "tonarion-cli: " << *file << ": " << written.error().message() << '\n';
            return Refused;
        }
        return Success;
    }
};

class Delete final : public StickCommand {
public:
    Delete(CLI::App& program, CliEnvironment& environment)
        : StickCommand(program, environment,
                       {"delete", "delete STICK NR...",
                        "delete rows (\"Zeile löschen\"); the numbers are those of the\ntable "
                        "before the command",
                        ""},
                       2, std::size_t(-1)) {}

    int run() override {
        if (!lookAtStick()) {
            return Refused;
        }
        std::vector<int> rows;
        for (auto word = arguments().begin() + 1; word != arguments().end(); ++word) {
            const int row = rowNumber(*word, "NR");
            if (std::find(rows.begin(), rows.end(), row) != rows.end()) {
                throw UsageError("row " + *word + " given twice");
            }
            rows.push_back(row);
        }
        if (!loadStick(m_env.files)) {
            return Refused;
        }
        tellOutcome(m_ui, m_workspace->deleteRows(rows));
        return closeAndCommit();
    }
};

const char* const VerifyDetails =
    "\nEach difference is a line \"KIND: FILE\". The kinds: missing sound, changed sound (the\n"
    "stick's copy is not the source's version), sound not found (neither at its source nor\n"
    "on the stick), missing setting, not in index (a sound or setting file the module plays\n"
    "but the index does not list), second setting file, changed setting (a setting file\n"
    "that is not empty), random gap (the random sounds the index lists are not numbered 1 to\n"
    "N; the next writing command closes the gap), second index line (an EntryName listed\n"
    "again with another source; the first line holds), temporary file (left by an\n"
    "interrupted commit), macOS leftover\n"
    "(._ files, .DS_Store, and the folders .Trashes, .Spotlight-V100 and .fseventsd, which\n"
    "end in \"/\"). Temporary files and macOS leftovers are what \"Bereinigen\" in the\n"
    "window's stick check removes; a temporary file that an unfinished commit still needs\n"
    "stays. A stick that cannot be read gives the one line \"stick unreadable: STICK\". Two\n"
    "more lines tell about the medium without failing: \"wrong file system: FS\"\n"
    "(the module reads FAT32 and FAT16) and \"not enough space: N bytes needed, M bytes\n"
    "free\" (for the copies the next commit makes). The last line counts the problems and\n"
    "the warnings. --json prints what show --json does, the problems and the warnings, each\n"
    "with its kind, file, folder and removable.\n";

class Verify final : public StickCommand {
public:
    Verify(CLI::App& program, CliEnvironment& environment)
        : StickCommand(program, environment,
                       {"verify", "verify STICK [--json]",
                        "compare the stick with its index file; exit status 1 when\nthey differ",
                        VerifyDetails}) {
        flag("--json");
    }

    int run() override {
        if (!loadForReading()) {
            return Refused;
        }
        // The file system and the free space are told, but a stick that is what its index
        // says passes all the same.
        std::vector<StickProblem> found = m_workspace->verify(m_env.files);
        std::vector<StickProblem> warnings;
        std::erase_if(found, [&warnings](const StickProblem& problem) {
            if (problem.isAboutMedium()) {
                warnings.push_back(problem);
            }
            return problem.isAboutMedium();
        });
        if (has("--json")) {
            writeStickJson(m_env.out, *m_workspace, m_env.sounds, &found, &warnings);
        } else {
            writeText(found, warnings);
        }
        return found.empty() ? Success : Refused;
    }

private:
    void writeText(const std::vector<StickProblem>& found,
                   const std::vector<StickProblem>& warnings) {
        int listed = 0;
        int missing = 0;
        for (const SoundEntry& entry : table().entries()) {
            listed += entry.isBound() ? 1 : 0;
        }
        for (const Setting setting : AllSettings) {
            listed += m_workspace->currentSettings()[setting].empty() ? 0 : 1;
        }
        std::ostream& out = m_env.out;
        for (const StickProblem& problem : found) {
            out << problemWord(problem.kind) << ": " << problem.file << (problem.folder ? "/" : "")
                << '\n';
            missing += problem.isLacking() ? 1 : 0;
        }
        for (const StickProblem& warning : warnings) {
            out << problemWord(warning.kind) << ": ";
            if (warning.kind == ProblemKind::NotEnoughSpace) {
                out << warning.neededBytes << " bytes needed, " << warning.freeBytes
                    << " bytes free\n";
            } else {
                out << warning.file << '\n';
            }
        }
        out << (found.empty() ? "OK" : "FAILED") << ": " << listed - missing << " of " << listed
            << " files on the stick";
        // Every line above is counted: the medium's findings as warnings.
        if (!found.empty()) {
            out << ", " << found.size() << (found.size() == 1 ? " problem" : " problems");
        }
        if (!warnings.empty()) {
            out << ", " << warnings.size() << (warnings.size() == 1 ? " warning" : " warnings");
        }
        out << '\n';
    }
};

class Repair final : public StickCommand {
public:
    Repair(CLI::App& program, CliEnvironment& environment)
        : StickCommand(program, environment,
                       {"repair", "repair STICK", "store what loading the stick repairs", ""}) {}

    int run() override {
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
};

class Check final : public CliCommand {
public:
    Check(CLI::App& program, CliEnvironment& environment)
        : CliCommand(
              program, environment,
              {"check", "check FILE... [--json]",
               "decode sound files to the end and print what they hold; exit\nstatus 1 when one "
               "is not valid MPEG audio",
               "\nEach file gets a line \"FILE: OK|NOT VALID|NOT CHECKED, FORMAT\" and an "
               "indented line\nfor each thing small players stumble over: no MPEG audio (a "
               "renamed WAV), a file cut\noff or damaged before its end, embedded pictures, a "
               "sample rate below 32 kHz. A build\nwithout libmpg123 checks nothing. --json prints "
               "the findings as one JSON document.\n"},
              1, std::size_t(-1)) {
        flag("--json");
    }

    int run() override {
        bool allValid = true;
        std::vector<SoundFindings> findings;
        for (const auto& file : arguments()) {
            findings.push_back(m_env.sounds.inspect(file));
            allValid = allValid && !findings.back().invalid();
        }
        if (has("--json")) {
            writeFindingsJson(m_env.out, arguments(), findings);
            return allValid ? Success : Refused;
        }
        for (std::size_t i = 0; i < findings.size(); ++i) {
            const SoundFindings& found = findings[i];
            m_env.out << arguments()[i] << ": "
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
};

class Completion final : public CliCommand {
public:
    Completion(CLI::App& program, CliEnvironment& environment)
        : CliCommand(program, environment,
                     {"completion", "completion bash", "print the bash completion script", ""}, 1,
                     1)
        , m_program(program) {}

    int run() override {
        if (arguments()[0] != "bash") {
            throw UsageError("completion is there for bash only");
        }
        std::string script = BashCompletionScript;
        std::string commands;
        std::string options;
        std::map<std::string, std::string> values;
        for (const CLI::App* command : m_program.get_subcommands({})) {
            commands += (commands.empty() ? "" : " ") + command->get_name();
            std::string names;
            for (const CLI::Option* option : command->get_options()) {
                const std::string name = option->get_name();
                if (name.starts_with("--") && name != "--help") {
                    names += " " + name;
                    values[name] = choices(option->get_type_name());
                }
            }
            if (!names.empty()) {
                options += "        " + command->get_name() + ") options+=\"" + names + "\" ;;\n";
            }
        }
        std::string valueLines;
        for (const auto& [name, words] : values) {
            if (!words.empty()) {
                valueLines += "        " + name + ") COMPREPLY=($(compgen -W \"" + words +
                              "\" -- \"$cur\")); return ;;\n";
            }
        }
        fill(script, "%COMMANDS%", commands);
        fill(script, "%OPTIONS%\n", options);
        fill(script, "%VALUES%\n", valueLines);
        m_env.out << script;
        return Success;
    }

private:
    // The words a value may be: those of "A|B|C", or of a range "1-4" of at most ten.
    static std::string choices(const std::string& valueText) {
        if (valueText.find('|') != std::string::npos) {
            std::string words = valueText;
            std::replace(words.begin(), words.end(), '|', ' ');
            return words;
        }
        const auto dash = valueText.find('-');
        if (dash == std::string::npos) {
            return "";
        }
        const auto lowest = wholeNumber(valueText.substr(0, dash));
        const auto highest = wholeNumber(valueText.substr(dash + 1));
        std::string words;
        for (int value = lowest.value_or(0);
             lowest && highest && *highest - *lowest < 10 && value <= *highest; ++value) {
            words += (words.empty() ? "" : " ") + std::to_string(value);
        }
        return words;
    }

    static void fill(std::string& script, const std::string& mark, const std::string& text) {
        script.replace(script.find(mark), mark.size(), text);
    }

    CLI::App& m_program;
};

template <typename Command>
std::unique_ptr<CliCommand> declare(CLI::App& program, CliEnvironment& environment) {
    return std::make_unique<Command>(program, environment);
}

} // namespace

std::vector<std::unique_ptr<CliCommand>> declareCommands(CLI::App& program,
                                                         CliEnvironment& environment) {
    std::vector<std::unique_ptr<CliCommand>> commands;
    for (const auto make :
         {declare<Drives>, declare<Init>, declare<Show>, declare<Export>, declareBind,
          declare<Delete>, declareSettings, declare<Verify>, declare<Repair>, declare<Check>,
          declareLoudness, declareLevel, declare<Completion>}) {
        commands.push_back(make(program, environment));
    }
    return commands;
}

} // namespace tonarion
