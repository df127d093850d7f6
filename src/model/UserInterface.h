#pragma once

#include <string>

namespace tonarion {

// Everything the logic has to show the user goes through this interface: the Qt layer
// implements it with real windows, the command-line front end with stderr, and tests with a
// recording fake. The logic itself never opens a window.

enum class MessageIcon { None, Information, Critical, Question };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// The program's name is the title of every message box unless a message says otherwise.
inline constexpr const char* ProgramTitle = "Tonarion";

struct Message {
    std::string text; // lines joined by CR LF
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    std::string title = ProgramTitle;
    // The button of a question that Enter presses.
    MessageAnswer defaultAnswer = MessageAnswer::Yes;
};

class UserInterface {
public:
    virtual ~UserInterface() = default;

    // Modal message box; returns the button the user pressed.
    virtual MessageAnswer showMessage(const Message& message) = 0;

    // The hourglass pointer for the whole program while a long write runs.
    virtual void setBusyPointer(bool busy) = 0;

    // The wait window "SPEICHERVORGANG / BITTE WARTEN..." (not modal).
    virtual void showWaitWindow() = 0;
    virtual void hideWaitWindow() = 0;

    // Copy progress of a commit, shown under the wait window's banner.
    virtual void reportProgress(int done, int total) = 0;

    // Lets pending window events run so that the pointer and the wait window are drawn
    // before slow file work starts.
    virtual void processPendingEvents() = 0;

    // Work that changes nothing on the stick until it is all done (converting, levelling) may
    // be stopped: while cancellable, the wait window offers "Abbrechen".
    virtual void setCancellable(bool cancellable) { (void)cancellable; }
    // Lets pending window events run and tells whether "Abbrechen" was pressed since the
    // work became cancellable.
    virtual bool cancelRequested() { return false; }
};

// The two kinds of message that only tell, for an operation to hand back to its front end.
inline Message informationMessage(std::string text) {
    return {std::move(text), MessageIcon::Information, MessageButtons::Ok};
}
inline Message criticalMessage(std::string text) {
    return {std::move(text), MessageIcon::Critical, MessageButtons::Ok};
}

// Shorthands for the three kinds of message box the program uses.
inline MessageAnswer showInformation(UserInterface& ui, std::string text) {
    return ui.showMessage(informationMessage(std::move(text)));
}
inline MessageAnswer showCritical(UserInterface& ui, std::string text) {
    return ui.showMessage(criticalMessage(std::move(text)));
}
// A question whose "Ja" loses the user's work defaults to "Nein", so that an Enter pressed
// in passing keeps it.
inline bool askYesNo(UserInterface& ui, std::string text, std::string title = ProgramTitle,
                     MessageAnswer defaultAnswer = MessageAnswer::Yes) {
    Message question{std::move(text), MessageIcon::Question, MessageButtons::YesNo,
                     std::move(title)};
    question.defaultAnswer = defaultAnswer;
    return ui.showMessage(question) == MessageAnswer::Yes;
}

} // namespace tonarion
