#include "workspace/Outcome.h"

namespace tonarion {

void tellOutcome(UserInterface& ui, const Outcome& outcome) {
    if (!outcome.text().empty()) {
        ui.showMessage(outcome.message);
    }
}

Message ReasonHold::take() {
    Message held = std::move(m_held).value_or(Message{});
    m_held.reset();
    return held;
}

void ReasonHold::release() {
    if (m_held) {
        m_ui.showMessage(take());
    }
}

MessageAnswer ReasonHold::showMessage(const Message& message) {
    release();
    // A question is asked at once: the operation goes on with its answer.
    if (message.buttons != MessageButtons::Ok) {
        return m_ui.showMessage(message);
    }
    m_held = message;
    return MessageAnswer::Ok;
}

void ReasonHold::setBusyPointer(bool busy) {
    release();
    m_ui.setBusyPointer(busy);
}

void ReasonHold::showWaitWindow() {
    release();
    m_ui.showWaitWindow();
}

void ReasonHold::hideWaitWindow() {
    release();
    m_ui.hideWaitWindow();
}

void ReasonHold::reportProgress(int done, int total) {
    release();
    m_ui.reportProgress(done, total);
}

void ReasonHold::processPendingEvents() {
    release();
    m_ui.processPendingEvents();
}

void ReasonHold::setCancellable(bool cancellable) {
    release();
    m_ui.setCancellable(cancellable);
}

bool ReasonHold::cancelRequested() {
    release();
    return m_ui.cancelRequested();
}

} // namespace tonarion
