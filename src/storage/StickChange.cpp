#include "storage/StickChange.h"

#include "storage/IndexFile.h"

#include <algorithm>
#include <charconv>

namespace tonarion {
namespace {

constexpr std::string_view JournalHeader = "Tonarion-Vorhaben";
constexpr std::string_view JournalEnd = "ende";
constexpr std::string_view MoveWord = "verschieben";
constexpr std::string_view CopyWord = "kopieren";
constexpr std::string_view ParkedWord = "geparkt";
constexpr std::string_view DeleteWord = "loeschen";
constexpr std::string_view IndexWord = "index";
// Tabs separate the words: no plain file name holds one.
constexpr char Separator = '\t';

std::string parked(const std::string& name) {
    return name + MoveSuffix;
}

std::vector<std::string_view> split(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t start = 0;
    for (std::size_t tab = line.find(Separator); tab != std::string_view::npos;
         tab = line.find(Separator, start)) {
        words.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    words.push_back(line.substr(start));
    return words;
}

bool allPlain(const std::vector<std::string_view>& words) {
    return std::all_of(words.begin() + 1, words.end(), isPlainFileName);
}

} // namespace

std::string composeJournal(const StickChange& change) {
    std::string out = std::string(JournalHeader) + "\n";
    for (const auto& move : change.moves) {
        out += std::string(move.copy ? CopyWord : MoveWord) + Separator + move.from + Separator +
               move.to + "\n";
    }
    if (change.movesParked) {
        out += std::string(ParkedWord) + "\n";
    }
    for (const auto& name : change.deletions) {
        out += std::string(DeleteWord) + Separator + name + "\n";
    }
    out += std::string(IndexWord) + Separator + std::to_string(change.plannedIndex.size()) + "\n";
    out += change.plannedIndex;
    out += std::string(JournalEnd) + "\n";
    return out;
}

std::optional<StickChange> parseJournal(std::string_view bytes) {
    StickChange change;
    bool first = true;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end + 1);
        if (first) {
            if (line != JournalHeader) {
                return std::nullopt;
            }
            first = false;
            continue;
        }
        const auto words = split(line);
        if (!allPlain(words) && words[0] != IndexWord) {
            return std::nullopt;
        }
        if ((words[0] == MoveWord || words[0] == CopyWord) && words.size() == 3) {
            change.moves.push_back(
                {std::string(words[1]), std::string(words[2]), words[0] == CopyWord});
        } else if (words[0] == ParkedWord && words.size() == 1) {
            change.movesParked = true;
        } else if (words[0] == DeleteWord && words.size() == 2) {
            change.deletions.emplace_back(words[1]);
        } else if (words[0] == IndexWord && words.size() == 2) {
            std::size_t size = 0;
            const auto [last, error] =
                std::from_chars(words[1].data(), words[1].data() + words[1].size(), size);
            if (error != std::errc{} || last != words[1].data() + words[1].size() ||
                bytes.size() < size) {
                return std::nullopt;
            }
            change.plannedIndex = std::string(bytes.substr(0, size));
            bytes.remove_prefix(size);
            return bytes == std::string(JournalEnd) + "\n" ? std::optional(change) : std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

bool isWorkingFileName(std::string_view name) {
    return name.ends_with(CopySuffix) || name.ends_with(MoveSuffix) ||
           sameFileName(name, JournalName) || sameFileName(name, JournalTempName);
}

StickChangeRun::StickChangeRun(StickFiles& stick, StickChange change, bool announced)
    : m_stick(stick)
    , m_change(std::move(change))
    , m_announced(announced)
    , m_resumedAfterParking(announced && m_change.movesParked) {}

std::error_code StickChangeRun::announce() {
    m_announced = true;
    // What a run cut short left under the temporary name goes first: FAT drivers such as
    // fusefat refuse to truncate a file.
    if (m_stick.exists(JournalTempName)) {
        m_stick.deleteFile(JournalTempName);
    }
    if (const auto error = m_stick.writeDurably(JournalTempName, composeJournal(m_change))) {
        m_stick.deleteFile(JournalTempName);
        return error;
    }
    return m_stick.replace(JournalTempName, JournalName);
}

std::vector<StickFailure> StickChangeRun::moveFiles() {
    std::vector<StickFailure> failures;
    const std::vector<StickMove>& moves = m_change.moves;
    m_arrived.assign(moves.size(), false);
    const bool anyRename =
        std::any_of(moves.begin(), moves.end(), [](const StickMove& move) { return !move.copy; });
    if (!m_change.movesParked) {
        for (const auto& move : moves) {
            // A file that waits under its parking name since an earlier run failed is the
            // one to move; a file under the old name may have arrived there since.
            if (move.copy || m_stick.exists(parked(move.from)) || !m_stick.exists(move.from)) {
                continue; // a file that is nowhere is missed below
            }
            if (const auto error = m_stick.rename(move.from, parked(move.from))) {
                failures.push_back({move.to, error});
            }
        }
        m_change.movesParked = true;
        if (anyRename && m_announced) {
            if (const auto error = announce()) {
                failures.push_back({JournalName, error});
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
        if (const auto error = m_stick.copyIn(*m_stick.pathOf(from), move.to)) {
            failures.push_back({move.to, error});
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
            failures.push_back(
                {move.to, std::make_error_code(std::errc::no_such_file_or_directory)});
            continue;
        }
        // Every file that was to leave this name waits under its parking name by now;
        // whatever stands here is left over and makes room.
        if (m_stick.exists(move.to)) {
            m_stick.deleteFile(move.to);
        }
        if (const auto error = m_stick.rename(parked(move.from), move.to)) {
            failures.push_back({move.to, error});
        } else {
            m_arrived[i] = true;
        }
    }
    return failures;
}

std::vector<StickFailure> StickChangeRun::finish(const std::string& indexName,
                                                 const std::string& indexBytes) {
    if (const auto error = replaceIndexFile(m_stick, indexName, indexBytes)) {
        return {{indexName, error}};
    }
    std::vector<StickFailure> failures;
    const IndexContent content = parseIndexFile(indexBytes);
    for (const auto& name : m_change.deletions) {
        if (!isListed(name, content) && !m_stick.deleteFile(name) && m_stick.exists(name)) {
            failures.push_back({name, std::make_error_code(std::errc::permission_denied)});
        }
    }
    // With a deletion left undone the journal stays, and the next start tries again.
    if (failures.empty() && m_announced) {
        m_stick.deleteFile(JournalName);
    }
    return failures;
}

bool StickChangeRun::isListed(const std::string& name, const IndexContent& content) const {
    return std::any_of(
               content.entries.begin(), content.entries.end(),
               [&](const IndexEntryLine& line) { return sameFileName(line.entryName, name); }) ||
           std::any_of(AllSettings.begin(), AllSettings.end(), [&](Setting setting) {
               return sameFileName(content.settings[setting], name);
           });
}

bool finishInterruptedChange(StickFiles& stick, const std::string& indexName) {
    const auto path = stick.pathOf(JournalName);
    std::error_code error;
    const auto bytes = stick.operations().readFile(*path, error);
    if (!bytes) {
        return false;
    }
    const auto change = parseJournal(*bytes);
    if (!change) {
        // Cut short while it was written: nothing on the stick had changed yet.
        stick.deleteFile(JournalName);
        return false;
    }
    StickChangeRun run(stick, *change, true);
    run.moveFiles();
    // A file still parked means the stick refused a move: the journal stays for the next try.
    const bool parkedLeft =
        std::any_of(change->moves.begin(), change->moves.end(), [&](const StickMove& move) {
            return !move.copy && stick.exists(parked(move.from));
        });
    if (!parkedLeft) {
        run.finish(indexName, change->plannedIndex);
    }
    return true;
}

} // namespace tonarion
