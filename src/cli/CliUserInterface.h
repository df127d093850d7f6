#pragma once

#include "model/UserInterface.h"

#include <ostream>
#include <string>

namespace tonarion {

// A message text with its CR LF line breaks as plain newlines.
std::string withPlainNewlines(const std::string& text);

// The command line's face: message boxes become lines on stderr (their CR LF line breaks as
// plain newlines). A question is not shown: the command that leads to it has already decided
// the answer, and a script has nobody to ask.
class CliUserInterface final : public UserInterface {
public:
    explicit CliUserInterface(std::ostream& out);

    MessageAnswer showMessage(const Message& message) override;
    void setBusyPointer(bool) override {}
    void showWaitWindow() override {}
    void hideWaitWindow() override {}
    void reportProgress(int, int) override {}
    void processPendingEvents() override {}

    void setQuestionAnswer(MessageAnswer answer) { m_answer = answer; }
    // While silent, messages are dropped: a command that looks at the stick once before it
    // acts would otherwise tell the same thing twice.
    void setSilent(bool silent) { m_silent = silent; }

private:
    std::ostream& m_out;
    MessageAnswer m_answer = MessageAnswer::Yes;
    bool m_silent = false;
};

} // namespace tonarion
