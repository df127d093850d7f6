#include "storage/SoundPresence.h"

#include "storage/StickFiles.h"

#include <set>

namespace tonarion {

void markSoundsNotFound(Session& session, FileOperations& files) {
    const auto names = files.listFiles(session.stickRoot);
    if (!names) {
        return; // a stick that cannot be read says nothing about single sounds
    }
    std::set<std::string> onStick;
    for (const auto& name : *names) {
        onStick.insert(foldCase(name));
    }
    const StickFiles stick(files, session.stickRoot);
    SoundTable& table = session.table;
    for (int row = 1; row < table.nextRow(); ++row) {
        const SoundEntry& entry = table.row(row);
        if (!entry.isBound() || onStick.contains(foldCase(entry.entryName))) {
            table.setSoundNotFound(row, false);
            continue;
        }
        const auto stickSource = stick.nameInRoot(entry.sourcePath);
        const bool sourceFound = stickSource ? onStick.contains(foldCase(*stickSource))
                                             : files.status(entry.sourcePath).has_value();
        table.setSoundNotFound(row, !sourceFound);
    }
}

} // namespace tonarion
