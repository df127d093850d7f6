#pragma once

#include "event/EventForm.h"
#include "event/EventSelection.h"

#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace tonarion {

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

// Options that stand alone; every other option takes the next word as its value.
inline const std::set<std::string> FlagOptions = {"--help", "-h", "--json", "--version"};

// "tonarion-cli COMMAND ARG... --option VALUE ... --flag".
struct CliArguments {
    std::string command;
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;
    std::set<std::string> flags;

    // Throws UsageError for an option without its value, a repeated option or an option
    // spelled with one dash.
    static CliArguments parse(const std::vector<std::string>& words);

    // Throws UsageError for an option or flag outside the allowed sets or a number of
    // positional arguments outside [fewest, most].
    void expect(std::size_t fewest, std::size_t most, const std::set<std::string>& allowed,
                const std::set<std::string>& allowedFlags = {}) const;

    bool has(const std::string& flag) const { return flags.contains(flag); }
    std::optional<std::string> option(const std::string& name) const;
    // A whole number in [lowest, highest]; UsageError otherwise.
    std::optional<int> numberOption(const std::string& name, int lowest, int highest) const;
};

// Acts on the event form as the options of "bind" say, as a user would in the dialog: --event
// chooses the kind unless the form shows it already (pre-filled from the row), and each
// other option changes its own control. An option the kind does not offer is a UsageError.
void chooseFromOptions(const CliArguments& arguments, EventForm& form);

// The choices the options make on the form of a row without an event.
EventSelection selectionFromOptions(const CliArguments& arguments);

// The module settings a command line asks for, every value checked before anything is
// changed: one name per setting given, as the settings dialog would compute it.
struct RequestedSettings {
    std::optional<int> volume;
    std::optional<std::string> modelTime; // the digits as typed
    std::optional<int> startTime;         // quarter-hour index
    std::optional<std::string> stretch;
    std::optional<bool> clockSync;
    std::optional<std::string> endlessAddress;

    bool any() const {
        return volume || modelTime || startTime || stretch || clockSync || endlessAddress;
    }
};
RequestedSettings requestedSettings(const CliArguments& arguments);

// Options of "bind" and "settings".
extern const std::set<std::string> BindOptions;
extern const std::set<std::string> SettingsOptions;

int wholeNumber(const std::string& text, int lowest, int highest, const std::string& what);

} // namespace tonarion
