#pragma once

#include "model/UserInterface.h"

#include <memory>

namespace tonarion {

class WaitWindow;
class InputDuringWork;

// The logic's way to the user, with Qt: German message boxes titled "Tonarion", the
// program-wide hourglass, the wait window with its progress bar and, for work that may be
// stopped, its button "Abbrechen".
class QtUserInterface final : public UserInterface {
public:
    QtUserInterface();
    ~QtUserInterface() override;

    MessageAnswer showMessage(const Message& message) override;
    void setBusyPointer(bool busy) override;
    void showWaitWindow() override;
    void hideWaitWindow() override;
    void reportProgress(int done, int total) override;
    void processPendingEvents() override;
    void setCancellable(bool cancellable) override;
    bool cancelRequested() override;

private:
    void cancel();

    std::unique_ptr<WaitWindow> m_waitWindow;
    int m_busyDepth = 0;
    // While the work may be stopped, the windows' input is held back except for the wait
    // window's button, Escape and a message box the work opens.
    std::unique_ptr<InputDuringWork> m_inputDuringWork;
    bool m_cancelPressed = false;
};

} // namespace tonarion
