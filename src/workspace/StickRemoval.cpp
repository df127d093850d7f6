#include "workspace/StickRemoval.h"

#include "model/WaitIndicator.h"
#include "storage/StickSelection.h"
#include "workspace/StickCommit.h"

namespace tonarion {
namespace {

Outcome refusalOf(const EjectResult& result, const std::string& stickRoot) {
    switch (result.outcome) {
    case EjectOutcome::Busy:
        return Outcome::refused(
            OutcomeReason::EjectBusy,
            criticalMessage(
                "Der USB-Stick kann jetzt nicht entfernt werden, weil ein anderes Programm noch "
                "eine Datei auf ihm geöffnet hat.\r\n"
                "Schließen Sie die Datei oder das Programm und versuchen Sie es dann noch "
                "einmal."));
    case EjectOutcome::NotAStick:
        return Outcome::refused(OutcomeReason::NotEjectable,
                                criticalMessage("Das System kennt unter " + stickRoot +
                                                " kein Laufwerk, das es auswerfen kann.\r\n"
                                                "Werfen Sie den USB-Stick bitte über die "
                                                "Dateiverwaltung aus."));
    case EjectOutcome::Ejected:
    case EjectOutcome::Failed:
        break;
    }
    // The system's own words, untranslated, come last and only as a detail: they help
    // whoever the user asks next, but the message must be understood without them.
    return Outcome::failed(
        OutcomeReason::EjectFailed, stickRoot, {},
        criticalMessage("Das System kann den USB-Stick nicht auswerfen.\r\n"
                        "Werfen Sie den USB-Stick bitte über die Dateiverwaltung aus." +
                        (result.reason.empty() ? std::string()
                                               : "\r\n\r\nMeldung des Systems: " + result.reason)));
}

} // namespace

Outcome removeStickSafely(Session& session, FileOperations& files, UserInterface& ui,
                          StickEjector& ejector) {
    const Outcome committed = commitStick(session, files, ui);
    // A failed commit says what is missing; ejecting now would leave the stick other than its
    // index says. A commit already under way finishes first.
    if (committed.reason == OutcomeReason::CommitFailed ||
        committed.reason == OutcomeReason::CommitRunning) {
        return committed;
    }
    // Sounds that are nowhere to be found stay missing however long the stick stays: the user
    // hears which before the stick goes.
    tellOutcome(ui, committed);
    // Our own lock file goes with the lock, and on Windows its open handle would make the
    // system refuse the eject.
    session.stick().releaseLock();
    EjectResult result;
    {
        // Unmounting writes out what the system still holds for the stick.
        const WaitIndicator waiting(ui);
        result = ejector.eject(session.stick().root());
    }
    if (result.outcome == EjectOutcome::Ejected) {
        return Outcome::done(informationMessage(StickRemovableMessage));
    }
    const Outcome refusal = refusalOf(result, session.stick().root());
    ReasonHold hold(ui);
    if (!claimStick(session, files, hold)) {
        // The user hears both, in the order they happened: the stick stays, and meanwhile
        // another program took it.
        tellOutcome(ui, refusal);
        return Outcome::refused(OutcomeReason::StickInUse, hold.take());
    }
    return refusal;
}

} // namespace tonarion
