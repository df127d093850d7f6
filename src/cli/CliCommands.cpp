#include "cli/CliCommands.h"

#include "TonarionVersion.h"
#include "cli/CliCommand.h"

#include <CLI/CLI.hpp>
#include <algorithm>

namespace tonarion {
namespace {

const char* const Usage = R"(Usage: tonarion-cli COMMAND [ARGUMENTS] [OPTIONS]
       tonarion-cli COMMAND --help
       tonarion-cli --help | --version
)";

const char* const About = R"(
tonarion-cli prepares a USB stick for the sound module, without a window.

STICK is a folder, usually a USB stick's mount point, that holds the index file tonkat.tkx.
A command that writes loads the stick as the main window does, does one thing and writes the
stick as closing the main window does. show, verify, drives and settings without options
only read: where loading would repair the stick (relative source paths, an interrupted
commit, a lost index file), they show the repaired stick and say on stderr that the next
writing command, or repair, stores the repair. The windows' messages go to stderr; their
questions are answered by the command itself.

Exit status: 0 everything asked for was done; 1 the stick could not be brought to what was
asked (the reason on stderr), verify found the stick other than its index says, or check
found a file that is not valid MPEG audio; 2 a usage error or a refused value, and nothing
was changed.
)";

constexpr std::size_t HelpColumn = 28;

std::string indented(const std::string& text) {
    std::string result;
    for (const char c : text) {
        result += c;
        if (c == '\n') {
            result += std::string(HelpColumn, ' ');
        }
    }
    return result;
}

// A line of a two-column table: the left column padded to where the right one starts, or
// the right one on the next line where the left one reaches past it.
std::string tableLine(std::string left, const std::string& right, std::size_t leastGap,
                      std::size_t overlongGap) {
    if (left.size() + leastGap <= HelpColumn) {
        left += std::string(HelpColumn - left.size(), ' ');
    } else {
        left += overlongGap ? std::string(overlongGap, ' ') : "\n" + std::string(HelpColumn, ' ');
    }
    return left + indented(right) + "\n";
}

// The options of a command that have a description, made from their declaration; an
// option of a group stands beside the one before it.
std::string optionsTable(const CliCommand& command) {
    const char* heading = command.texts().optionsHeading;
    if (!*heading) {
        return "";
    }
    std::string table = std::string("\n") + heading + "\n";
    std::string left;
    std::string description;
    std::string group;
    const auto flush = [&] {
        if (!left.empty()) {
            table += tableLine("  " + left, description, 2, 3);
        }
    };
    for (const CLI::Option* option : command.app().get_options()) {
        const std::string name = option->get_name() + " " + option->get_type_name();
        if (!option->get_description().empty()) {
            flush();
            left = name;
            description = option->get_description();
            group = option->get_group();
        } else if (!left.empty() && option->get_group() == group) {
            left += " " + name;
        }
    }
    flush();
    return table;
}

std::string helpText(const std::vector<std::unique_ptr<CliCommand>>& commands) {
    std::string text = std::string(Usage) + About + "\nCommands:\n";
    std::string tables;
    for (const auto& command : commands) {
        text += tableLine(std::string("  ") + command->texts().synopsis, command->texts().summary,
                          1, 0);
        tables += optionsTable(*command);
    }
    return text + tables;
}

std::string commandHelp(const CliCommand& command) {
    return std::string("Usage: tonarion-cli ") + command.texts().synopsis + "\n\n" +
           command.texts().summary + ".\n" + command.texts().details + optionsTable(command);
}

const CliCommand* commandNamed(const std::vector<std::unique_ptr<CliCommand>>& commands,
                               const std::string& name) {
    for (const auto& command : commands) {
        if (command->texts().name == name) {
            return command.get();
        }
    }
    return nullptr;
}

int runCommandLine(const std::vector<std::string>& words, CliEnvironment& environment) {
    if (words.empty()) {
        environment.err << Usage << "See 'tonarion-cli --help'.\n";
        return UsageFailure;
    }
    CLI::App program("", "tonarion-cli");
    program.set_help_flag();
    // One command a line: the words after it are its own, also where one is a command's name.
    program.require_subcommand(0, 1);
    const CLI::Option* help = program.add_flag("--help,-h");
    const CLI::Option* version = program.add_flag("--version");
    const auto commands = declareCommands(program, environment);
    CLI::App* helpCommand = program.add_subcommand("help")->prefix_command();
    if (!words[0].starts_with('-') && words[0] != "help" && !commandNamed(commands, words[0])) {
        throw UsageError("unknown command '" + words[0] + "'");
    }
    // CLI11 takes the words after "--" as arguments only while a command still lacks some.
    const auto mark = std::find(words.begin(), words.end(), "--");
    std::vector<std::string> reversed(std::make_reverse_iterator(mark), words.rend());
    program.parse(reversed);

    const auto given = std::find_if(commands.begin(), commands.end(),
                                    [](const auto& command) { return command->given(); });
    CliCommand* command = given == commands.end() ? nullptr : given->get();
    if (command && mark != words.end()) {
        command->addArguments(mark + 1, words.end());
    }
    if (version->count() > 0) {
        if (words.size() > 1) {
            throw UsageError("--version stands alone");
        }
        environment.out << "tonarion-cli " << TonarionVersion << '\n';
        return Success;
    }
    if (helpCommand->parsed() || (help->count() > 0 && !command)) {
        const std::vector<std::string> helpTopics = helpCommand->remaining();
        const CliCommand* topic =
            helpTopics.empty() ? nullptr : commandNamed(commands, helpTopics[0]);
        if (helpTopics.size() > 1 || (!helpTopics.empty() && !topic)) {
            throw UsageError("'help' takes one command");
        }
        environment.out << (topic ? commandHelp(*topic) : helpText(commands));
        return Success;
    }
    if (!command) {
        throw UsageError("no command given");
    }
    if (help->count() > 0 || command->helpAsked()) {
        environment.out << commandHelp(*command);
        return Success;
    }
    command->checkArguments();
    return command->run();
}

} // namespace

int runCli(const std::vector<std::string>& words, CliEnvironment& environment) {
    try {
        return runCommandLine(words, environment);
    } catch (const RefusedValue& refused) {
        environment.err << withPlainNewlines(refused.what()) << '\n';
        return UsageFailure;
    } catch (const UsageError& error) {
        environment.err << "tonarion-cli: " << error.what() << "\nSee 'tonarion-cli --help'.\n";
        return UsageFailure;
    } catch (const CLI::ParseError& error) {
        environment.err << "tonarion-cli: " << error.what() << "\nSee 'tonarion-cli --help'.\n";
        return UsageFailure;
    }
}

} // namespace tonarion
