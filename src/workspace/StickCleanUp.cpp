#include "workspace/StickCleanUp.h"

#include "model/EntryName.h"
#include "model/ShortList.h"
#include "settings/SettingEntry.h"
#include "storage/CommitToStick.h"
#include "storage/IndexFile.h"
#include "storage/StickFiles.h"

#include <algorithm>

namespace tonarion {
namespace {

constexpr std::size_t MaxListedNames = 20;

// Names the program itself stands by, whatever a finding says of them.
bool isKept(const Session& session, const std::string& name) {
    if (!isPlainFileName(name) || looksLikeEntryName(name) || isSettingName(name) ||
        sameFileName(name, session.stick().indexFileName()) || sameFileName(name, IndexFileName) ||
        sameFileName(name, LockFileName)) {
        return true;
    }
    const auto& rows = session.table().entries();
    return std::any_of(rows.begin(), rows.end(), [&](const SoundEntry& entry) {
        return sameFileName(entry.entryName, name) ||
               sameFileName(entry.sourcePath, session.stick().root() + name);
    });
}

std::string listOf(const std::vector<StickProblem>& items, bool withErrors,
                   const std::vector<FileResult>& failures = {}) {
    ShortList list(MaxListedNames);
    for (std::size_t i = 0; i < items.size(); ++i) {
        list.add(items[i].file + (items[i].folder ? " (Ordner)" : "") +
                 (withErrors ? ": " + causeInGerman(failures[i].error()) : std::string()));
    }
    return list.text();
}

} // namespace

std::vector<StickProblem> removableFindings(const Session& session,
                                            const std::vector<StickProblem>& found) {
    std::vector<StickProblem> removable;
    for (const StickProblem& problem : found) {
        if (problem.removable && !isKept(session, problem.file)) {
            removable.push_back(problem);
        }
    }
    return removable;
}

Outcome cleanUpStick(Session& session, FileOperations& files, UserInterface& ui,
                     const std::vector<StickProblem>& found) {
    const std::vector<StickProblem> removable = removableFindings(session, found);
    if (removable.empty()) {
        return Outcome::refused(OutcomeReason::NothingToRemove);
    }
    if (!askYesNo(ui, std::string(CleanUpQuestion) + "\r\n\r\n" + listOf(removable, false) +
                          "\r\n" + CleanUpQuestionEnd)) {
        return Outcome::refused(OutcomeReason::Declined);
    }
    StickFiles stick(files, session.stick().root(), session.stick().identity(),
                     &session.stick().fileCache());
    std::vector<StickProblem> stayed;
    std::vector<FileResult> failures;
    for (const StickProblem& problem : removable) {
        FileResult removed = problem.folder
                                 ? files.deleteFolder(session.stick().root() + problem.file)
                                 : stick.deleteFile(problem.file);
        if (removed.failed()) {
            stayed.push_back(problem);
            failures.push_back(std::move(removed));
        }
    }
    if (stayed.empty()) {
        return Outcome::done();
    }
    std::string text = std::string(CleanUpFailedMessage) + "\r\n\r\n";
    if (const char* cause = causeOf(failures)) {
        text = std::string(cause) + "\r\n\r\n" + text;
    }
    return Outcome::failed(
        OutcomeReason::NotDeleted, session.stick().root() + stayed.front().file,
        failures.front().error(),
        criticalMessage(text + listOf(stayed, true, failures) + "\r\n" + CommitFailedAdvice));
}

} // namespace tonarion
