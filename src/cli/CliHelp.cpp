#include "cli/CliHelp.h"

#include <array>

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

struct CommandText {
    const char* name;
    const char* synopsis;
    const char* summary; // lines after the first indented by 28 blanks
    const char* details; // for COMMAND --help only
};

const char* const BindChoices = R"(
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
)";

const char* const SettingsChoices = R"(
Options of settings (every value is checked before anything is saved):
  --volume 1-31             Lautstärke
  --model-time DIGITS       Modellzeit für 15 Minuten in seconds, one to five digits
  --start-time HH:MM        Startzeit, a quarter hour
  --stretch DIGITS          Dehnungsfaktor der Zufallszeit, one to five digits
  --clock-sync 0|1          Uhrensync. auf LocoNet off or on
  --endless-address 0-2048  the Magnetartikel address that switches endless play
)";

const std::array<CommandText, 11> Commands = {{
    {"drives", "drives", "list the USB drives, one \"USB-Laufwerk ROOT\" a line", ""},
    {"init", "init STICK", "accept STICK: keep its index file or create a fresh one",
     "\nA stick without an index file keeps the sounds and settings it holds: the fresh index\n"
     "lists them.\n"},
    {"show", "show STICK [--json]",
     "print the table (tab-separated), the counters and the settings",
     "\n--json prints one JSON document instead: the rows with their nine texts, kind,\n"
     "numbers, whether the stick file is there and current, and the sound's format and\n"
     "length as its headers give them (null where there is no MPEG audio), the counters\n"
     "and the settings with their values.\n"},
    {"export", "export STICK --csv FILE",
     "write the list for paper to FILE as CSV: the entries by\n"
     "kind of event and address, each also in words",
     "\nFILE gets the nine columns of the table and the description (\"Magnetartikel 12, grün,\n"
     "Priorität 2, unterbrechbar – pfiff.mp3\"), as German spreadsheet programs open it: UTF-8\n"
     "with a byte-order mark, fields separated by semicolons, lines ended with CR LF. The\n"
     "stick is only read, as show reads it.\n"},
    {"bind", "bind STICK (--file PATH | --row NR) [--event KIND] [choices]",
     "add PATH (as a drop does) or take row NR, bind it to an event\n"
     "as OK in the event dialog does and print its file name; with\n"
     "--row, every choice not given stays as the row has it",
     nullptr},
    {"delete", "delete STICK NR...",
     "delete rows (\"Zeile löschen\"); the numbers are those of the\n"
     "table before the command",
     ""},
    {"settings", "settings STICK [options]",
     "print the module settings, or check every value, then save", nullptr},
    {"verify", "verify STICK [--json]",
     "compare the stick with its index file; exit status 1 when\n"
     "they differ",
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
     "with its kind, file, folder and removable.\n"},
    {"repair", "repair STICK", "store what loading the stick repairs", ""},
    {"check", "check FILE... [--json]",
     "decode sound files to the end and print what they hold; exit\n"
     "status 1 when one is not valid MPEG audio",
     "\nEach file gets a line \"FILE: OK|NOT VALID|NOT CHECKED, FORMAT\" and an indented line\n"
     "for each thing small players stumble over: no MPEG audio (a renamed WAV), a file cut\n"
     "off or damaged before its end, embedded pictures, a sample rate below 32 kHz. A build\n"
     "without libmpg123 checks nothing. --json prints the findings as one JSON document.\n"},
    {"completion", "completion bash", "print the bash completion script", ""},
}};

std::string indented(const std::string& text) {
    std::string result;
    for (const char c : text) {
        result += c;
        if (c == '\n') {
            result += std::string(28, ' ');
        }
    }
    return result;
}

std::string commandLine(const CommandText& command) {
    std::string line = std::string("  ") + command.synopsis;
    if (line.size() < 28) {
        line += std::string(28 - line.size(), ' ');
    } else {
        line += "\n" + std::string(28, ' ');
    }
    return line + indented(command.summary) + "\n";
}

} // namespace

std::string usageText() {
    return std::string(Usage) + "See 'tonarion-cli --help'.\n";
}

std::string helpText() {
    std::string text = std::string(Usage) + About + "\nCommands:\n";
    for (const CommandText& command : Commands) {
        text += commandLine(command);
    }
    return text + BindChoices + SettingsChoices;
}

std::optional<std::string> commandHelp(const std::string& name) {
    for (const CommandText& command : Commands) {
        if (name == command.name) {
            std::string text = std::string("Usage: tonarion-cli ") + command.synopsis + "\n\n" +
                               command.summary + ".\n";
            if (name == "bind") {
                return text + BindChoices;
            }
            if (name == "settings") {
                return text + SettingsChoices;
            }
            return text + command.details;
        }
    }
    return std::nullopt;
}

} // namespace tonarion
