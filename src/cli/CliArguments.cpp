#include "cli/CliArguments.h"

#include "event/EventOptions.h"
#include "model/QuarterHours.h"
#include "settings/SettingEntry.h"

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
        if (FlagOptions.contains(word)) {
            if (!arguments.flags.insert(word).second) {
                throw UsageError("option " + word + " given twice");
            }
        } else if (word.starts_with("--")) {
            if (i + 1 >= words.size()) {
                throw UsageError("option " + word + " needs a value");
            }
            if (!arguments.options.emplace(word, words[++i]).second) {
                throw UsageError("option " + word + " given twice");
            }
        } else if (word.size() > 1 && word.starts_with('-')) {
            throw UsageError("unknown option " + word);
        } else if (arguments.command.empty()) {
            arguments.command = word;
        } else {
            arguments.positional.push_back(word);
        }
    }
    return arguments;
}

void CliArguments::expect(std::size_t fewest, std::size_t most,
                          const std::set<std::string>& allowed,
                          const std::set<std::string>& allowedFlags) const {
    if (positional.size() < fewest || positional.size() > most) {
        const std::string count =
            fewest == most ? std::to_string(fewest) : std::to_string(fewest) + " or more";
        throw UsageError("'" + command + "' takes " + count + " argument(s)");
    }
    for (const auto& [name, value] : options) {
        if (!allowed.contains(name)) {
            throw UsageError("'" + command + "' has no option " + name);
        }
    }
    for (const auto& flag : flags) {
        if (!allowedFlags.contains(flag)) {
            throw UsageError("'" + command + "' has no option " + flag);
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

// The options of the dialog page of each kind.
std::set<std::string> offeredOptions(EventKind kind) {
    switch (kind) {
    case EventKind::Magnetartikel:
    case EventKind::Rueckmeldung:
        return {"--status", "--mode", "--prio", "--adr1", "--adr2"};
    case EventKind::Zidas:
        return {"--status", "--mode", "--prio", "--adr1", "--category", "--loco"};
    case EventKind::Kontakt:
        return {"--status", "--mode", "--prio", "--contact-from", "--contact-to"};
    case EventKind::Zufall:
        return {"--mode"};
    case EventKind::Uhrzeit:
        return {"--mode", "--time"};
    case EventKind::Endlos:
        return {"--position"};
    }
    return {};
}

// Refuses the options that the dialog does not show for this kind.
void refuseOptionsOutside(const CliArguments& arguments, EventKind kind) {
    const std::set<std::string> offered = offeredOptions(kind);
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

std::optional<int> quarterHourIndex(const std::string& time) {
    for (int index = 0; index < QuarterHourCount; ++index) {
        if (quarterHourText(index) == time) {
            return index;
        }
    }
    return std::nullopt;
}

ChosenOption category(const std::string& text) {
    for (int index = 0; index < static_cast<int>(std::size(CategoryWords)); ++index) {
        if (text == CategoryWords[index]) {
            return {index, optADR[static_cast<std::size_t>(index)].codeText};
        }
    }
    throw UsageError("--category must be one of all, 1, 2, 3, 4, loco");
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
        const auto index = quarterHourIndex(*time);
        if (!index) {
            throw UsageError("--time must be a quarter hour from 00:00 to 23:45");
        }
        selection.selWert = ChosenListEntry{*index, *time};
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

std::map<std::string, std::string> prefillOptions(const EventPrefill& prefill) {
    const auto kind = static_cast<EventKind>(prefill.kindIndex);
    std::map<std::string, std::string> options;
    options["--event"] = std::string(1, kindOption(kind).letter);
    const auto number = [](int position) {
        return std::to_string(position + 1);
    };
    if (const StatusOptions* group = statusOptions(kind); group && prefill.statusOption) {
        options["--status"] = std::string(
            1, codeLetter((*group)[static_cast<std::size_t>(*prefill.statusOption)].codeText));
    }
    // The dialog of a turnout entry shows its mode only together with its priority.
    if (prefill.modeOption && (kind != EventKind::Magnetartikel || prefill.priorityStep)) {
        // Built as a string first: assigning the bare literal into the map's string makes
        // GCC 12 at -O3 warn about an overlap that cannot happen.
        options["--mode"] = std::string(*prefill.modeOption == 1 ? "M" : "O");
    }
    if (prefill.priorityStep && prefill.priorityPosition) {
        options["--prio"] = number(*prefill.priorityPosition);
    }
    if (prefill.timePosition) {
        options["--time"] = quarterHourText(*prefill.timePosition);
    }
    if (prefill.playPosition) {
        options["--position"] = number(*prefill.playPosition);
    }
    if (prefill.firstContact) {
        options["--contact-from"] = number(*prefill.firstContact);
        if (prefill.lastContact) {
            options["--contact-to"] = number(*prefill.lastContact);
        }
    }
    if (kind == EventKind::Zidas) {
        if (prefill.receiverText) {
            options["--adr1"] = *prefill.receiverText;
        }
        if (prefill.addressOption) {
            options["--category"] = CategoryWords[*prefill.addressOption];
        }
        if (prefill.locoText) {
            options["--loco"] = *prefill.locoText;
        }
    } else {
        if (prefill.fromText) {
            options["--adr1"] = *prefill.fromText;
        }
        if (prefill.toText) {
            options["--adr2"] = *prefill.toText;
        }
    }
    // Only what the kind's page shows; anything else the name encodes stays unchosen.
    const std::set<std::string> offered = offeredOptions(kind);
    std::erase_if(options, [&offered](const auto& option) {
        return option.first != "--event" && !offered.contains(option.first);
    });
    return options;
}

RequestedSettings requestedSettings(const CliArguments& arguments) {
    for (const auto& name : SettingsOptions) {
        if (arguments.option(name) && arguments.option(name)->empty()) {
            throw UsageError(name + " needs a value, not an empty text");
        }
    }
    RequestedSettings wanted;
    wanted.volume = arguments.numberOption("--volume", 1, 31);
    // The text fields take what the dialog's fields take, refused with the dialog's words.
    const auto field = [&arguments](const std::string& name, Setting setting) {
        const auto text = arguments.option(name);
        if (text) {
            if (auto refusal = fieldValueName(setting, *text).refusal; !refusal.empty()) {
                throw RefusedValue(refusal);
            }
        }
        return text;
    };
    wanted.modelTime = field("--model-time", Setting::ModelTime);
    wanted.stretch = field("--stretch", Setting::Stretch);
    wanted.endlessAddress = field("--endless-address", Setting::EndlessAddress);
    if (const auto time = arguments.option("--start-time")) {
        wanted.startTime = quarterHourIndex(*time);
        if (!wanted.startTime) {
            throw UsageError("--start-time must be a quarter hour from 00:00 to 23:45");
        }
    }
    if (const auto sync = arguments.numberOption("--clock-sync", 0, 1)) {
        wanted.clockSync = *sync == 1;
    }
    return wanted;
}

} // namespace tonarion
