#include "storage/EventResult.h"

#include "storage/CommitToStick.h"
#include "storage/StickFiles.h"

namespace tonarion {

void applyEventResult(Session& session, FileOperations& files, UserInterface& ui, int editRow,
                      const std::string& oldName, const NeuerEintrag& entry) {
    if (!session.table.isEntryRow(editRow)) {
        return;
    }
    const std::string newName = entry.entryName();
    session.table.replaceRow(editRow, entry.boundTo(session.table.row(editRow)));
    CommitToStick(session, files, ui);

    StickFiles stick(files, session.stickRoot);
    const bool renamed = !oldName.empty() && !sameFileName(oldName, newName);
    if (renamed && stick.exists(newName) &&
        !session.table.rowWithEntryName(oldName, 0).has_value()) {
        stick.deleteFile(oldName);
    }
}

} // namespace tonarion
