#include "storage/StickChange.h"

#include "model/SoundFileDrop.h"
#include "storage/IndexFile.h"
#include "storage/WriteAndReplace.h"

#include <algorithm>

namespace tonarion {
namespace {

// Whether the index file names the file, as a sound or as a setting.
bool isListed(const std::string& name, const IndexContent& content) {
    return std::any_of(
               content.entries.begin(), content.entries.end(),
               [&](const IndexEntryLine& line) { return sameFileName(line.entryName, name); }) ||
           std::any_of(AllSettings.begin(), AllSettings.end(), [&](Setting setting) {
               return sameFileName(content.settings[setting], name);
           });
}

std::string parked(const std::string& name) {
    return name + MoveSuffix;
}

// The index file the change started from stays in effect: its planned one and its journal go.
void dropChange(StickFiles& stick) {
    stick.deleteFile(IndexTempName);
    stick.deleteFile(JournalName);
}

// Whether the stick is still as the index file the change started from has it: every file
// it lists is there, no new sound has arrived, and no file has moved or waits under its
// parking name. Copies and earlier runs' moves would need a closer look, so they count as
// arrived.
bool nothingArrived(StickFiles& stick, const StickChange& change, const IndexContent& start) {
    if (change.movesParked || !change.movedBefore.empty()) {
        return false;
    }
    const bool moved =
        std::any_of(change.moves.begin(), change.moves.end(), [&](const StickMove& m) {
            return m.copy || !stick.exists(m.from) || stick.exists(parked(m.from));
        });
    const bool newArrived =
        std::any_of(change.newFiles.begin(), change.newFiles.end(),
                    [&](const NewStickFile& file) { return stick.exists(file.name); });
    const bool listedGone =
        std::any_of(start.entries.begin(), start.entries.end(),
                    [&](const IndexEntryLine& line) { return !stick.exists(line.entryName); });
    return !moved && !newArrived && !listedGone;
}

// A change that never began leaves the index file it started from in effect. A file an
// earlier run parked, which the change was to delete with its row, is then still the sound
// that index file names: it goes back to its name, and reaches the medium there before the
// journal that knew of it goes.
void unparkWhatTheIndexNames(StickFiles& stick, const StickChange& change,
                             const IndexContent& inEffect) {
    bool unparked = false;
    for (const std::string& file : change.deletions) {
        if (!file.ends_with(MoveSuffix)) {
            continue;
        }
        const std::string name = file.substr(0, file.size() - std::string_view(MoveSuffix).size());
        if (isListed(name, inEffect) && !stick.exists(name) && stick.exists(file)) {
            unparked = stick.rename(file, name).ok() || unparked;
        }
    }
    if (unparked) {
        stick.flush();
    }
}

// The renames of a change as chains in which each file takes the name the one before it
// left, each starting with the file that takes a name nobody leaves: in this order no file
// has to wait under a parking name. Nothing when renames go round in a circle, or a copy
// reads or writes a name that a rename changes; those take the way over parking names.
std::optional<std::vector<std::vector<std::size_t>>>
renameChains(const std::vector<StickMove>& moves) {
    const auto renameWhere = [&](auto&& matches) -> std::optional<std::size_t> {
        std::optional<std::size_t> found;
        for (std::size_t i = 0; i < moves.size(); ++i) {
            if (!moves[i].copy && matches(moves[i])) {
                if (found) {
                    return moves.size(); // more than one: no chain
                }
                found = i;
            }
        }
        return found;
    };
    const auto leaving = [&](const std::string& name) {
        return renameWhere([&](const StickMove& m) { return sameFileName(m.from, name); });
    };
    const auto taking = [&](const std::string& name) {
        return renameWhere([&](const StickMove& m) { return sameFileName(m.to, name); });
    };
    for (const auto& move : moves) {
        if (move.copy && (leaving(move.to) || taking(move.to) || taking(move.from) ||
                          std::any_of(moves.begin(), moves.end(), [&](const StickMove& other) {
                              return other.copy && sameFileName(other.from, move.to);
                          }))) {
            return std::nullopt;
        }
    }
    std::vector<std::vector<std::size_t>> chains;
    std::size_t placed = 0;
    for (std::size_t head = 0; head < moves.size(); ++head) {
        if (moves[head].copy || leaving(moves[head].to)) {
            continue;
        }
        std::vector<std::size_t> chain;
        for (std::optional<std::size_t> at = head; at; at = taking(moves[*at].from)) {
            if (*at == moves.size() || chain.size() == moves.size()) {
                return std::nullopt;
            }
            chain.push_back(*at);
        }
        placed += chain.size();
        chains.push_back(std::move(chain));
    }
    const auto renames = static_cast<std::size_t>(
        std::count_if(moves.begin(), moves.end(), [](const StickMove& m) { return !m.copy; }));
    if (placed != renames) {
        return std::nullopt; // the rest go round in circles
    }
    return chains;
}

// The renames of a change that reached the stick: a file under its new name whose old name is
// free, or taken by a file of the same chain that arrived too.
std::vector<StickMove> arrivedMoves(StickFiles& stick, const std::vector<StickMove>& moves) {
    std::vector<StickMove> arrived;
    for (bool more = true; more;) {
        more = false;
        for (const StickMove& move : moves) {
            const bool known = std::find(arrived.begin(), arrived.end(), move) != arrived.end();
            const bool freed =
                !stick.exists(move.from) ||
                std::any_of(arrived.begin(), arrived.end(), [&](const StickMove& other) {
                    return sameFileName(other.to, move.from);
                });
            if (!move.copy && !known && freed && stick.exists(move.to)) {
                arrived.push_back(move);
                more = true;
            }
        }
    }
    return arrived;
}

// The files that earlier runs of this session moved, as the journal on the stick tells, when
// the index file they started from is still in effect: from its names to where they stand.
std::vector<StickMove> movedUnder(StickFiles& stick, const IndexStamp& startIndex) {
    if (!stick.exists(JournalName)) {
        return {};
    }
    const auto bytes = stick.operations().readFile(*stick.pathOf(JournalName));
    const auto earlier = bytes ? parseJournal(*bytes) : std::nullopt;
    if (!earlier || earlier->startIndex != startIndex) {
        return {};
    }
    const std::vector<StickMove> arrived = arrivedMoves(stick, earlier->moves);
    std::vector<StickMove> moved = earlier->movedBefore;
    for (StickMove& before : moved) {
        const auto on = std::find_if(arrived.begin(), arrived.end(), [&](const StickMove& m) {
            return sameFileName(m.from, before.to);
        });
        if (on != arrived.end()) {
            before.to = on->to;
        }
    }
    for (const StickMove& move : arrived) {
        if (std::none_of(
                earlier->movedBefore.begin(), earlier->movedBefore.end(),
                [&](const StickMove& before) { return sameFileName(before.to, move.from); })) {
            moved.push_back(move);
        }
    }
    return moved;
}

} // namespace

bool isWorkingFileName(std::string_view name) {
    // A lock file is written under its name and the holder's process id before it takes its
    // place; a crash at that instant leaves it.
    const std::string lockCandidate = std::string(LockFileName) + ".";
    return name.ends_with(CopySuffix) || name.ends_with(MoveSuffix) ||
           sameFileName(name, JournalName) || sameFileName(name, JournalTempName) ||
           (name.size() > lockCandidate.size() &&
            sameFileName(name.substr(0, lockCandidate.size()), lockCandidate));
}

StickChangeRun::StickChangeRun(StickFiles& stick, StickChange change, std::string plannedIndex,
                               bool announced)
    : m_stick(stick)
    , m_change(std::move(change))
    , m_plannedIndex(std::move(plannedIndex))
    , m_announced(announced)
    , m_resumedAfterParking(announced && m_change.movesParked) {
    // A resumed run keeps the journal's word, even when the planned index took effect.
    if (!announced) {
        m_change.plannedIndex = stampOf(m_plannedIndex);
    }
}

FileResult StickChangeRun::announce(const std::string& indexName) {
    // The journal names the planned index file by its stamp: it must stand complete before
    // the journal does. A run cut short before that finishes nothing.
    if (!m_announced) {
        // Read only when this run does not know what it last wrote there: on a slow stick
        // every look costs.
        auto start = m_stick.knownContent(indexName);
        if (const auto path = m_stick.pathOf(indexName); !start && path) {
            start = m_stick.operations().readFile(*path).value_or(std::string());
        }
        m_change.startIndex = stampOf(start.value_or(std::string()));
        // The index file an earlier commit put in place without a flush is the one the
        // journal starts from: it reaches the medium first, or a power loss could leave the
        // journal beside the index file before it, which it would not recognise.
        if (m_stick.changesUnflushed()) {
            if (auto earlier = m_stick.flush(); earlier.failed()) {
                return earlier;
            }
        }
        // The journal written below replaces one that a failed run may have left: what that
        // run moved stays told.
        m_change.movedBefore = movedUnder(m_stick, m_change.startIndex);
        // Flushed below, together with the journal.
        if (auto written =
                writeUnderTemporaryName(m_stick, IndexTempName, m_plannedIndex, Flush::Later);
            written.failed()) {
            return written;
        }
    }
    m_announced = true;
    if (auto written = writeJournal(); written.failed()) {
        return written;
    }
    // Both reach the medium before the first name changes: renames that arrive without the
    // journal that explains them could not be finished.
    return m_stick.flush();
}

FileResult StickChangeRun::writeJournal() {
    const std::string journal = composeJournal(m_change);
    // The journal is not flushed on its own: whoever writes it flushes before anything it
    // speaks of changes. A journal cut short reads as none, so the first one is written in
    // place.
    if (!m_stick.exists(JournalName)) {
        auto written = m_stick.write(JournalName, journal);
        if (written.failed()) {
            m_stick.deleteFile(JournalName);
        }
        return written;
    }
    // One that stands already is replaced only complete: files it parked may wait for it. The
    // new one reaches the medium before it takes the name, or a power loss could leave the
    // name on bytes that never arrived, which read as a journal cut short.
    return writeAndReplace(m_stick, JournalTempName, JournalName, journal, Flush::Now);
}

std::vector<FileResult> StickChangeRun::moveFiles() {
    const std::vector<StickMove>& moves = m_change.moves;
    m_arrived.assign(moves.size(), false);
    // A file under its parking name belongs to a run that parked, and is finished that way.
    const bool anyParked = std::any_of(moves.begin(), moves.end(), [&](const StickMove& move) {
        return !move.copy && m_stick.exists(parked(move.from));
    });
    if (const auto chains = renameChains(moves);
        chains && !anyParked && !m_parkEveryMove && !m_change.movesParked) {
        m_inOrder = true;
        return moveInOrder(*chains);
    }
    return moveOverParkingNames();
}

// Each rename once, where the order allows it. A run resumed after an interruption tells by
// the names alone how far a chain came: before its first rename every file of the chain
// stands under its old name; from then on one old name is free, and a file whose new name is
// taken has arrived there.
std::vector<FileResult>
StickChangeRun::moveInOrder(const std::vector<std::vector<std::size_t>>& chains) {
    std::vector<FileResult> failures;
    const std::vector<StickMove>& moves = m_change.moves;
    // Copies first, from files no rename has taken away yet.
    for (std::size_t i = 0; i < moves.size(); ++i) {
        const StickMove& move = moves[i];
        if (!move.copy) {
            continue;
        }
        if (!m_stick.exists(move.from)) {
            m_arrived[i] = m_stick.exists(move.to); // made before the file moved on
        } else if (auto copied = m_stick.copyIn(*m_stick.pathOf(move.from), move.to);
                   copied.failed()) {
            failures.push_back(std::move(copied));
        } else {
            m_arrived[i] = true;
        }
    }
    for (const auto& chain : chains) {
        bool started = std::any_of(chain.begin(), chain.end(),
                                   [&](std::size_t i) { return !m_stick.exists(moves[i].from); });
        for (const std::size_t i : chain) {
            const StickMove& move = moves[i];
            if (!m_stick.exists(move.from)) {
                m_arrived[i] = true;
                continue;
            }
            bool madeRoom = false;
            if (m_stick.exists(move.to)) {
                if (started) {
                    m_arrived[i] = true;
                    continue;
                }
                m_stick.deleteFile(move.to); // left over: a name nobody leaves
                madeRoom = true;
            }
            // The name this file leaves is the next one's to take: the rename that freed it
            // reaches the medium first, or a power loss could let the next file arrive over
            // this one. So does a deletion that made room, or it could take the file that
            // arrived.
            if (started || madeRoom) {
                if (auto freed = m_stick.flush(); freed.failed()) {
                    failures.push_back(freed.namedAs(move.to));
                    break;
                }
            }
            if (auto renamed = m_stick.rename(move.from, move.to); renamed.failed()) {
                // The rest of the chain would take names still held.
                failures.push_back(std::move(renamed));
                break;
            }
            started = true;
            m_arrived[i] = true;
        }
    }
    return failures;
}

bool StickChangeRun::renamesDone() {
    const std::vector<StickMove>& moves = m_change.moves;
    for (std::size_t i = 0; i < moves.size(); ++i) {
        if (!moves[i].copy && (m_inOrder ? !arrived(i) : m_stick.exists(parked(moves[i].from)))) {
            return false;
        }
    }
    return true;
}

// Every moving file first goes under its parking name, so that files may swap names; the
// journal notes that, and from then on a file under an old name is one that arrived there.
std::vector<FileResult> StickChangeRun::moveOverParkingNames() {
    std::vector<FileResult> failures;
    const std::vector<StickMove>& moves = m_change.moves;
    const bool anyRename =
        std::any_of(moves.begin(), moves.end(), [](const StickMove& move) { return !move.copy; });
    if (!m_change.movesParked) {
        for (const auto& move : moves) {
            // A file that waits under its parking name since an earlier run failed is the
            // one to move; a file under the old name may have arrived there since.
            if (move.copy || m_stick.exists(parked(move.from)) || !m_stick.exists(move.from)) {
                continue; // a file that is nowhere is missed below
            }
            // The user hears of the name the file was to take, not of its parking name.
            if (const auto parking = m_stick.rename(move.from, parked(move.from));
                parking.failed()) {
                failures.push_back(parking.namedAs(move.to));
            }
        }
        m_change.movesParked = true;
        // From here on a file under an old name is one that arrived there: the journal must
        // say so on the medium before any file leaves its parking name.
        if (anyRename && m_announced) {
            auto journal = writeJournal();
            if (journal.ok()) {
                journal = m_stick.flush();
            }
            if (journal.failed()) {
                failures.push_back(journal.namedAs(JournalName));
                return failures;
            }
        }
    }
    for (std::size_t i = 0; i < moves.size(); ++i) {
        const StickMove& move = moves[i];
        if (!move.copy) {
            continue;
        }
        // A file that moves as well is read where it waits. A resumed run finds a copy that
        // is there made before the interruption.
        const std::string from = m_stick.exists(parked(move.from)) ? parked(move.from) : move.from;
        if (m_resumedAfterParking && m_stick.exists(move.to)) {
            m_arrived[i] = true;
            continue;
        }
        if (auto copied = m_stick.copyIn(*m_stick.pathOf(from), move.to); copied.failed()) {
            failures.push_back(std::move(copied));
        } else {
            m_arrived[i] = true;
        }
    }
    for (std::size_t i = 0; i < moves.size(); ++i) {
        const StickMove& move = moves[i];
        if (move.copy) {
            continue;
        }
        if (!m_stick.exists(parked(move.from))) {
            // Parking failed, or a resumed run finds the move made already.
            failures.emplace_back(move.to,
                                  std::make_error_code(std::errc::no_such_file_or_directory));
            continue;
        }
        // Every file that was to leave this name waits under its parking name by now;
        // whatever stands here is left over and makes room.
        if (m_stick.exists(move.to)) {
            m_stick.deleteFile(move.to);
            // On the medium before the file arrives, or it could take that file.
            if (auto madeRoom = m_stick.flush(); madeRoom.failed()) {
                failures.push_back(madeRoom.namedAs(move.to));
                continue;
            }
        }
        if (auto renamed = m_stick.rename(parked(move.from), move.to); renamed.failed()) {
            failures.push_back(std::move(renamed));
        } else {
            m_arrived[i] = true;
        }
    }
    return failures;
}

std::vector<FileResult> StickChangeRun::finish(const std::string& indexName,
                                               const std::optional<std::string>& indexBytes) {
    std::string index;
    if (indexBytes) {
        // Whatever step of it failed, the user hears of the index file.
        if (const auto placed = putIndexInPlace(indexName, *indexBytes); placed.failed()) {
            return {placed.namedAs(indexName)};
        }
        // The index file reaches the medium before anything it no longer lists goes, and
        // before the journal: a stick that loses power keeps unflushed changes in any order,
        // and a deletion or the journal's end that arrived without the index file would leave
        // the old index file naming files that are gone or have moved.
        if (!m_change.deletions.empty() || m_announced) {
            if (const auto flushed = m_stick.flush(); flushed.failed()) {
                return {flushed.namedAs(indexName)};
            }
        } else {
            m_stick.leaveUnflushed();
        }
        index = *indexBytes;
    } else if (!m_change.deletions.empty()) {
        index = m_stick.operations().readFile(*m_stick.pathOf(indexName)).value_or(std::string());
    }
    std::vector<FileResult> failures;
    const IndexContent content = parseIndexFile(m_change.deletions.empty() ? "" : index);
    for (const auto& name : m_change.deletions) {
        if (!isListed(name, content) && m_stick.deleteFile(name).failed() && m_stick.exists(name)) {
            failures.emplace_back(name, std::make_error_code(std::errc::permission_denied));
        }
    }
    // With a deletion left undone the journal stays, and the next start tries again. The
    // deletions reach the medium before the journal goes: a power loss could otherwise keep
    // a file that was to go, which no journal names any more and the module may play. A
    // journal that cannot go is reported: the stick refuses changes.
    if (failures.empty() && m_announced && !m_change.deletions.empty()) {
        if (const auto flushed = m_stick.flush(); flushed.failed()) {
            failures.push_back(flushed.namedAs(JournalName));
        }
    }
    if (failures.empty() && m_announced) {
        if (const auto removed = m_stick.deleteFile(JournalName);
            removed.failed() && m_stick.exists(JournalName)) {
            failures.push_back(removed.namedAs(JournalName));
        }
    }
    return failures;
}

// The planned index file waits under its temporary name since the change was announced: one
// flush takes it to the medium with everything the change wrote, and a rename puts it in
// place. An index file that differs from the plan, when a move failed, is written anew.
FileResult StickChangeRun::putIndexInPlace(const std::string& indexName,
                                           const std::string& indexBytes) {
    if (!m_announced) {
        return replaceIndexFile(m_stick, indexName, indexBytes);
    }
    if (indexBytes != m_plannedIndex) {
        // The journal heads for the index file that takes effect, so that a run cut short
        // after it still makes the deletions.
        m_change.plannedIndex = stampOf(indexBytes);
        m_plannedIndex = indexBytes;
        if (auto journal = writeJournal(); journal.failed()) {
            return journal;
        }
        return replaceIndexFile(m_stick, indexName, indexBytes);
    }
    if (auto flushed = m_stick.flush(); flushed.failed()) {
        return flushed;
    }
    return m_stick.replace(IndexTempName, indexName);
}

namespace {

// The journal on the stick with what it needs to go on, as journalStateOf tells it.
struct JournalOnStick {
    JournalState state = JournalState::None;
    std::optional<StickChange> change;
    std::optional<std::string> plannedIndex;
    std::string index; // the index file on the stick
};

JournalOnStick readJournal(StickFiles& stick, const std::string& indexName) {
    JournalOnStick found;
    FileOperations& files = stick.operations();
    const auto bytes = files.readFile(*stick.pathOf(JournalName));
    if (!bytes) {
        return found;
    }
    found.change = parseJournal(*bytes);
    if (!found.change) {
        found.state = JournalState::CutShort;
        return found;
    }
    const auto indexPath = stick.pathOf(indexName);
    found.index = indexPath ? files.readFile(*indexPath).value_or(std::string()) : std::string();
    const IndexStamp index = stampOf(found.index);
    auto planned = files.readFile(*stick.pathOf(IndexTempName));
    const bool waiting = planned && stampOf(*planned) == found.change->plannedIndex;
    if (index == found.change->startIndex && waiting) {
        found.state = JournalState::Waiting;
        found.plannedIndex = std::move(planned).optional();
    } else if (index == found.change->plannedIndex) {
        found.state = JournalState::InEffect;
    } else if (index == found.change->startIndex) {
        found.state = JournalState::NotBegun;
    } else {
        found.state = JournalState::Foreign;
    }
    return found;
}

// Whether a line's source is the stick file of that name itself. An index file written while
// the stick was at another folder names it there: a path that names the file and finds
// nothing there is the file too, since nothing else could give the row its sound; left as it
// was, the path would name whatever file takes that name once the stick is back there.
bool namesOwnFile(StickFiles& stick, const std::string& source, const std::string& name) {
    if (const auto own = stick.nameInRoot(source)) {
        return sameFileName(*own, name);
    }
    return stick.ownFileMountedElsewhere(source, name) ||
           (sameFileName(fileNameOf(source), name) && !stick.operations().status(source));
}

// The index lines with every file a set of renames moved under its new name; a line whose
// name another file moved to made room for it and goes. The renames of one set happen
// together: a chain is read as a whole, never one link after the other.
std::vector<IndexEntryLine> renamedLines(StickFiles& stick, std::vector<IndexEntryLine> lines,
                                         const std::vector<StickMove>& moves) {
    const auto renameOf = [&](const std::string& name, auto StickMove::*end) {
        return std::find_if(moves.begin(), moves.end(), [&](const StickMove& m) {
            return !m.copy && sameFileName(m.*end, name);
        });
    };
    std::vector<IndexEntryLine> renamed;
    for (IndexEntryLine& line : lines) {
        const auto move = renameOf(line.entryName, &StickMove::from);
        if (move == moves.end()) {
            if (renameOf(line.entryName, &StickMove::to) == moves.end()) {
                renamed.push_back(std::move(line));
            }
            continue;
        }
        // A sound that is its own stick file goes along with it.
        if (namesOwnFile(stick, line.sourcePath, move->from)) {
            line.sourcePath = *stick.pathOf(move->to);
        }
        line.entryName = move->to;
        renamed.push_back(std::move(line));
    }
    return renamed;
}

// The index file a change heads for when its planned one is gone though the change had
// begun: a later commit of the same session takes the planned index file away before its own
// journal stands. Begun means a file it moves, or one an earlier run moved, has left its old
// name. The index file it was planned from, with every moved file under its new name, then
// stands in for the plan; nothing when no file had moved.
std::optional<std::string> indexAfterBegunMoves(StickFiles& stick, const StickChange& change,
                                                const std::string& startIndex) {
    const bool begun =
        change.movesParked || !change.movedBefore.empty() ||
        std::any_of(change.moves.begin(), change.moves.end(), [&](const StickMove& move) {
            return !move.copy && !stick.exists(move.from) &&
                   (stick.exists(move.to) || stick.exists(parked(move.from)));
        });
    if (!begun) {
        return std::nullopt;
    }
    IndexContent content = parseIndexFile(startIndex);
    const auto lines = renamedLines(
        stick, renamedLines(stick, std::move(content.entries), change.movedBefore), change.moves);
    return composeIndexFile(lines, content.settings, {});
}

// The planned index file without the lines of sounds that never arrived under a name the change
// creates or frees by a move, and whose source is their own stick file: a sound made in memory,
// which only the cut-short run held. Such a row goes back to what it was before the change: the
// files the change was to delete stay, listed as the index file it started from lists them
// (under the names an earlier run moved them to), since one of them is that row's sound. Any other
// line names a source the next commit copies again.
std::string withoutLostNewSounds(StickFiles& stick, const StickChange& change,
                                 const std::string& planned, const std::string& startIndex) {
    IndexContent content = parseIndexFile(planned);
    const auto lost = [&](const IndexEntryLine& line) {
        const auto named = [&](const std::string& name) {
            return sameFileName(name, line.entryName);
        };
        return namesOwnFile(stick, line.sourcePath, line.entryName) &&
               !stick.exists(line.entryName) &&
               (std::any_of(change.newFiles.begin(), change.newFiles.end(),
                            [&](const NewStickFile& file) { return named(file.name); }) ||
                std::any_of(change.moves.begin(), change.moves.end(),
                            [&](const StickMove& move) { return !move.copy && named(move.from); }));
    };
    if (std::none_of(content.entries.begin(), content.entries.end(), lost)) {
        return planned;
    }
    std::erase_if(content.entries, lost);
    // The lines as they stood, with what an earlier run moved under its new name.
    for (const IndexEntryLine& line :
         renamedLines(stick, parseIndexFile(startIndex).entries, change.movedBefore)) {
        const bool deleted = std::any_of(
            change.deletions.begin(), change.deletions.end(),
            [&](const std::string& name) { return sameFileName(name, line.entryName); });
        if (deleted && !isListed(line.entryName, content) && stick.exists(line.entryName)) {
            content.entries.push_back(line);
        }
    }
    return composeIndexFile(content.entries, content.settings, {});
}

} // namespace

JournalState journalStateOf(StickFiles& stick, const std::string& indexName) {
    return readJournal(stick, indexName).state;
}

bool finishInterruptedChange(StickFiles& stick, const std::string& indexName) {
    const JournalOnStick journal = readJournal(stick, indexName);
    // A sound cut short while it was copied goes; the next commit copies it again. So it does
    // under a journal that seems not begun: a later commit of the same session may have
    // written its planned index file over this one's before its own journal could stand.
    for (const auto& file : journal.state == JournalState::Foreign || !journal.change
                                ? std::vector<NewStickFile>{}
                                : journal.change->newFiles) {
        if (const auto status = stick.status(file.name); status && status->size != file.size) {
            stick.deleteFile(file.name);
        }
    }
    switch (journal.state) {
    case JournalState::None:
    case JournalState::Foreign:
        return false;
    case JournalState::CutShort:
        // Nothing on the stick had changed yet: the journal is flushed before the first change.
        dropChange(stick);
        return false;
    case JournalState::NotBegun:
        // Nothing had changed but the planned index file, unless a later commit of the same
        // session took that away after this change had begun. Moved files are then taken to
        // their new names. A sound copied over a listed one would leave the index file naming
        // the old sound for the new bytes: the next commit looks at every sound, and copies
        // the old one again where the stick holds another.
        if (const auto index = indexAfterBegunMoves(stick, *journal.change, journal.index)) {
            StickChangeRun run(stick, *journal.change, std::string(), true);
            run.moveFiles();
            if (run.renamesDone()) {
                run.finish(indexName, *index);
            }
            return true;
        }
        unparkWhatTheIndexNames(stick, *journal.change, parseIndexFile(journal.index));
        dropChange(stick);
        return true;
    case JournalState::InEffect: {
        // The index file took effect once every move had arrived or was given up, and names
        // each file where it stands: a move made again would take a name that a copy after it
        // filled. Only a file still waiting under its parking name goes to the name the index
        // file gives it; then the deletions.
        const IndexContent index = parseIndexFile(journal.index);
        for (const StickMove& move : journal.change->moves) {
            const bool listed = std::any_of(index.entries.begin(), index.entries.end(),
                                            [&](const IndexEntryLine& line) {
                                                return sameFileName(line.entryName, move.from);
                                            });
            if (!move.copy && listed && !stick.exists(move.from) &&
                stick.exists(parked(move.from))) {
                stick.rename(parked(move.from), move.from);
            }
        }
        StickChangeRun(stick, *journal.change, std::string(), true).finish(indexName, std::nullopt);
        return true;
    }
    case JournalState::Waiting:
        break;
    }
    // A change of which a sound made in memory never arrived, while nothing else of it reached
    // the stick, is dropped as a whole: carried out without that sound, its moves would take
    // names from files that may hold the only copy of a sound the lost one was made from.
    if (!journal.change->newFiles.empty() &&
        nothingArrived(stick, *journal.change, parseIndexFile(journal.index))) {
        dropChange(stick);
        return true;
    }
    StickChangeRun run(stick, *journal.change, *journal.plannedIndex, true);
    run.moveFiles();
    // A rename left undone means the stick refused it: the journal stays for the next try.
    if (run.renamesDone()) {
        run.finish(indexName, withoutLostNewSounds(stick, *journal.change, *journal.plannedIndex,
                                                   journal.index));
    }
    return true;
}

} // namespace tonarion
