#pragma once

#include "model/UserInterface.h"

#include <ostream>
#include <string>

namespace tonarion {

// A message text with its CR LF line breaks as plain newlines.
std::string withPlainNewlines(const std::string& text);

// The command line's face: message boxes become lines on stderr (their CR LF line breaks as
// plain newlines), questions are answered with the answer the command asked for.
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
    int messagesShown() const { return m_messages; }

private:
    std::ostream& m_out;
    MessageAnswer m_answer = MessageAnswer::Yes;
    int m_messages = 0;
};

} // namespace tonarion
