#include "cli/CliUserInterface.h"

namespace tonarion {

std::string withPlainNewlines(const std::string& text) {
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            plain += text[i];
        }
    }
    return plain;
}

CliUserInterface::CliUserInterface(std::ostream& out)
    : m_out(out) {}

MessageAnswer CliUserInterface::showMessage(const Message& message) {
    if (message.buttons != MessageButtons::Ok) {
        return m_answer;
    }
    if (!m_silent) {
        m_out << withPlainNewlines(message.text) << '\n';
    }
    return MessageAnswer::Ok;
}

} // namespace tonarion
