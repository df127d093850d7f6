#include "cli/CliCommand.h"
#include "event/EventForm.h"
#include "event/EventOptions.h"
#include "model/EntryName.h"
#include "model/QuarterHours.h"
#include "model/SoundFileDrop.h"

#include <CLI/CLI.hpp>

namespace tonarion {

std::optional<int> quarterHourIndex(const std::string& time) {
    for (int index = 0; index < QuarterHourCount; ++index) {
        if (quarterHourText(index) == time) {
            return index;
        }
    }
    return std::nullopt;
}

namespace {

const char* const CategoryWords[] = {"all", "1", "2", "3", "4", "loco"};

EventKind kindFromLetter(const std::string& letter) {
    for (int index = 0; index < EventKindCount; ++index) {
        if (letter.size() == 1 &&
            KindOptions[static_cast<std::size_t>(index)].letter == letter[0]) {
            return static_cast<EventKind>(index);
        }
    }
    throw UsageError("--event must be one of M, R, L, K, Z, U, E");
}

// The options that name what a kind's page of the dialog offers.
std::set<std::string> offeredOptions(EventKind kind) {
    const KindChoices& offers = kindChoices(kind);
    std::set<std::string> offered = {"--file", "--row", "--event", "--convert"};
    const auto offer = [&offered](bool shown, std::initializer_list<const char*> names) {
        if (shown) {
            offered.insert(names.begin(), names.end());
        }
    };
    offer(offers.status, {"--status"});
    offer(offers.mode, {"--mode"});
    offer(offers.priority, {"--prio"});
    offer(offers.time, {"--time"});
    offer(offers.position, {"--position"});
    offer(offers.numbers == AddressFrame::FromTo, {"--adr1", "--adr2"});
    offer(offers.numbers == AddressFrame::Receiver, {"--adr1", "--category", "--loco"});
    offer(offers.numbers == AddressFrame::Contacts, {"--contact-from", "--contact-to"});
    return offered;
}

int statusIndex(const StatusOptions& options, const std::string& letter) {
    for (std::size_t index = 0; index < options.size(); ++index) {
        if (letter.size() == 1 && codeLetter(options[index].codeText) == letter[0]) {
            return static_cast<int>(index);
        }
    }
    std::string letters;
    for (const auto& option : options) {
        letters += std::string(letters.empty() ? "" : ", ") + codeLetter(option.codeText);
    }
    throw UsageError("--status must be one of " + letters);
}

int categoryIndex(const std::string& text) {
    for (int index = 0; index < static_cast<int>(std::size(CategoryWords)); ++index) {
        if (text == CategoryWords[index]) {
            return index;
        }
    }
    throw UsageError("--category must be one of all, 1, 2, 3, 4, loco");
}

class Bind final : public StickCommand {
public:
    Bind(CLI::App& program, CliEnvironment& environment)
        : StickCommand(program, environment,
                       {"bind",
                        "bind STICK (--file PATH [--convert] | --row NR) [--event KIND] [choices]",
                        "add PATH (as a drop does) or take row NR, bind it to an event\nas OK in "
                        "the event dialog does and print its file name; with\n--row, every choice "
                        "not given stays as the row has it",
                        "\nA PATH of another format (WAV, FLAC, OGG Vorbis, Opus) is refused "
                        "unless --convert\nis given; then it is converted to the module's MP3 as "
                        "a drop in the window\nconverts it, and the stick gets the MP3.\n",
                        "Choices of bind (which ones a KIND offers is what its dialog page "
                        "shows):"}) {
        option("--file", "PATH");
        option("--row", "NR");
        flag("--convert");
        option("--event", "M|R|L|K|Z|U|E",
               "Magnetartikel, Rückmeldung, ZIDAS Empfänger, Kontakt,\nZufällige, Zeitgesteuerte "
               "or Endlose Wiedergabe");
        option("--status", "LETTER", "M: R G X   R: B F X   L: X 1 2   K: O S A");
        option("--mode", "M|O", "may be interrupted (M) or not (O)");
        option("--prio", "1-4", "play priority");
        option("--adr1", "TEXT", "M, R: the von and bis addresses; L: --adr1 is the receiver",
               "addresses");
        option("--adr2", "TEXT", "", "addresses");
        option("--category", "all|1|2|3|4|loco",
               "L: all locomotives, a train category, or one loco");
        option("--loco", "TEXT", "L: the loco address with --category loco");
        option("--contact-from", "1-10", "K: first and last contact", "contacts");
        option("--contact-to", "1-10", "", "contacts");
        option("--time", "HH:MM", "U: a quarter hour of the model clock");
        option("--position", "1-127", "E: the play position");
    }

