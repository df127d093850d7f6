#include "workspace/StickVerification.h"

#include "model/EntryName.h"
#include "settings/SettingEntry.h"
#include "storage/CommitToStick.h"
#include "storage/IndexFile.h"
#include "storage/StickChange.h"
#include "storage/StickFiles.h"

#include <algorithm>

namespace tonarion {

SoundState soundStateOf(const Session& session, FileOperations& files, const SoundEntry& entry) {
    StickFiles stick(files, session.stickRoot);
    SoundState state;
    const auto copy = stick.status(entry.entryName);
    state.present = copy.has_value();
    // A source on the stick itself (a taken-over stick) is its own copy.
    if (entry.sourcePath.empty() || stick.nameInRoot(entry.sourcePath)) {
        return state;
    }
    const auto source = files.status(entry.sourcePath);
    state.sourceFound = source.has_value();
    state.changed = source && copy && !isSameFileVersion(*source, *copy);
    return state;
}

std::vector<StickProblem> verifyStick(const Session& session, FileOperations& stick) {
    std::vector<StickProblem> found;
    const std::string& root = session.stickRoot;
    // What the index file on the stick lists: loading shows unlisted sound files as rows, but
    // the module plays them whatever the table shows.
    std::vector<std::string> listed;
    const IndexContent index =
        parseIndexFile(stick.readFile(root + session.indexFileName).value_or(std::string()));
    for (const auto& line : index.entries) {
        listed.push_back(line.entryName);
    }
    for (const SoundEntry& entry : session.table.entries()) {
        if (!entry.isBound()) {
            continue;
        }
        const SoundState state = soundStateOf(session, stick, entry);
        if (!state.present) {
            found.push_back(
                {state.sourceFound ? "missing sound" : "sound not found", entry.entryName});
        } else if (state.changed) {
            found.push_back({"changed sound", entry.entryName});
        }
    }
    const SettingsTable& settings = session.settings.CurrentSettings;
    for (const Setting setting : AllSettings) {
        listed.push_back(index.settings[setting]);
        if (!settings[setting].empty()) {
            if (!StickFiles(stick, root).exists(settings[setting])) {
                found.push_back({"missing setting", settings[setting]});
            }
        }
    }
    const auto isListed = [&listed](const std::string& name) {
        return std::any_of(listed.begin(), listed.end(),
                           [&](const auto& known) { return sameFileName(known, name); });
    };
    auto names = stick.listFiles(root).value_or(std::vector<std::string>{});
    std::sort(names.begin(), names.end());
    for (const auto& name : names) {
        if (sameFileName(name, IndexTempName) || isWorkingFileName(name)) {
            found.push_back({"temporary file", name});
        } else if (isSettingName(name) && !isListed(name)) {
            const auto setting = settingOfName(name);
            const bool settingListed = setting && !settings[*setting].empty();
            found.push_back({settingListed ? "second setting file" : "not in index", name});
        } else if (looksLikeEntryName(name) && !isListed(name)) {
            found.push_back({"not in index", name});
        }
    }
    return found;
}

} // namespace tonarion
