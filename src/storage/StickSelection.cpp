#include "storage/StickSelection.h"

#include "model/EntryName.h"
#include "storage/IndexFile.h"
#include "storage/StickChange.h"
#include "storage/StickFiles.h"

#include <algorithm>

namespace tonarion {
namespace {

std::optional<std::string> named(const std::vector<std::string>& names, std::string_view name) {
    const auto found = std::find_if(names.begin(), names.end(),
                                    [name](const std::string& n) { return sameFileName(n, name); });
    return found == names.end() ? std::nullopt : std::optional<std::string>(*found);
}

// Finishes or undoes what an interrupted commit left under the temporary name. Returns the
// index file's name when the temporary file became it.
std::optional<std::string> recoverTemporaryIndex(FileOperations& files, const std::string& root,
                                                 const std::string& tempName, bool indexExists) {
    const std::string tempPath = root + tempName;
    const auto bytes = files.readFile(tempPath);
    if (!indexExists && bytes && isCompleteIndexFile(*bytes)) {
        // Should the rename fail, the temporary file stays for the next start: it may be the
        // only record of the stick.
        if (files.renameFile(tempPath, root + IndexFileName).ok()) {
            return IndexFileName;
        }
        return std::nullopt;
    }
    files.ShellDelete(tempPath);
    return std::nullopt;
}

} // namespace

bool isCompleteIndexFile(std::string_view bytes) {
    const std::string_view header = IndexHeader;
    const std::string_view afterHeader = bytes.substr(std::min(bytes.size(), header.size()));
    return bytes.starts_with(header) &&
           (afterHeader.starts_with('\r') || afterHeader.starts_with('\n')) &&
           (bytes.ends_with('\r') || bytes.ends_with('\n'));
}

std::optional<std::string> findIndexFile(FileOperations& files, const std::string& root,
                                         bool repair) {
    if (root.empty()) {
        return std::nullopt;
    }
    const auto names = files.listFiles(root);
    if (!names) {
        return std::nullopt;
    }
    const auto index = named(*names, IndexFileName);
    // An interrupted change that left its journal heads for the temporary index file: opening
    // the stick finishes it.
    if (const auto temp = named(*names, IndexTempName); temp && !named(*names, JournalName)) {
        if (!repair) {
            const auto bytes = files.readFile(root + *temp);
            return index || !bytes || !isCompleteIndexFile(*bytes)
                       ? index
                       : std::optional<std::string>(IndexFileName);
        }
        if (const auto recovered = recoverTemporaryIndex(files, root, *temp, index.has_value())) {
            return recovered;
        }
    }
    return index;
}

IndexContent takeOverStickFiles(const std::vector<std::string>& names, const std::string& root) {
    std::vector<std::string> sorted = names;
    std::sort(sorted.begin(), sorted.end());
    IndexContent content;
    for (const auto& name : sorted) {
        // A stick formatted on Linux may hold names with line breaks or backslashes, which
        // have no place in the index file.
        if (!isPlainFileName(name)) {
            continue;
        }
        if (looksLikeEntryName(name)) {
            content.entries.push_back({name, root + name});
        } else if (const auto setting = settingOfName(name);
                   isSettingName(name) && setting && content.settings[*setting].empty()) {
            content.settings[*setting] = name;
        }
    }
    for (const Setting setting : AllSettings) {
        if (content.settings[setting].empty()) {
            content.settings[setting] = freshDefaultName(setting);
        }
    }
    return content;
}

std::optional<std::string> firstStickWithIndex(const DriveList& drives, FileOperations& files) {
    for (const auto& entry : drives) {
        const std::string root = rootOfDriveEntry(entry);
        if (findIndexFile(files, root, false)) {
            return root;
        }
    }
    return std::nullopt;
}

bool claimStick(Session& session, FileOperations& files, UserInterface& ui) {
    StickConnection& stick = session.stick();
    if (stick.holdsLock()) {
        return true;
    }
    stick.releaseLock();
    stick.holdLock(files.lockFolder(stick.root()).value_or(nullptr));
    if (!stick.holdsLock()) {
        showCritical(ui, StickInUseMessage);
        return false;
    }
    stick.takeIdentity(files.identity(stick.root()).optional());
    return true;
}

bool gueltigeAuswahl(Session& session, FileOperations& files, UserInterface& ui) {
    if (!claimStick(session, files, ui)) {
        return false;
    }
    if (const auto existing = findIndexFile(files, session.stick().root())) {
        session.stick().setIndexFileName(*existing);
        return true;
    }
    session.stick().setIndexFileName(IndexFileName);
    StickFiles stick(files, session.stick().root());
    const auto path = stick.pathOf(IndexFileName);
    // A stick whose index file was lost still holds what the module plays. Listing those
    // files keeps them: otherwise the next commit would leave them out of the index, and the
    // default settings would stand beside the module's real ones.
    const IndexContent found = takeOverStickFiles(
        files.listFiles(session.stick().root()).value_or(std::vector<std::string>{}),
        session.stick().root());
    const bool created =
        !session.stick().root().empty() && path &&
        files.writeFileDurably(*path, composeIndexFile(found.entries, found.settings, {})).ok();
    if (!created) {
        showCritical(ui, IndexNotCreatedMessage);
        return false;
    }
    // The module reads its settings from the files' names: a fresh stick gets them at once,
    // so that it is what its index file says from the start.
    for (const Setting setting : AllSettings) {
        stick.ensureFile(found.settings[setting]);
    }
    // Setting files alone are taken over without a word: the settings dialog shows them, and
    // a message about zero sounds would only puzzle.
    if (!found.entries.empty()) {
        showInformation(ui, takenOverMessage(found.entries.size()));
    }
    return true;
}

std::string takenOverMessage(std::size_t sounds) {
    return sounds == 1 ? "Auf dem USB-Stick wurde 1 Sounddatei gefunden und übernommen."
                       : "Auf dem USB-Stick wurden " + std::to_string(sounds) +
                             " Sounddateien gefunden und übernommen.";
}

bool endsManualDriveEntry(std::string_view answer) {
    return answer.empty() || (answer.size() == 1 && (answer[0] < '0' || answer[0] > '9'));
}

std::string manualDriveRoot(std::string_view answer) {
    return std::string(answer) + ":\\";
}

} // namespace tonarion
