#include "cli/CliArguments.h"

#include "model/QuarterHours.h"
#include "model/WholeNumber.h"
#include "settings/SettingEntry.h"

namespace tonarion {

const std::set<std::string> BindOptions = {
    "--file", "--row",      "--event", "--status",       "--mode",       "--prio", "--adr1",
    "--adr2", "--category", "--loco",  "--contact-from", "--contact-to", "--time", "--position",
};

const std::set<std::string> SettingsOptions = {
    "--volume", "--model-time", "--start-time", "--stretch", "--clock-sync", "--endless-address",
};

int wholeNumber(const std::string& text, int lowest, int highest, const std::string& what) {
    const auto value = wholeNumber(text);
    if (!value || *value < lowest || *value > highest) {
        throw UsageError(what + " must be a number from " + std::to_string(lowest) + " to " +
                         std::to_string(highest) + ", not '" + text + "'");
    }
    return *value;
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

// The options that name what a kind's page of the dialog offers.
std::set<std::string> offeredOptions(EventKind kind) {
    const KindChoices& offers = kindChoices(kind);
    std::set<std::string> offered;
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

std::optional<int> quarterHourIndex(const std::string& time) {
    for (int index = 0; index < QuarterHourCount; ++index) {
        if (quarterHourText(index) == time) {
            return index;
        }
    }
    return std::nullopt;
}

int categoryIndex(const std::string& text) {
    for (int index = 0; index < static_cast<int>(std::size(CategoryWords)); ++index) {
        if (text == CategoryWords[index]) {
            return index;
        }
    }
    throw UsageError("--category must be one of all, 1, 2, 3, 4, loco");
}

} // namespace

void chooseFromOptions(const CliArguments& arguments, EventForm& form) {
    const auto letter = arguments.option("--event");
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
    refuseOptionsOutside(arguments, kind);

    if (const auto status = arguments.option("--status")) {
        form.statusChosen(statusIndex(*statusOptions(kind), *status));
    }
    if (const auto mode = arguments.option("--mode")) {
        if (*mode != "M" && *mode != "O") {
            throw UsageError("--mode must be M or O");
        }
        form.modeChosen(*mode == "M" ? 1 : 0);
    }
    if (const auto prio = arguments.numberOption("--prio", 1, 4)) {
        form.listChosen(ValueList::Combo2, *prio - 1);
    }
    if (const auto time = arguments.option("--time")) {
        const auto index = quarterHourIndex(*time);
        if (!index) {
            throw UsageError("--time must be a quarter hour from 00:00 to 23:45");
        }
        form.listChosen(ValueList::Combo1, *index);
    }
    if (const auto position = arguments.numberOption("--position", 1, 127)) {
        form.listChosen(ValueList::Combo4, *position - 1);
    }
    const auto type = [&arguments, &form](const char* name, AddressBox box) {
        if (const auto text = arguments.option(name)) {
            form.textChanged(box, *text);
        }
    };
    if (kind == EventKind::Zidas) {
        type("--adr1", AddressBox::Receiver);
        type("--loco", AddressBox::Loco);
        if (const auto chosen = arguments.option("--category")) {
            form.addressChosen(categoryIndex(*chosen));
        }
    } else {
        type("--adr1", AddressBox::From);
        type("--adr2", AddressBox::To);
    }
    // The last contact counts only once the first one is chosen, given or pre-filled; a
    // first contact given anew starts the contact choice afresh.
    const auto from = arguments.numberOption("--contact-from", 1, 10);
    if (from || form.controls().combo3[0] >= 0) {
        const auto to = arguments.numberOption("--contact-to", 1, 10);
        if (from) {
            form.contactChosen(1, to ? *to - 1 : -1);
            form.contactChosen(0, *from - 1);
        } else if (to) {
            form.contactChosen(1, *to - 1);
        }
    }
}

EventSelection selectionFromOptions(const CliArguments& arguments) {
    EventForm form;
    chooseFromOptions(arguments, form);
    return form.selection();
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
