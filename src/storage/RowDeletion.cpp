#include "storage/RowDeletion.h"

#include "model/EntryName.h"
#include "storage/CommitToStick.h"
#include "storage/StickFiles.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace tonarion {
namespace {

std::optional<int> runningNumber(std::string_view entryName) {
    const std::string digits = parseEntryName(entryName).number1;
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc{} || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return value;
}

bool nameUsedByAnotherRow(const SoundTable& table, std::string_view name, int row) {
    return table.rowWithEntryName(name, row).has_value();
}

// Gives the random entry in row its new running number: in the table, and on the stick by
// renaming its file there (same sound, no copy) or, where the stick lacks it, by copying
// it from its source. A sound whose file on the computer has gone is found by its stick path
// from then on; if the stick could not follow (pulled, write-protected), that path is the
// old file's, and the next commit moves it.
void renumberRandomEntry(Session& session, StickFiles& stick, int row, int number) {
    SoundEntry entry = session.table.row(row);
    const std::string oldName = entry.entryName;
    const std::string numberText = pad4(std::to_string(number));
    const std::string newName = oldName.substr(0, 5) + numberText + oldName.substr(9);
    entry.entryName = newName;
    entry.address1 = numberText;
    if (newName != oldName) {
        const bool onComputer = !stick.nameInRoot(entry.sourcePath) &&
                                stick.operations().status(entry.sourcePath).has_value();
        const bool othersNeedOldFile = nameUsedByAnotherRow(session.table, oldName, row);
        bool moved = false;
        if (stick.exists(oldName) && !othersNeedOldFile) {
            moved = !stick.rename(oldName, newName);
            if (moved) {
                followRenamedStickFile(session, stick, oldName, newName);
            }
        } else if (stick.exists(oldName)) {
            moved = !stick.copyIn(*stick.pathOf(oldName), newName);
        } else {
            moved = !stick.copyIn(entry.sourcePath, newName);
        }
        if (!onComputer) {
            entry.sourcePath = session.stickRoot + (moved ? newName : oldName);
        }
        if (!moved && !othersNeedOldFile) {
            rememberStaleFile(session, oldName);
        }
    }
    session.table.replaceRow(row, std::move(entry));
}

void closeRandomGap(Session& session, StickFiles& stick, int deletedNumber) {
    std::vector<std::pair<int, int>> numbered; // running number, row
    for (int row = 1; row < session.table.nextRow(); ++row) {
        const std::string& name = session.table.row(row).entryName;
        if (kindOf(name) != 'Z') {
            continue;
        }
        if (const auto number = runningNumber(name); number && *number >= deletedNumber) {
            numbered.emplace_back(*number, row);
        }
    }
    std::stable_sort(numbered.begin(), numbered.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    int next = deletedNumber;
    for (const auto& [number, row] : numbered) {
        renumberRandomEntry(session, stick, row, next++);
    }
}

} // namespace

void deleteRow(Session& session, FileOperations& files, int row) {
    SoundTable& table = session.table;
    if (!table.isEntryRow(row)) {
        return;
    }
    StickFiles stick(files, session.stickRoot);
    const std::string name = table.row(row).entryName;
    if (!name.empty()) {
        // Another row under the same name still needs the file.
        if (!nameUsedByAnotherRow(table, name, row) && !stick.deleteFile(name)) {
            rememberStaleFile(session, name);
        }
        session.counters.removeEntry(kindOf(name));
        session.SaveNeeded = true;
    }
    table.removeRow(row);
    closeRandomGapAfter(session, files, name);
}

void closeRandomGapAfter(Session& session, FileOperations& files, std::string_view leavingName) {
    if (kindOf(leavingName) != 'Z') {
        return;
    }
    if (const auto number = runningNumber(leavingName)) {
        StickFiles stick(files, session.stickRoot);
        closeRandomGap(session, stick, *number);
    }
}

} // namespace tonarion
