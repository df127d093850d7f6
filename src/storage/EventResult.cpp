#include "storage/EventResult.h"

#include "model/EntryName.h"
#include "storage/CommitToStick.h"
#include "storage/RowDeletion.h"
#include "storage/StickFiles.h"

namespace tonarion {
namespace {

bool reachedStick(CommitResult result) {
    return result == CommitResult::Written || result == CommitResult::SoundsNotFound;
}

} // namespace

void applyEventResult(Session& session, FileOperations& files, UserInterface& ui, int editRow,
                      const std::string& oldName, const NeuerEintrag& entry) {
    if (!session.table.isEntryRow(editRow)) {
        return;
    }
    const std::string newName = entry.entryName();
    SoundEntry row = entry.boundTo(session.table.row(editRow));
    StickFiles stick(files, session.stickRoot);
    const bool renamed = !oldName.empty() && !sameFileName(oldName, newName);
    // A sound whose file on the computer has gone lives on only in the stick file of its old
    // name; the commit gives that file the new name instead of copying from nowhere.
    if (renamed && !stick.nameInRoot(row.sourcePath) && !files.status(row.sourcePath)) {
        row.sourcePath = session.stickRoot + oldName;
    }
    const bool movesOldFile = stick.nameInRoot(row.sourcePath) == oldName;
    session.table.replaceRow(editRow, std::move(row));
    const CommitResult result = CommitToStick(session, files, ui);

    if (renamed && !movesOldFile && !session.table.rowWithEntryName(oldName, 0).has_value()) {
        // The old file goes only once the new one has arrived; until then it may be the only
        // copy of the sound, and the next commit that gets through removes it.
        if (!reachedStick(result) || !stick.deleteFile(oldName)) {
            rememberStaleFile(session, oldName);
        }
    }
    // A random entry bound to another kind leaves a gap in the running numbers, which the
    // module does not allow; it closes as when the row is deleted, and the stick follows.
    if (kindOf(oldName) == 'Z' && kindOf(newName) != 'Z') {
        closeRandomGapAfter(session, files, oldName);
        session.SaveNeeded = true;
        CommitToStick(session, files, ui);
    }
}

} // namespace tonarion
