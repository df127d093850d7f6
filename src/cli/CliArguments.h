#pragma once

#include "event/EventPrefill.h"
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

// The event dialog's choices that the options of "bind" name, as the dialog would record
// them. An option the chosen kind does not offer is a UsageError.
EventSelection selectionFromOptions(const CliArguments& arguments);

// The options of "bind" that choose what the event dialog pre-fills from a row's entry, so
// that options given on the command line change only their own choice.
std::map<std::string, std::string> prefillOptions(const EventPrefill& prefill);

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
