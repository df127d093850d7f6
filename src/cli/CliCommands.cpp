#include "cli/CliCommands.h"

#include "cli/CliArguments.h"
#include "cli/CliUserInterface.h"
#include "model/EntryName.h"
#include "storage/StickFiles.h"
#include "storage/StickSelection.h"
#include "storage/StickWorkspace.h"
#include "storage/platform/SystemPlatform.h"

#include <algorithm>
#include <filesystem>
#include <map>

namespace tonarion {
namespace {

constexpr int Success = 0;
constexpr int Refused = 1;
constexpr int UsageFailure = 2;

const char* const HelpText =
    R"(tonarion-cli - prepare a USB stick for the sound module, without a window

Usage: tonarion-cli COMMAND [ARGUMENTS] [OPTIONS]

Every command works on STICK, a folder (usually a USB stick's mount point). It loads the
stick's index file tonkat.tkx as the program's main window does, applies one operation and
writes the stick as closing the main window does. Messages the program would show in a box
are printed on stderr. Exit status: 0 success, 1 refused or failed, 2 usage error.

Commands:
  drives                    list the USB drives, one "USB-Laufwerk ROOT" a line
  init STICK                accept STICK: keep its index file or create a fresh one
  show STICK                print the table (tab-separated), the counter report and
                            the six module settings
  bind STICK (--file PATH | --row NR) --event KIND [choices]
                            add PATH (as a drop does) or take row NR, and bind it to an
                            event as OK in the event dialog does; prints the file name
  delete STICK NR           delete row NR ("Zeile löschen")
  settings STICK [options]  print the module settings, or change and save them
  verify STICK              compare the index file with the files on the stick

Choices of bind (which ones a KIND offers is what its dialog page shows):
  --event M|R|L|K|Z|U|E     Magnetartikel, Rückmeldung, ZIDAS Empfänger, Kontakt,
                            Zufällige, Zeitgesteuerte or Endlose Wiedergabe
  --status LETTER           M: R G X   R: B F X   L: X 1 2   K: O S A
  --mode M|O                may be interrupted (M) or not (O)
  --prio 1-4                play priority
  --adr1 TEXT --adr2 TEXT   M, R: the von and bis addresses; L: --adr1 is the receiver
  --category all|1|2|3|4|loco   L: all locomotives, a train category, or one loco
  --loco TEXT               L: the loco address with --category loco
  --contact-from 1-10 --contact-to 1-10   K: first and last contact
  --time HH:MM              U: a quarter hour of the model clock
  --position 1-127          E: the play position

Options of settings:
  --volume 1-31  --model-time TEXT  --start-time HH:MM  --stretch TEXT
  --clock-sync 0|1  --endless-address TEXT
)";

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

// The absolute form of a path typed on the command line. std::filesystem reads and writes a
// std::string in the system's narrow code page, which on Windows is not UTF-8 and lacks most
// letters; char8_t text is UTF-8 on every system.
std::string absolutePath(const std::string& utf8) {
    const std::u8string path =
        std::filesystem::absolute(std::u8string(utf8.begin(), utf8.end())).u8string();
    return std::string(path.begin(), path.end());
}

class CommandRunner {
public:
    CommandRunner(const CliArguments& arguments, CliEnvironment& environment)
        : m_args(arguments)
        , m_env(environment)
        , m_ui(environment.err)
        , m_workspace(m_session, environment.files, m_ui) {}

    int run();

private:
    int drives();
    int init();
    int show();
    int bind();
    int deleteRow();
    int settings();
    int verify();

    // Points the session at STICK and loads its index file; false after telling why.
    bool loadStick();
    // The closing commit of the main window; Refused when it failed.
    int closeAndCommit();

