#include "storage/StickReconciliation.h"

#include "model/EntryName.h"
#include "model/LoadedEntry.h"
#include "storage/CommitToStick.h"
#include "storage/StickChange.h"
#include "storage/StickFiles.h"
#include "storage/StickSelection.h"

#include <algorithm>
#include <set>

namespace tonarion {
namespace {

// A setting file under another value than the index gives its setting: the module would
// read either.
bool contradictsIndex(const Session& session, const std::string& name) {
    const auto setting = settingOfName(name);
    if (!setting) {
        return false;
    }
    const std::string& current = session.settings().CurrentSettings[*setting];
    return !current.empty() && !sameFileName(current, name);
}

void markSoundsNotFound(Session& session, FileOperations& files,
                        const std::set<std::string>& onStick) {
    const StickFiles stick(files, session.stick().root());
    SoundTable& table = session.table();
    for (int row = 1; row < table.nextRow(); ++row) {
        const SoundEntry& entry = table.row(row);
        if (!entry.isBound() || onStick.contains(foldCase(entry.entryName))) {
            table.setSoundNotFound(row, false);
            continue;
        }
        // Only the sources of sounds the stick lacks are looked at.
        const auto stickSource = stick.nameInRoot(entry.sourcePath);
        const bool sourceFound = stickSource ? onStick.contains(foldCase(*stickSource))
                                             : files.status(entry.sourcePath).has_value();
        table.setSoundNotFound(row, !sourceFound);
        // A sound the stick lost, to a commit cut short or a power loss, comes back with the
        // next one.
        if (sourceFound) {
            session.markChanged();
        }
    }
}

} // namespace

void reconcileWithStick(Session& session, FileOperations& files, UserInterface& ui) {
    auto names = files.listFiles(session.stick().root());
    if (!names) {
        return; // a stick that cannot be read says nothing about single files
    }
    // The one listing of the load: later changes look only at the files they change.
    session.stick().fileCache().takeListing(*names);
    std::sort(names->begin(), names->end());
    std::set<std::string> listed;
    for (const SoundEntry& entry : session.table().entries()) {
        listed.insert(foldCase(entry.entryName));
    }
    int adopted = 0;
    LoadReport report(ui);
    for (const auto& name : *names) {
        if (looksLikeEntryName(name) && !listed.contains(foldCase(name))) {
            session.table().appendEntry(
                loadEntry(name, session.stick().root() + name, session.counters(), report));
            listed.insert(foldCase(name));
            ++adopted;
        } else if (name.ends_with(CopySuffix) || sameFileName(name, JournalTempName)) {
            // A copy cut short, or a journal never put in place: nothing else holds on to it.
            session.rememberStaleFile(name);
        } else if (contradictsIndex(session, name)) {
            session.rememberStaleFile(name);
        }
    }
    if (adopted > 0) {
        session.markChanged();
        showInformation(ui, takenOverMessage(static_cast<std::size_t>(adopted)));
    }
    std::set<std::string> onStick;
    for (const auto& name : *names) {
        onStick.insert(foldCase(name));
    }
    markSoundsNotFound(session, files, onStick);
}

} // namespace tonarion