    int run() override;

    // Acts on the event form as the options say, as a user would in the dialog: --event
    // chooses the kind unless the form shows it already (pre-filled from the row), and each
    // other option changes its own control. An option the kind does not offer is a UsageError.
    void choose(EventForm& form) const;

private:
    // A sound of another format is converted as a drop in the window converts it, and only
    // when the command line says so: a script should not get an MP3 it did not ask for.
    void takeConversion(const std::string& path) {
        if (has("--convert")) {
            if (!m_env.converter) {
                throw UsageError("this build cannot convert sounds; --convert is not available");
            }
            useConverter();
            return;
        }
        if (FileExtension(path) == "MP3" || !m_env.converter) {
            return;
        }
        const auto bytes = m_env.files.readFile(path);
        if (bytes && m_env.converter->convertible(
                         {reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()})) {
            throw UsageError(path + " is no MP3 file; --convert converts it");
        }
    }

    std::optional<int> number(const std::string& name, int lowest, int highest) const {
        const auto text = value(name);
        return text ? std::optional<int>(wholeNumber(*text, lowest, highest, name)) : std::nullopt;
    }
};

void Bind::choose(EventForm& form) const {
    const auto letter = value("--event");
    if (!letter && !form.controls().kind) {
        throw UsageError("bind needs --event");
    }
    if (letter) {
        const int chosen = static_cast<int>(kindFromLetter(*letter));
        if (form.controls().kind != chosen) {
            // Another kind than the row's starts from the dialog as it opens for a new row.
            form = EventForm();
            form.kindChosen(chosen);
        }
    }
    const auto kind = static_cast<EventKind>(*form.controls().kind);
    const std::set<std::string> offered = offeredOptions(kind);
    for (const auto& name : givenOptions()) {
        if (!offered.contains(name) && name != "--help") {
            throw UsageError("--event " + std::string(1, kindOption(kind).letter) + " offers no " +
                             name);
        }
    }
    if (const auto status = value("--status")) {
        form.statusChosen(statusIndex(*statusOptions(kind), *status));
    }
    if (const auto mode = value("--mode")) {
        if (*mode != "M" && *mode != "O") {
            throw UsageError("--mode must be M or O");
        }
        form.modeChosen(*mode == "M" ? 1 : 0);
    }
    if (const auto prio = number("--prio", 1, 4)) {
        form.listChosen(ValueList::Combo2, *prio - 1);
    }
    if (const auto time = value("--time")) {
        const auto index = quarterHourIndex(*time);
        if (!index) {
            throw UsageError("--time must be a quarter hour from 00:00 to 23:45");
        }
        form.listChosen(ValueList::Combo1, *index);
    }
    if (const auto position = number("--position", 1, 127)) {
        form.listChosen(ValueList::Combo4, *position - 1);
    }
    const auto type = [this, &form](const char* name, AddressBox box) {
        if (const auto text = value(name)) {
            form.textChanged(box, *text);
        }
    };
    if (kind == EventKind::Zidas) {
        type("--adr1", AddressBox::Receiver);
        type("--loco", AddressBox::Loco);
        if (const auto chosen = value("--category")) {
            form.addressChosen(categoryIndex(*chosen));
        }
    } else {
        type("--adr1", AddressBox::From);
        type("--adr2", AddressBox::To);
    }
    // The last contact counts only once the first one is chosen, given or pre-filled; a
    // first contact given anew starts the contact choice afresh.
    const auto from = number("--contact-from", 1, 10);
    if (from || form.controls().combo3[0] >= 0) {
        const auto to = number("--contact-to", 1, 10);
        if (from) {
            form.contactChosen(1, to ? *to - 1 : -1);
            form.contactChosen(0, *from - 1);
        } else if (to) {
            form.contactChosen(1, *to - 1);
        }
    }
}

int Bind::run() {
    const auto file = value("--file");
    const auto row = value("--row");
    if (file.has_value() == row.has_value()) {
        throw UsageError("bind needs either --file PATH or --row NR");
    }
    if (file) {
        takeConversion(absolutePath(*file));
    }
    if (!lookAtStick()) {
        return Refused;
    }
    int editRow = table().nextRow();
    EventSelection selection;
    if (file) {
        EventForm form;
        choose(form);
        selection = form.selection();
        m_ui.setSilent(true);
        const int dropped =
            m_workspace->dropFiles(std::vector<std::string>{absolutePath(*file)}).added;
        m_ui.setSilent(false);
        if (dropped != 1) {
            editRow = 0; // the drop below tells why
        }
    } else {
        editRow = rowNumber(*row, "--row");
        // The event dialog opens only for a row that holds a sound file.
        if (!m_workspace->canBind(editRow)) {
            throw UsageError("row " + std::to_string(editRow) + " holds no sound file");
        }
        // The dialog opens with the row's choices; what the command line names replaces them.
        // The command line reads them from the name itself, whatever the Ereigniss cell shows.
        EventForm form(table().row(editRow).entryName, true);
        form.setLayoutfrmAktion();
        choose(form);
        selection = form.selection();
    }
    if (editRow > 0) {
        // Refused in the dialog's words: a full kind is the stick's limit, anything else a
        // choice missing from the command line.
        if (const auto composed = m_workspace->compose(editRow, selection); !composed) {
            tellOutcome(m_ui, composed.outcome());
            return exitStatusOf(composed.outcome());
        }
    }

    if (!loadStick(m_env.files)) {
        return Refused;
    }
    if (file) {
        const DropOutcome dropped =
            m_workspace->dropFiles(std::vector<std::string>{absolutePath(*file)});
        tellDropOutcome(m_ui, dropped);
        if (dropped.added != 1) {
            return Refused;
        }
        editRow = table().nextRow() - 1;
    }
    const auto bound = m_workspace->bind(editRow, selection);
    if (!bound) {
        tellOutcome(m_ui, bound.outcome());
        return Refused;
    }
    // The bind commits at once; what it could not store, the closing commit tries again.
    tellOutcome(m_ui, bound->committed);
    if (closeAndCommit() != Success || !m_workspace->stickHolds(bound->entryName)) {
        return Refused;
    }
    m_env.out << bound->entryName << '\n';
    return Success;
}

} // namespace

std::unique_ptr<CliCommand> declareBind(CLI::App& program, CliEnvironment& environment) {
    return std::make_unique<Bind>(program, environment);
}

EventSelection bindSelection(std::vector<std::string> optionWords, CliEnvironment& environment,
                             const std::string& rowName) {
    CLI::App program;
    program.set_help_flag();
    Bind bind(program, environment);
    optionWords.insert(optionWords.begin(), "bind");
    std::reverse(optionWords.begin(), optionWords.end());
    program.parse(optionWords);
    EventForm form = rowName.empty() ? EventForm() : EventForm(rowName, true);
    if (!rowName.empty()) {
        form.setLayoutfrmAktion();
    }
    bind.choose(form);
    return form.selection();
}

} // namespace tonarion
