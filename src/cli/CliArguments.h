#pragma once

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

// "tonarion-cli COMMAND ARG... --option VALUE ...": every option takes a value.
struct CliArguments {
    std::string command;
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;

    static CliArguments parse(const std::vector<std::string>& words);

    // Throws UsageError for an option outside the allowed set or a wrong number of
    // positional arguments.
    void expect(std::size_t positionalCount, const std::set<std::string>& allowed) const;

    std::optional<std::string> option(const std::string& name) const;
    // A whole number in [lowest, highest]; UsageError otherwise.
    std::optional<int> numberOption(const std::string& name, int lowest, int highest) const;
};

// The event dialog's choices that the options of "bind" name, as the dialog would record
// them. An option the chosen kind does not offer is a UsageError.
EventSelection selectionFromOptions(const CliArguments& arguments);

// Options of "bind" and "settings".
extern const std::set<std::string> BindOptions;
extern const std::set<std::string> SettingsOptions;

int wholeNumber(const std::string& text, int lowest, int highest, const std::string& what);

} // namespace tonarion