    const CliArguments& m_args;
    CliEnvironment& m_env;
    CliUserInterface m_ui;
    Session m_session;
    StickWorkspace m_workspace;
};

int CommandRunner::run() {
    using Command = int (CommandRunner::*)();
    static const std::map<std::string, Command> commands = {
        {"drives", &CommandRunner::drives},    {"init", &CommandRunner::init},
        {"show", &CommandRunner::show},        {"bind", &CommandRunner::bind},
        {"delete", &CommandRunner::deleteRow}, {"settings", &CommandRunner::settings},
        {"verify", &CommandRunner::verify},
    };
    const std::string& command = m_args.command;
    const auto found = commands.find(command);
    if (found == commands.end()) {
        throw UsageError(command.empty() ? "no command given"
                                         : "unknown command '" + command + "'");
    }
    return (this->*found->second)();
}

int CommandRunner::drives() {
    m_args.expect(0, {});
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
    m_args.expect(1, {});
    m_session.stickRoot = stickRootOf(m_args.positional[0]);
    return gueltigeAuswahl(m_session, m_env.files, m_ui) ? Success : Refused;
}

bool CommandRunner::loadStick() {
    m_session.stickRoot = stickRootOf(m_args.positional.at(0));
    const auto indexName = findIndexFile(m_env.files, m_session.stickRoot);
    if (!indexName) {
        m_env.err << "No index file " << IndexFileName << " in " << m_session.stickRoot
                  << "; 'tonarion-cli init' creates one.\n";
        return false;
    }
    m_session.indexFileName = *indexName;
    return m_workspace.load(m_env.programFolder) == IndexReadResult::Read;
}

int CommandRunner::closeAndCommit() {
    return m_workspace.commit() == CommitResult::Failed ? Refused : Success;
}

int CommandRunner::show() {
    m_args.expect(1, {});
    if (!loadStick()) {
        return Refused;
    }
    std::ostream& out = m_env.out;
    for (int column = 0; column < ColumnCount; ++column) {
        out << (column ? "\t" : "") << trimmed(ColumnHeaders[static_cast<std::size_t>(column)]);
    }
    out << '\n';
    const SoundTable& table = m_workspace.table();
    for (int row = 1; row < table.nextRow(); ++row) {
        for (int column = 0; column < ColumnCount; ++column) {
            out << (column ? "\t" : "") << table.cellText(row, static_cast<Column>(column));
        }
        out << '\n';
    }
    out << '\n' << withPlainNewlines(m_workspace.counterReport()) << "\n\n";
    for (const Setting setting : AllSettings) {
        out << m_session.settings.CurrentSettings[setting] << '\n';
    }
    return closeAndCommit();
}

int CommandRunner::bind() {
    m_args.expect(1, BindOptions);
    const EventSelection selection = selectionFromOptions(m_args);
    const auto file = m_args.option("--file");
    const auto row = m_args.option("--row");
    if (file.has_value() == row.has_value()) {
        throw UsageError("bind needs either --file PATH or --row NR");
    }
    if (!loadStick()) {
        return Refused;
    }
    int editRow = 0;
    if (file) {
        const std::string path = absolutePath(*file);
        if (m_workspace.dropFiles(std::vector<std::string>{path}) != 1) {
            return Refused;
        }
        editRow = m_workspace.table().nextRow() - 1;
    } else {
        editRow = wholeNumber(*row, 1, m_workspace.table().nextRow(), "--row");
        // The event dialog opens only for a row that holds a sound file.
        if (m_workspace.table().row(editRow).sourcePath.empty()) {
            m_env.err << "Row " << editRow << " holds no sound file.\n";
            return Refused;
        }
    }
    const auto name = m_workspace.bind(editRow, selection);
    if (!name) {
        return Refused;
    }
    m_env.out << *name << '\n';
    // Binding commits at once; what is still unsaved failed to reach the stick.
    return m_session.SaveNeeded ? Refused : Success;
}

int CommandRunner::deleteRow() {
    m_args.expect(2, {});
    if (!loadStick()) {
        return Refused;
    }
    m_workspace.deleteRow(
        wholeNumber(m_args.positional[1], 1, m_workspace.table().nextRow(), "NR"));
    return closeAndCommit();
}

int CommandRunner::settings() {
    m_args.expect(1, SettingsOptions);
    const auto volume = m_args.numberOption("--volume", 1, 31);
    const auto clockSync = m_args.numberOption("--clock-sync", 0, 1);
    std::optional<int> startTime;
    if (const auto time = m_args.option("--start-time")) {
        for (int index = 0; index < QuarterHourCount && !startTime; ++index) {
            startTime = quarterHourText(index) == *time ? std::optional<int>(index) : std::nullopt;
        }
        if (!startTime) {
            throw UsageError("--start-time must be a quarter hour from 00:00 to 23:45");
        }
    }
    if (!loadStick()) {
        return Refused;
    }
    SettingsForm form = m_workspace.openSettings();
    const SettingsDisplay shown = form.setFormLayout();
    if (m_args.options.empty()) {
        const auto value = [](const std::optional<int>& number) {
            return number ? std::to_string(*number) : std::string("-");
        };
        m_env.out << "Lautstärke: " << value(shown.volume) << '\n'
                  << "Modellzeit für 15 Minuten: " << value(shown.modelTime) << " Sekunden\n"
                  << "Startzeit: " << (shown.startTime ? quarterHourText(*shown.startTime) : "-")
                  << '\n'
                  << "Dehnungsfaktor der Zufallszeit: " << value(shown.stretch) << '\n'
                  << "Uhrensync. auf LocoNet: "
                  << (shown.clockSync ? (*shown.clockSync ? "Ein" : "Aus") : "-") << '\n'
                  << "Endlosschleife über folgende Magnetartikeladresse ein- und ausschalten: "
                  << value(shown.endlessAddress) << '\n';
        m_ui.setQuestionAnswer(MessageAnswer::No);
        m_workspace.closeSettings(form);
        return closeAndCommit();
    }
    // The two number fields let only digits, "-" and backspace through as they are typed.
    const auto typed = [](const std::string& text) {
        std::string kept;
        for (const char c : text) {
            if (TasteFiltern(static_cast<unsigned char>(c)) != 0) {
                kept += c;
            }
        }
        return kept;
    };
    if (volume) {
        form.volumeChanged(*volume);
    }
    if (const auto text = m_args.option("--model-time")) {
        form.modelTimeChanged(typed(*text));
    }
    if (startTime) {
        form.startTimeChosen(*startTime);
    }
    if (const auto text = m_args.option("--stretch")) {
        form.stretchChanged(typed(*text));
    }
    if (clockSync) {
        form.clockSyncChosen(*clockSync == 1);
    }
    bool refused = false;
    if (const auto text = m_args.option("--endless-address")) {
        refused = form.endlessAddressChanged(*text).has_value();
    }
    m_ui.setQuestionAnswer(MessageAnswer::Yes);
    m_workspace.closeSettings(form);
    const int committed = closeAndCommit();
    return refused ? Refused : committed;
}

int CommandRunner::verify() {
    m_args.expect(1, {});
    if (!loadStick()) {
        return Refused;
    }
    StickFiles stick(m_env.files, m_session.stickRoot);
    std::vector<std::string> listed;
    int missing = 0;
    const auto check = [&](const std::string& name, const char* what) {
        listed.push_back(name);
        if (!stick.exists(name)) {
            m_env.out << "missing " << what << ": " << name << '\n';
            ++missing;
        }
    };
    for (const SoundEntry& entry : m_workspace.table().entries()) {
        if (entry.isBound()) {
            check(entry.entryName, "sound");
        }
    }
    for (const Setting setting : AllSettings) {
        if (!m_session.settings.CurrentSettings[setting].empty()) {
            check(m_session.settings.CurrentSettings[setting], "setting");
        }
    }
    int unlisted = 0;
    for (const auto& name :
         m_env.files.listFiles(m_session.stickRoot).value_or(std::vector<std::string>{})) {
        const bool looksOurs = looksLikeEntryName(name) || isSettingName(name);
        const bool isListed = std::any_of(listed.begin(), listed.end(), [&](const auto& known) {
            return sameFileName(known, name);
        });
        if (looksOurs && !isListed) {
            m_env.out << "not in index: " << name << '\n';
            ++unlisted;
        }
    }
    m_env.out << (missing ? "MISSING" : "OK") << ": " << listed.size() - std::size_t(missing)
              << " of " << listed.size() << " files on the stick";
    if (unlisted) {
        m_env.out << ", " << unlisted << " not in the index";
    }
    m_env.out << '\n';
    return missing ? Refused : Success;
}

} // namespace

int runCli(const std::vector<std::string>& words, CliEnvironment& environment) {
    try {
        const CliArguments arguments = CliArguments::parse(words);
        if (arguments.command == "--help" || arguments.command == "help" ||
            arguments.options.contains("--help") || words.empty()) {
            (words.empty() ? environment.err : environment.out) << HelpText;
            return words.empty() ? UsageFailure : Success;
        }
        return CommandRunner(arguments, environment).run();
    } catch (const UsageError& error) {
        environment.err << "tonarion-cli: " << error.what() << "\nSee 'tonarion-cli --help'.\n";
        return UsageFailure;
    }
}

} // namespace tonarion
