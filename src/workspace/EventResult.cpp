#include "workspace/EventResult.h"

#include "model/EntryName.h"
#include "storage/CommitToStick.h"
#include "storage/StickFiles.h"
#include "workspace/RowDeletion.h"
#include "workspace/StickCommit.h"

namespace tonarion {

Outcome applyEventResult(Session& session, FileOperations& files, UserInterface& ui, int editRow,
                         const std::string& oldName, const NeuerEintrag& entry) {
    if (!session.table().isEntryRow(editRow)) {
        return Outcome::done();
    }
    const std::string newName = entry.entryName();
    takeBackOwnSounds(session, files);
    SoundEntry row = entry.boundTo(session.table().row(editRow));
    StickFiles stick(files, session.stick().root(), session.stick().identity(),
                     &session.stick().fileCache());
    const bool renamed = !oldName.empty() && !sameFileName(oldName, newName);
    // The sound of the old name may still wait under an older one, for a rename that a failed
    // commit could not make yet.
    const std::string oldFile = renamed ? session.stickFileOf(oldName) : oldName;
    // A sound whose file on the computer has gone lives on only in that stick file; the
    // commit gives it the new name instead of copying from nowhere.
    if (renamed && !stick.nameInRoot(row.sourcePath) && !files.status(row.sourcePath)) {
        row.sourcePath = session.stick().root() + oldFile;
    }
    const auto source = stick.nameInRoot(row.sourcePath);
    const bool movesOldFile = source && sameFileName(*source, oldFile);
    session.table().replaceRow(editRow, std::move(row));
    // The old file goes with the commit, once the index file no longer lists it and only if
    // the new one has arrived: until then it may be the only copy of the sound. When it holds
    // the source's sound as it is, it simply takes the new name. A rename still to come takes
    // its file straight to the new name, or gives way to the row's own move.
    if (renamed && !sameFileName(oldFile, oldName)) {
        if (movesOldFile) {
            session.forgetRenameTo(oldName);
        } else {
            session.rememberRename(oldName, newName);
        }
    } else if (renamed && !movesOldFile &&
               !session.table().rowWithEntryName(oldName, 0).has_value()) {
        const auto copy = stick.status(oldName);
        const auto sourceFile = files.status(session.table().row(editRow).sourcePath);
        // A stick that cannot be read now may hold the only copy there: the file keeps the
        // sound under the new name until the commit knows better.
        const bool unknown = !copy && !stick.isStillTheStick();
        if (unknown || (copy && sourceFile && isSameFileVersion(*sourceFile, *copy))) {
            session.rememberRename(oldName, newName);
        } else {
            session.rememberStaleFile(oldName);
        }
    }
    // A random entry bound to another kind leaves a gap in the running numbers, which the
    // module does not allow; it closes as when the row is deleted.
    if (kindOf(oldName) == 'Z' && kindOf(newName) != 'Z') {
        closeRandomGapAfter(session, oldName);
    }
    return commitStick(session, files, ui);
}

} // namespace tonarion
