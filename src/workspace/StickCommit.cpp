#include "workspace/StickCommit.h"

#include "storage/CommitToStick.h"

namespace tonarion {

Outcome commitStick(Session& session, FileOperations& files, UserInterface& ui) {
    ReasonHold hold(ui);
    switch (CommitToStick(session, files, hold)) {
    case CommitResult::NothingToDo:
    case CommitResult::Written:
        break;
    case CommitResult::AlreadyRunning:
        return Outcome::refused(OutcomeReason::CommitRunning, hold.take());
    case CommitResult::SoundsNotFound:
        return Outcome::failed(OutcomeReason::SoundsNotFound, session.stick().root(), {},
                               hold.take());
    case CommitResult::Failed:
        return Outcome::failed(OutcomeReason::CommitFailed, session.stick().root(), {},
                               hold.take());
    }
    return Outcome::done();
}

} // namespace tonarion
