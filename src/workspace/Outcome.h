#pragma once

#include "model/UserInterface.h"

#include <optional>
#include <string>
#include <system_error>
#include <utility>

namespace tonarion {

// Why an operation of the workspace did not do its work. The front ends act on the reason:
// the windows show the text that comes with it, tonarion-cli prints it and chooses its exit
// status, and neither has to work the reason out again.
enum class OutcomeReason {
    None,
    // Refused: nothing changed, and what stands in the way is named.
    StickInUse,       // another Tonarion window or tonarion-cli holds the stick
    NoIndexFile,      // a folder without an index file that holds nothing of a stick either
    KindFull,         // the stick holds as many entries of the kind's group as the module takes
    ChoiceMissing,    // a choice of the event is missing or does not fit
    NoSoundFile,      // the row holds no sound file to bind
    NotAnMp3,         // a dropped file is not an MP3, or no regular file
    ControlCharacter, // a dropped file's path holds a control character
    UnstorablePath,   // a dropped file's path has letters the index file cannot spell
    Declined,         // the user answered No
    NothingToRemove,  // the clean-up finds nothing it may delete
    EjectBusy,        // another program holds a file on the stick open
    NotEjectable,     // the system knows no drive it can eject under the stick's root
    CommitRunning,    // a commit asked for while one runs: commits never nest
    Cancelled,        // the user pressed "Abbrechen"
    SettingRefused,   // a settings field holds a value the rules refuse
    // Failed: the system would not read or write a file.
    FolderMissing,     // the folder named at the start
    FolderNotWritable, // the folder named at the start
    IndexNotCreated,   // a stick without an index file could not get one
    StickGone,         // the stick's root cannot be read
    IndexUnreadable,
    CommitFailed, // the stick lacks what the table holds; the commit's message says what
    // All else written, but rows' sounds are neither at their source nor on the stick, or
    // their changed source could not be read.
    SoundsNotFound,
    ConversionFailed, // a sound could not be read or made for the module
    EjectFailed,      // the system would not eject the stick
    NotDeleted,       // files the clean-up was to delete stayed
};

// What an operation came to: done, refused for a reason, or failed on a file. The message is
// what the user is to be told, in the words the windows have always used; an empty text
// tells nothing.
struct Outcome {
    enum class Kind { Done, Refused, Failed };

    Kind kind = Kind::Done;
    OutcomeReason reason = OutcomeReason::None;
    Message message;
    std::string file;      // failed: the file or folder
    std::error_code cause; // failed: the system's cause, where it gave one

    static Outcome done(Message message = {}) {
        return {Kind::Done, {}, std::move(message), {}, {}};
    }
    static Outcome refused(OutcomeReason reason, Message message = {}) {
        return {Kind::Refused, reason, std::move(message), {}, {}};
    }
    static Outcome failed(OutcomeReason reason, std::string file, std::error_code cause,
                          Message message = {}) {
        return {Kind::Failed, reason, std::move(message), std::move(file), cause};
    }

    explicit operator bool() const { return kind == Kind::Done; }
    const std::string& text() const { return message.text; }
};

// Shows the outcome's message, if it has one: how a front end tells the user.
void tellOutcome(UserInterface& ui, const Outcome& outcome);

// The value an operation made, or nothing and the outcome that says why. It reads like the
// std::optional it is, so that callers that only need the value keep reading it so.
template <typename T>
class OutcomeOr : public std::optional<T> {
public:
    OutcomeOr(T value)
        : std::optional<T>(std::move(value)) {}
    OutcomeOr(Outcome outcome)
        : m_outcome(std::move(outcome)) {}

    const Outcome& outcome() const { return m_outcome; }

private:
    Outcome m_outcome; // Done when there is a value
};

// Stands between an operation and the user while the operation runs. Everything reaches the
// user as before and in the same order, except the last message that only informs: it is
// held until something else reaches the user or the operation ends. When the operation
// fails, that message is its reason, and take() hands it to the outcome instead of the user.
class ReasonHold final : public UserInterface {
public:
    explicit ReasonHold(UserInterface& ui)
        : m_ui(ui) {}
    ~ReasonHold() override { release(); }
    ReasonHold(const ReasonHold&) = delete;
    ReasonHold& operator=(const ReasonHold&) = delete;

    // The message held, which the user is then not told; an empty one when none is held.
    Message take();

    MessageAnswer showMessage(const Message& message) override;
    void setBusyPointer(bool busy) override;
    void showWaitWindow() override;
    void hideWaitWindow() override;
    void reportProgress(int done, int total) override;
    void processPendingEvents() override;
    void setCancellable(bool cancellable) override;
    bool cancelRequested() override;

private:
    void release();

    UserInterface& m_ui;
    std::optional<Message> m_held;
};

} // namespace tonarion
