#include "cli/CliArguments.h"

#include "event/EventOptions.h"
#include "model/QuarterHours.h"

#include <charconv>

namespace tonarion {

const std::set<std::string> BindOptions = {
    "--file", "--row",      "--event", "--status",       "--mode",       "--prio", "--adr1",
    "--adr2", "--category", "--loco",  "--contact-from", "--contact-to", "--time", "--position",
};

const std::set<std::string> SettingsOptions = {
    "--volume", "--model-time", "--start-time", "--stretch", "--clock-sync", "--endless-address",
};

int wholeNumber(const std::string& text, int lowest, int highest, const std::string& what) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() ||
        value < lowest || value > highest) {
        throw UsageError(what + " must be a number from " + std::to_string(lowest) + " to " +
                         std::to_string(highest) + ", not '" + text + "'");
    }
    return value;
}

CliArguments CliArguments::parse(const std::vector<std::string>& words) {
    CliArguments arguments;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word.starts_with("--")) {
            if (i + 1 >= words.size()) {
                throw UsageError("option " + word + " needs a value");
            }
            arguments.options[word] = words[++i];
        } else if (arguments.command.empty()) {
            arguments.command = word;
        } else {
            arguments.positional.push_back(word);
        }
    }
    return arguments;
}

void CliArguments::expect(std::size_t positionalCount, const std::set<std::string>& allowed) const {
    if (positional.size() != positionalCount) {
        throw UsageError("'" + command + "' takes " + std::to_string(positionalCount) +
                         " argument(s)");
    }
    for (const auto& [name, value] : options) {
        if (!allowed.contains(name)) {
            throw UsageError("'" + command + "' has no option " + name);
        }
    }
}

std::optional<std::string> CliArguments::option(const std::string& name) const {
    const auto found = options.find(name);
    return found == options.end() ? std::nullopt : std::optional<std::string>(found->second);
}

std::optional<int> CliArguments::numberOption(const std::string& name, int lowest,
                                              int highest) const {
    const auto text = option(name);
    if (!text) {
        return std::nullopt;
    }
    return wholeNumber(*text, lowest, highest, name);
}

namespace {

EventKind kindFromLetter(const std::string& letter) {
    for (int index = 0; index < EventKindCount; ++index) {
        if (letter.size() == 1 &&
            KindOptions[static_cast<std::size_t>(index)].letter == letter[0]) {
            return static_cast<EventKind>(index);
        }
    }
    throw UsageError("--event must be one of M, R, L, K, Z, U, E");
}

// Refuses the options that the dialog does not show for this kind.
void refuseOptionsOutside(const CliArguments& arguments, EventKind kind) {
    std::set<std::string> offered;
    switch (kind) {
    case EventKind::Magnetartikel:
    case EventKind::Rueckmeldung:
        offered = {"--status", "--mode", "--prio", "--adr1", "--adr2"};
        break;
    case EventKind::Zidas:
        offered = {"--status", "--mode", "--prio", "--adr1", "--category", "--loco"};
        break;
    case EventKind::Kontakt:
        offered = {"--status", "--mode", "--prio", "--contact-from", "--contact-to"};
        break;
    case EventKind::Zufall:
        offered = {"--mode"};
        break;
    case EventKind::Uhrzeit:
        offered = {"--mode", "--time"};
        break;
    case EventKind::Endlos:
        offered = {"--position"};
        break;
    }
    for (const auto& [name, value] : arguments.options) {
        if (name != "--file" && name != "--row" && name != "--event" && !offered.contains(name)) {
            throw UsageError("--event " + std::string(1, kindOption(kind).letter) + " offers no " +
                             name);
        }
    }
}

std::string statusCodeText(const StatusOptions& options, const std::string& letter) {
    for (const auto& option : options) {
        if (letter.size() == 1 && codeLetter(option.codeText) == letter[0]) {
            return option.codeText;
        }
    }
    std::string letters;
    for (const auto& option : options) {
        letters += std::string(letters.empty() ? "" : ", ") + codeLetter(option.codeText);
    }
    throw UsageError("--status must be one of " + letters);
}

ChosenListEntry quarterHour(const std::string& time) {
    for (int index = 0; index < QuarterHourCount; ++index) {
        if (quarterHourText(index) == time) {
            return {index, time};
        }
    }
    throw UsageError("--time must be a quarter hour from 00:00 to 23:45");
}

ChosenOption category(const std::string& text) {
    const std::map<std::string, int> categories = {{"all", 0}, {"1", 1}, {"2", 2},
                                                   {"3", 3},   {"4", 4}, {"loco", 5}};
    const auto found = categories.find(text);
    if (found == categories.end()) {
        throw UsageError("--category must be one of all, 1, 2, 3, 4, loco");
    }
    return {found->second, optADR[static_cast<std::size_t>(found->second)].codeText};
}

} // namespace

EventSelection selectionFromOptions(const CliArguments& arguments) {
    const auto letter = arguments.option("--event");
    if (!letter) {
        throw UsageError("bind needs --event");
    }
    const EventKind kind = kindFromLetter(*letter);
    refuseOptionsOutside(arguments, kind);

    EventSelection selection;
    selection.selEreignis = static_cast<int>(kind);
    if (const auto status = arguments.option("--status")) {
        selection.selStatus = statusCodeText(*statusOptions(kind), *status);
    }
    if (const auto mode = arguments.option("--mode")) {
        if (*mode != "M" && *mode != "O") {
            throw UsageError("--mode must be M or O");
        }
        selection.selModus = Option2[*mode == "M" ? 1 : 0].codeText;
    }
    if (const auto prio = arguments.numberOption("--prio", 1, 4)) {
        selection.selWert = ChosenListEntry{*prio - 1, std::to_string(*prio)};
    }
    if (const auto time = arguments.option("--time")) {
        selection.selWert = quarterHour(*time);
    }
    if (const auto position = arguments.numberOption("--position", 1, 127)) {
        selection.selWert = ChosenListEntry{*position - 1, std::to_string(*position)};
    }
    const auto adr1 = arguments.option("--adr1");
    if (kind == EventKind::Zidas) {
        // The receiver box and the loco box each record only themselves.
        selection.selAdr1 = adr1;
        selection.selAdr2 = arguments.option("--loco");
        if (const auto chosen = arguments.option("--category")) {
            selection.selAdresse = category(*chosen);
        }
    } else if (const auto adr2 = arguments.option("--adr2"); adr1 || adr2) {
        // Editing either von/bis box records both, the untouched one reading "-".
        selection.selAdr1 = adr1.value_or("-");
        selection.selAdr2 = adr2.value_or("-");
    }
    // A last contact chosen before the first one records nothing.
    if (const auto from = arguments.numberOption("--contact-from", 1, 10)) {
        selection.selKontaktVon = std::to_string(*from);
        const auto to = arguments.numberOption("--contact-to", 1, 10);
        selection.selKontaktBis = to ? std::to_string(*to) : std::string();
    }
    return selection;
}

} // namespace tonarion
