#pragma once

#include "model/UserInterface.h"

#include <deque>
#include <string>
#include <utility>
#include <vector>

namespace tonarion::testing {

// Records what the logic shows the user. Questions are answered from answers queued with
// setNextAnswer; without one a question is answered "No" (and OK boxes with "OK").
class RecordingUserInterface final : public UserInterface {
public:
    MessageAnswer showMessage(const Message& message) override {
        messages.push_back(message);
        if (waitWindowVisible || busyPointer) {
            ++messagesUnderWaitWindow;
        }
        if (message.buttons == MessageButtons::Ok || m_answers.empty()) {
            return message.buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
        }
        const MessageAnswer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    void setBusyPointer(bool busy) override { busyPointer = busy; }
    void showWaitWindow() override { waitWindowVisible = ++waitWindowShown > 0; }
    void hideWaitWindow() override { waitWindowVisible = false; }
    void reportProgress(int done, int total) override { progress.emplace_back(done, total); }
    void processPendingEvents() override {}
    void setCancellable(bool cancellable) override { this->cancellable = cancellable; }
    bool cancelRequested() override { return cancellable && cancelNow; }

    void setNextAnswer(MessageAnswer answer) { m_answers.push_back(answer); }

    std::vector<std::string> texts() const {
        std::vector<std::string> result;
        for (const auto& message : messages) {
            result.push_back(message.text);
        }
        return result;
    }
    std::string lastText() const { return messages.empty() ? "" : messages.back().text; }

    std::vector<Message> messages;
    std::vector<std::pair<int, int>> progress; // done, total
    bool busyPointer = false;
    bool waitWindowVisible = false;
    int waitWindowShown = 0;
    // Messages that opened while the wait window or the hourglass was up, where the user
    // could take them for part of the save.
    int messagesUnderWaitWindow = 0;
    // "Abbrechen" pressed: work that may be stopped hears it while it is offered.
    bool cancelNow = false;
    bool cancellable = false;

private:
    std::deque<MessageAnswer> m_answers;
};

} // namespace tonarion::testing
