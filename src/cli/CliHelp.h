#pragma once

#include <optional>
#include <string>

namespace tonarion {

// The short reminder printed after "tonarion-cli" alone.
std::string usageText();
// "tonarion-cli --help": every command with its options. The README quotes it.
std::string helpText();
// "tonarion-cli COMMAND --help", or nothing for a command that does not exist.
std::optional<std::string> commandHelp(const std::string& command);

} // namespace tonarion
