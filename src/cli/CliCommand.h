#pragma once

#include "cli/CliCommands.h"
#include "cli/CliUserInterface.h"
#include "cli/UnwrittenFiles.h"
#include "workspace/StickWorkspace.h"

#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace CLI {
class App;
class Option;
} // namespace CLI

namespace tonarion {

constexpr int Success = 0;
constexpr int Refused = 1;
constexpr int UsageFailure = 2;

// A command line that does not say what the program understands (exit status 2).
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A value a control of the windows refuses: the windows' German message where they have one,
// and a usage error all the same (exit status 2), because nothing was changed.
class RefusedValue : public UsageError {
public:
    using UsageError::UsageError;
};

// The exit status of what the workspace did: a choice missing or not fitting is the command
// line's fault; anything else that stopped the work, the stick's or the files'.
int exitStatusOf(const Outcome& outcome);

// A whole number in [lowest, highest] typed for `what`; UsageError otherwise.
int wholeNumber(const std::string& text, int lowest, int highest, const std::string& what);

// The absolute form of a path typed on the command line. std::filesystem reads and writes a
// std::string in the system's narrow code page, which on Windows is not UTF-8 and lacks most
// letters; char8_t text is UTF-8 on every system.
std::string absolutePath(const std::string& utf8);

// What the help says of a command.
struct CommandTexts {
    const char* name;
    const char* synopsis;
    const char* summary; // lines after the first indented by 28 blanks in the list of commands
    const char* details; // for COMMAND --help only
    // The heading of the table of the options that have a description, or nothing.
    const char* optionsHeading = "";
};

// One command of tonarion-cli. Its options are declared once, on its own CLI::App, which
// parses them; the help and the table of options are made from the same declaration.
class CliCommand {
public:
    CliCommand(CLI::App& program, CliEnvironment& environment, const CommandTexts& texts,
               std::size_t fewestArguments, std::size_t mostArguments);
    virtual ~CliCommand() = default;
    CliCommand(const CliCommand&) = delete;
    CliCommand& operator=(const CliCommand&) = delete;

    const CommandTexts& texts() const { return m_texts; }
    const CLI::App& app() const { return m_app; }
    bool given() const;
    bool helpAsked() const;
    // Words after "--", which are arguments also where they begin with a dash.
    void addArguments(std::vector<std::string>::const_iterator from,
                      std::vector<std::string>::const_iterator to) {
        m_arguments.insert(m_arguments.end(), from, to);
    }
    // The command's positional arguments counted; UsageError when there are too few or many.
    void checkArguments() const;
    virtual int run() = 0;

protected:
    // An option taking a value. Options of one group with a description each stand on one
    // line of the table of options, which shows only options that have a description.
    void option(const std::string& name, const std::string& valueText = "",
                const std::string& description = "", const std::string& group = "");
    void flag(const std::string& name);

    std::optional<std::string> value(const std::string& name) const;
    bool has(const std::string& flag) const;
    // The options given, by name.
    std::vector<std::string> givenOptions() const;
    const std::vector<std::string>& arguments() const { return m_arguments; }

    CliEnvironment& m_env;

private:
    CommandTexts m_texts;
    CLI::App& m_app;
    std::size_t m_fewest;
    std::size_t m_most;
    std::vector<std::string> m_arguments;
    std::map<std::string, std::string> m_values;
    std::map<std::string, CLI::Option*> m_options;
};

// A command that works on the stick STICK, its first argument.
class StickCommand : public CliCommand {
public:
    StickCommand(CLI::App& program, CliEnvironment& environment, const CommandTexts& texts,
                 std::size_t fewestArguments = 1, std::size_t mostArguments = 1);

protected:
    // Points a fresh session at STICK and loads it through files; false after telling why. A
    // stick whose index file was lost but whose sounds are still there is taken over as the
    // drive dialog does.
    bool loadStick(FileOperations& files);
    // Loads without writing; says on stderr when loading would have repaired the stick.
    bool loadForReading();
    // Loads without writing and without a word but why it cannot, to check a command line
    // against the table before the command changes anything.
    bool lookAtStick();
    // Says on stderr why the work stopped, if it did; true when it was done.
    bool told(const Outcome& outcome);
    // The closing commit of the main window; Refused when the stick did not take it.
    int closeAndCommit();
    // The workspaces this command loads convert and measure sounds.
    void useConverter() { m_converter = m_env.converter; }
    // The number of a row of the table typed for `what`; UsageError when there is none.
    int rowNumber(const std::string& text, const std::string& what) const;

    const SoundTable& table() const { return m_workspace->table(); }
    const std::string& stick() const { return arguments().at(0); }

    CliUserInterface m_ui;
    UnwrittenFiles m_preview;
    std::unique_ptr<Session> m_session;
    std::unique_ptr<StickWorkspace> m_workspace;
    SoundConverter* m_converter = nullptr;

private:
    // loadStick without telling.
    Outcome openAndLoad(FileOperations& files);
};

// The commands, in the order the help lists them.
std::vector<std::unique_ptr<CliCommand>> declareCommands(CLI::App& program,
                                                         CliEnvironment& environment);

// The choices that "bind" options (without STICK) make on the form the dialog opens for a
// row with this entry name, or for a row without an event.
EventSelection bindSelection(std::vector<std::string> optionWords, CliEnvironment& environment,
                             const std::string& rowName = "");
// The index of a quarter hour typed as HH:MM.
std::optional<int> quarterHourIndex(const std::string& time);

// Writes the table, counters and settings, and the findings of verify where given, as one
// JSON document on a line.
void writeStickJson(std::ostream& out, const StickWorkspace& workspace, SoundInspector& sounds,
                    const std::vector<StickProblem>* found,
                    const std::vector<StickProblem>* warnings);
// A row's sound as the loudness command reports it: its file name and what was measured.
struct SoundLoudness {
    std::string name;
    std::optional<Loudness> loudness;
};
// The rows' loudness as one JSON document on a line; null where nothing was measured.
void writeLoudnessJson(std::ostream& out, const std::vector<SoundLoudness>& sounds);

// The findings of check as one JSON document on a line.
void writeFindingsJson(std::ostream& out, const std::vector<std::string>& files,
                       const std::vector<SoundFindings>& findings);

} // namespace tonarion
