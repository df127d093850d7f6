#include "storage/StickSelection.h"

#include "storage/IndexFile.h"
#include "storage/StickFiles.h"

#include <algorithm>

namespace tonarion {
namespace {

SettingsTable freshSettings() {
    SettingsTable settings;
    for (const Setting setting : AllSettings) {
        settings[setting] = freshDefaultName(setting);
    }
    return settings;
}

} // namespace

std::optional<std::string> findIndexFile(FileOperations& files, const std::string& root) {
    if (root.empty()) {
        return std::nullopt;
    }
    const auto names = files.listFiles(root);
    if (!names) {
        return std::nullopt;
    }
    const auto found = std::find_if(names->begin(), names->end(), [](const std::string& name) {
        return sameFileName(name, IndexFileName);
    });
    return found == names->end() ? std::nullopt : std::optional<std::string>(*found);
}

std::optional<std::string> firstStickWithIndex(const DriveList& drives, FileOperations& files) {
    for (const auto& entry : drives) {
        const std::string root = rootOfDriveEntry(entry);
        if (findIndexFile(files, root)) {
            return root;
        }
    }
    return std::nullopt;
}

bool gueltigeAuswahl(Session& session, FileOperations& files, UserInterface& ui) {
    if (const auto existing = findIndexFile(files, session.stickRoot)) {
        session.indexFileName = *existing;
        return true;
    }
    session.indexFileName = IndexFileName;
    StickFiles stick(files, session.stickRoot);
    const auto path = stick.pathOf(IndexFileName);
    const bool created = !session.stickRoot.empty() && path &&
                         !files.writeFileDurably(*path, composeIndexFile({}, freshSettings(), {}));
    if (!created) {
        showCritical(ui, IndexNotCreatedMessage);
    }
    return created;
}

bool endsManualDriveEntry(std::string_view answer) {
    return answer.empty() || (answer.size() == 1 && (answer[0] < '0' || answer[0] > '9'));
}

std::string manualDriveRoot(std::string_view answer) {
    return std::string(answer) + ":\\";
}

} // namespace tonarion
