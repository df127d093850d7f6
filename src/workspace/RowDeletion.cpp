#include "workspace/RowDeletion.h"

#include "model/EntryName.h"
#include "model/WholeNumber.h"
#include "storage/CommitToStick.h"
#include "storage/StickFiles.h"

#include <algorithm>
#include <optional>

namespace tonarion {
namespace {

std::optional<int> runningNumber(std::string_view entryName) {
    return wholeNumber(parseEntryName(entryName).number1);
}

// Gives the random entry in row its new running number. Its stick file takes the new name at
// the next commit, by a rename: the sound stays the same, and nothing is copied again.
void renumberRandomEntry(Session& session, int row, int number) {
    SoundEntry entry = session.table().row(row);
    const std::string oldName = entry.entryName;
    const std::string numberText = pad4(std::to_string(number));
    const std::string newName = oldName.substr(0, 5) + numberText + oldName.substr(9);
    entry.entryName = newName;
    entry.address1 = numberText;
    if (newName != oldName) {
        session.rememberRename(oldName, newName);
    }
    session.table().replaceRow(row, std::move(entry));
}

// The random entries numbered from on, in the order of their numbers: running number, row.
std::vector<std::pair<int, int>> randomEntriesFrom(const Session& session, int from) {
    std::vector<std::pair<int, int>> numbered;
    for (int row = 1; row < session.table().nextRow(); ++row) {
        const std::string& name = session.table().row(row).entryName;
        if (kindOf(name) != 'Z') {
            continue;
        }
        if (const auto number = runningNumber(name); number && *number >= from) {
            numbered.emplace_back(*number, row);
        }
    }
    std::stable_sort(numbered.begin(), numbered.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return numbered;
}

void closeRandomGap(Session& session, int deletedNumber) {
    int next = deletedNumber;
    for (const auto& [number, row] : randomEntriesFrom(session, deletedNumber)) {
        renumberRandomEntry(session, row, next++);
    }
}

bool isSourceOfAnotherRow(const SoundTable& table, int row, const std::string& source) {
    for (int other = 1; other < table.nextRow(); ++other) {
        if (other != row && table.row(other).sourcePath == source) {
            return true;
        }
    }
    return false;
}

} // namespace

void deleteRow(Session& session, int row) {
    SoundTable& table = session.table();
    if (!table.isEntryRow(row)) {
        return;
    }
    const std::string name = table.row(row).entryName;
    if (!name.empty()) {
        // Another row under the same name still needs the file.
        if (!table.rowWithEntryName(name, row)) {
            const std::string file = session.stickFileOf(name);
            session.forgetRenameTo(name);
            session.rememberStaleFile(file);
            // A file still under the name itself was to make room for the one moving there;
            // with the move given up it would stay on the stick unlisted, and play.
            if (!sameFileName(file, name) &&
                !isSourceOfAnotherRow(table, row, session.stick().root() + name)) {
                session.rememberStaleFile(name);
            }
        }
        // A sound that a failed commit could not give its new name yet still lies under the
        // stick file the row names as its source; unless another row needs that file, it goes
        // too, or it would stay on the stick unlisted and play. A row under that name whose
        // sound is still to move there needs the file no more than the deleted row does.
        const std::string& source = table.row(row).sourcePath;
        const std::string sourceFile = source.starts_with(session.stick().root())
                                           ? source.substr(session.stick().root().size())
                                           : "";
        const bool neededUnderItsName = table.rowWithEntryName(sourceFile, 0) &&
                                        sameFileName(session.stickFileOf(sourceFile), sourceFile);
        if (looksLikeEntryName(sourceFile) && isPlainFileName(sourceFile) &&
            !sameFileName(sourceFile, name) && !neededUnderItsName &&
            !isSourceOfAnotherRow(table, row, source)) {
            session.rememberStaleFile(sourceFile);
        }
        session.counters().removeEntry(kindOf(name));
        session.markChanged();
    }
    table.removeRow(row);
    closeRandomGapAfter(session, name);
}

void closeRandomGapAfter(Session& session, std::string_view leavingName) {
    if (kindOf(leavingName) != 'Z') {
        return;
    }
    if (const auto number = runningNumber(leavingName)) {
        closeRandomGap(session, *number);
    }
}

bool closeRandomGaps(Session& session) {
    int next = 1;
    bool changed = false;
    // Rows under one name share one stick file and so one number.
    std::vector<std::pair<std::string, int>> given; // old name, its number
    for (const auto& [number, row] : randomEntriesFrom(session, 0)) {
        const std::string name = session.table().row(row).entryName;
        const auto shared = std::find_if(given.begin(), given.end(),
                                         [&](const auto& known) { return known.first == name; });
        const int wanted = shared != given.end() ? shared->second : next++;
        if (shared == given.end()) {
            given.emplace_back(name, wanted);
        }
        if (number != wanted) {
            renumberRandomEntry(session, row, wanted);
            changed = true;
        }
    }
    return changed;
}

} // namespace tonarion
