#pragma once

#include "model/UserInterface.h"

#include <memory>

namespace tonarion {

class WaitWindow;

// The logic's way to the user, with Qt: German message boxes titled "Tonarion", the
// program-wide hourglass, the wait window and its progress bar.
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

private:
    std::unique_ptr<WaitWindow> m_waitWindow;
    int m_busyDepth = 0;
};

} // namespace tonarion
