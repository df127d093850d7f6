#include "storage/CommitPlan.h"

#include "model/EntryName.h"
#include "storage/CommitToStick.h"
#include "storage/StickChange.h"

#include <algorithm>

namespace tonarion {

bool PlannedCopy::isNeeded() const {
    return source && (prepared || !(copy && isSameFileVersion(*source, *copy)));
}

PlannedCopy planCopy(const Session& session, FileOperations& files, StickFiles& stick, int row,
                     const SoundEntry& entry) {
    auto copy = stick.status(entry.entryName).optional();
    if (const std::string* prepared = session.preparedSoundOf(entry.sourcePath)) {
        return {row, FileStatus{prepared->size(), 0}, std::move(copy), prepared};
    }
    return {row, files.status(entry.sourcePath).optional(), std::move(copy)};
}

// Which rows' sounds come from the computer, and which stick files take another name: those
// of rows whose source is a stick file under another EntryName, and the pending renames.
CommitPlan CommitPlanner::plan() {
    m_plan.rows = m_session.table().entries();
    takeBackOwnSounds();
    const SoundTable& table = m_session.table();
    std::vector<PlannedCopy>& copies = m_plan.copies;
    std::vector<PlannedMove> moves;
    for (int row = 1; row < table.nextRow(); ++row) {
        const SoundEntry& entry = this->row(row);
        if (!entry.isBound() || entry.sourcePath.empty()) {
            continue;
        }
        // Rows under one name share one stick file: the first row's sound holds it, so that
        // the stick does not change its sound at every commit.
        const auto firstOfName = table.rowWithEntryName(entry.entryName, 0);
        const bool soundOfEarlierRow = firstOfName && *firstOfName < row &&
                                       this->row(*firstOfName).sourcePath != entry.sourcePath;
        // A sound made in memory for a stick file that takes a new name goes over the file
        // once it has moved, so that the old name leaves the stick with the move.
        const bool prepared = m_session.preparedSoundOf(entry.sourcePath) != nullptr;
        const auto from = m_stick.entryFileInRoot(entry.sourcePath);
        const bool renamed = from && !sameFileName(*from, entry.entryName);
        if (renamed) {
            moves.push_back({row, {*from, entry.entryName}});
        }
        if ((!renamed || prepared) && !soundOfEarlierRow) {
            copies.push_back(planCopy(m_session, m_files, m_stick, row, entry));
        }
    }
    for (const auto& rename : m_session.pendingRenames()) {
        const bool known = std::any_of(moves.begin(), moves.end(), [&](const PlannedMove& m) {
            return sameFileName(m.move.from, rename.from) || sameFileName(m.move.to, rename.to);
        });
        if (!known && !sameFileName(rename.from, rename.to)) {
            moves.push_back({0, {rename.from, rename.to}});
        }
    }
    // A setting whose value changed: its old, empty file takes the new name.
    const ModuleSettings& settings = m_session.settings();
    for (const Setting setting : AllSettings) {
        const std::string& current = settings.CurrentSettings[setting];
        const std::string stored = settings.StoredSettings[setting].substr(0, EntryNameLength);
        if (!stored.empty() && current.size() > 18 && !sameFileName(stored, current) &&
            m_stick.exists(stored) && !m_stick.exists(current)) {
            moves.push_back({0, {stored, current}});
        }
    }
    takeOverParkedFiles(moves);
    for (auto& planned : moves) {
        const std::string& from = planned.move.from;
        if (!m_stick.exists(from) && !m_stick.exists(from + MoveSuffix) &&
            stickLacks(m_files, m_session.stick().root(), from)) {
            // The stick file was the sound's only copy and is gone. A file under the new name
            // is taken as the sound, unless another move takes it away: then it is that row's
            // sound. Otherwise the row is shown as lacking its sound.
            const std::string& to = planned.move.to;
            const bool movesAway = std::any_of(moves.begin(), moves.end(), [&](const auto& other) {
                return sameFileName(other.move.from, to) && !sameFileName(other.move.to, to);
            });
            if (planned.row > 0) {
                row(planned.row).soundNotFound = movesAway || !m_stick.exists(to);
                row(planned.row).sourcePath = m_session.stick().root() + planned.move.to;
            }
            m_plan.renamesGone.push_back(from);
            continue;
        }
        // A file that another row still needs where it is, or that several rows take, is
        // copied; the last row that takes it gets the file itself.
        const bool takenLater =
            std::any_of(&planned + 1, moves.data() + moves.size(), [&](const PlannedMove& later) {
                return sameFileName(later.move.from, from);
            });
        // A file that waits under its parking name since a run failed is the one to move,
        // whoever's file stands under its old name by now.
        planned.move.copy = takenLater || (!m_stick.exists(from + MoveSuffix) &&
                                           isNeededInPlace(from, planned.row, moves));
        if (planned.row > 0) {
            row(planned.row).soundNotFound = false;
        }
        m_plan.moves.push_back(planned);
    }
    return std::move(m_plan);
}

// Rows whose source is this stick's own file, recorded while the stick was mounted at another
// folder, name the file where the stick is now.
void CommitPlanner::takeBackOwnSounds() {
    const StickFiles stick(m_files, m_session.stick().root(), m_session.stick().identity());
    for (SoundEntry& entry : m_plan.rows) {
        if (const auto own = stick.ownFileMountedElsewhere(entry.sourcePath, entry.entryName)) {
            entry.sourcePath = m_session.stick().root() + *own;
        }
    }
}

// A run that failed after parking leaves files under their parking names, and its journal is
// the only record of where they go. This run's journal replaces it, so it takes over every
// such move that it does not plan itself, and the deletions: a parked file still goes to its
// name when a row or a setting wants that name and nothing else brings it there, and goes
// with the stale files otherwise. Left out, it would wait under its parking name for good.
void CommitPlanner::takeOverParkedFiles(std::vector<PlannedMove>& moves) {
    if (!m_stick.exists(JournalName)) {
        return;
    }
    const auto journal = m_files.readFile(*m_stick.pathOf(JournalName));
    const auto earlier = journal ? parseJournal(*journal) : std::nullopt;
    if (!earlier) {
        return;
    }
    const auto planned = [&](auto&& matches) {
        return std::any_of(moves.begin(), moves.end(),
                           [&](const PlannedMove& m) { return matches(m.move); });
    };
    // What it was to delete goes all the same, its parked files among them.
    for (const std::string& name : earlier->deletions) {
        if (m_stick.exists(name)) {
            m_plan.parkedToDelete.push_back(name);
        }
    }
    for (const StickMove& move : earlier->moves) {
        const std::string parking = move.from + MoveSuffix;
        if (move.copy || !m_stick.exists(parking) ||
            planned([&](const StickMove& m) { return sameFileName(m.from, move.from); })) {
            continue;
        }
        const SoundTable& table = m_session.table();
        const bool wanted =
            (table.rowWithEntryName(move.to, 0) ||
             std::any_of(AllSettings.begin(), AllSettings.end(),
                         [&](Setting setting) {
                             return sameFileName(m_session.settings().CurrentSettings[setting],
                                                 move.to);
                         })) &&
            !planned([&](const StickMove& m) { return sameFileName(m.to, move.to); });
        if (wanted) {
            moves.push_back({0, {move.from, move.to}});
        } else {
            m_plan.parkedToDelete.push_back(parking);
        }
    }
}

// Whether another row carries this name and can only have its sound from the file itself,
// its source on the computer being gone, and no other file moves to the name to bring it.
bool CommitPlanner::isNeededInPlace(const std::string& name, int exceptRow,
                                    const std::vector<PlannedMove>& moves) {
    const bool soundArrivesByMove =
        std::any_of(moves.begin(), moves.end(), [&](const PlannedMove& planned) {
            return sameFileName(planned.move.to, name);
        });
    for (int row = 1; row < m_session.table().nextRow(); ++row) {
        const SoundEntry& entry = this->row(row);
        if (row == exceptRow || !sameFileName(entry.entryName, name) || soundArrivesByMove) {
            continue;
        }
        const auto source = m_stick.nameInRoot(entry.sourcePath);
        const bool sourceGone =
            !m_session.preparedSoundOf(entry.sourcePath) && !m_files.status(entry.sourcePath);
        if (source ? sameFileName(*source, name) : sourceGone) {
            return true;
        }
    }
    return false;
}

bool stickLacks(FileOperations& files, const std::string& root, const std::string& name) {
    const auto names = files.listFiles(root);
    return names && std::none_of(names->begin(), names->end(), [&](const std::string& onStick) {
               return sameFileName(onStick, name);
           });
}

std::uintmax_t bytesNeeded(const std::vector<PlannedCopy>& copies,
                           const std::vector<PlannedMove>& moves, const SoundTable& table,
                           StickFiles& stick, std::uintmax_t unit) {
    const auto units = [unit](std::uintmax_t bytes) {
        return (bytes + unit - 1) / unit * unit;
    };
    std::uintmax_t needed = 0;
    for (const auto& planned : copies) {
        if (!planned.isNeeded()) {
            continue;
        }
        // A renumbered sound gets its name by a rename, and is then this version already.
        const std::string& name = table.row(planned.row).entryName;
        const auto arriving = std::find_if(moves.begin(), moves.end(), [&](const auto& m) {
            return !m.move.copy && sameFileName(m.move.to, name);
        });
        if (arriving != moves.end() && !planned.prepared) {
            const auto file = stick.status(arriving->move.from);
            if (file && isSameFileVersion(*planned.source, *file)) {
                continue;
            }
        }
        // A replaced sound is written beside the old one before it takes its place.
        needed += units(planned.source->size);
    }
    for (const auto& planned : moves) {
        if (planned.move.copy) {
            if (const auto file = stick.status(planned.move.from)) {
                needed += units(file->size);
            }
        }
    }
    return needed;
}

} // namespace tonarion
