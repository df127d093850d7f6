#pragma once

#include "model/UserInterface.h"

namespace tonarion {

// Shows the hourglass pointer and the wait window for as long as it lives, for a long write
// to the stick. Pending window events run after each, so that both are drawn before the
// slow work begins. They go in the reverse order, the wait window first and then the
// pointer, however the work ends; the user is told of its outcome only after that, so a
// message never opens behind the wait window.
class WaitIndicator {
public:
    explicit WaitIndicator(UserInterface& ui)
        : m_ui(ui) {
        m_ui.setBusyPointer(true);
        m_ui.processPendingEvents();
        m_ui.showWaitWindow();
        m_ui.processPendingEvents();
    }
    ~WaitIndicator() {
        m_ui.hideWaitWindow();
        m_ui.setBusyPointer(false);
    }
    WaitIndicator(const WaitIndicator&) = delete;
    WaitIndicator& operator=(const WaitIndicator&) = delete;

private:
    UserInterface& m_ui;
};

} // namespace tonarion
