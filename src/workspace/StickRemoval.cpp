#include "workspace/StickRemoval.h"

#include "model/WaitIndicator.h"
#include "storage/CommitToStick.h"
#include "storage/StickSelection.h"

namespace tonarion {
namespace {

std::string refusalText(const EjectResult& result, const std::string& stickRoot) {
    switch (result.outcome) {
    case EjectOutcome::Busy:
        return "Der USB-Stick kann jetzt nicht entfernt werden, weil ein anderes Programm noch "
               "eine Datei auf ihm geöffnet hat.\r\n"
               "Schließen Sie die Datei oder das Programm und versuchen Sie es dann noch einmal.";
    case EjectOutcome::NotAStick:
        return "Das System kennt unter " + stickRoot +
               " kein Laufwerk, das es auswerfen kann.\r\n"
               "Werfen Sie den USB-Stick bitte über die Dateiverwaltung aus.";
    case EjectOutcome::Ejected:
    case EjectOutcome::Failed:
        break;
    }
    // The system's own words, untranslated, come last and only as a detail: they help
    // whoever the user asks next, but the message must be understood without them.
    return "Das System kann den USB-Stick nicht auswerfen.\r\n"
           "Werfen Sie den USB-Stick bitte über die Dateiverwaltung aus." +
           (result.reason.empty() ? std::string()
                                  : "\r\n\r\nMeldung des Systems: " + result.reason);
}

} // namespace

bool removeStickSafely(Session& session, FileOperations& files, UserInterface& ui,
                       StickEjector& ejector) {
    const CommitResult committed = CommitToStick(session, files, ui);
    // A failed commit has told the user what is missing; ejecting now would leave the stick
    // other than its index says. A commit already under way finishes first.
    if (committed == CommitResult::Failed || committed == CommitResult::AlreadyRunning) {
        return false;
    }
    // Our own lock file goes with the lock, and on Windows its open handle would make the
    // system refuse the eject.
    session.releaseLock();
    EjectResult result;
    {
        // Unmounting writes out what the system still holds for the stick.
        const WaitIndicator waiting(ui);
        result = ejector.eject(session.stickRoot);
    }
    if (result.outcome == EjectOutcome::Ejected) {
        showInformation(ui, StickRemovableMessage);
        return true;
    }
    showCritical(ui, refusalText(result, session.stickRoot));
    claimStick(session, files, ui);
    return false;
}

} // namespace tonarion
