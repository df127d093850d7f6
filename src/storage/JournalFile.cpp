#include "storage/JournalFile.h"

#include "model/WholeNumber.h"
#include "storage/StickFiles.h"

#include <algorithm>
#include <charconv>

namespace tonarion {
namespace {

constexpr std::string_view JournalHeader = "Tonarion-Vorhaben";
constexpr std::string_view JournalEnd = "ende";
constexpr std::string_view NewWord = "neu";
constexpr std::string_view MoveWord = "verschieben";
constexpr std::string_view CopyWord = "kopieren";
constexpr std::string_view ParkedWord = "geparkt";
constexpr std::string_view MovedWord = "verschoben";
constexpr std::string_view DeleteWord = "loeschen";
constexpr std::string_view IndexWord = "index";
constexpr std::string_view StartWord = "von";
// Tabs separate the words: no plain file name holds one.
constexpr char Separator = '\t';

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

std::string stampText(std::string_view word, const IndexStamp& stamp) {
    char checksum[9] = {};
    std::to_chars(checksum, checksum + 8, stamp.checksum, 16);
    return std::string(word) + Separator + std::to_string(stamp.size) + Separator + checksum + "\n";
}

bool allPlain(const std::vector<std::string_view>& words) {
    return std::all_of(words.begin() + 1, words.end(), isPlainFileName);
}

std::optional<std::uintmax_t> number(std::string_view digits) {
    return wholeNumber<std::uintmax_t>(digits);
}

std::optional<IndexStamp> stampFrom(const std::vector<std::string_view>& words) {
    const auto size = number(words[1]);
    const auto checksum = wholeNumber<std::uint32_t>(words[2], 16);
    if (!size || !checksum) {
        return std::nullopt;
    }
    return IndexStamp{*size, *checksum};
}

} // namespace

IndexStamp stampOf(std::string_view bytes) {
    // CRC-32 as zip and PNG have it; an index file is small enough to go bit by bit.
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= static_cast<unsigned char>(byte);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return {bytes.size(), ~crc};
}

std::string composeJournal(const StickChange& change) {
    std::string out = std::string(JournalHeader) + "\n";
    for (const auto& file : change.newFiles) {
        out += std::string(NewWord) + Separator + file.name + Separator +
               std::to_string(file.size) + "\n";
    }
    for (const auto& move : change.moves) {
        out += std::string(move.copy ? CopyWord : MoveWord) + Separator + move.from + Separator +
               move.to + "\n";
    }
    if (change.movesParked) {
        out += std::string(ParkedWord) + "\n";
    }
    for (const auto& move : change.movedBefore) {
        out += std::string(MovedWord) + Separator + move.from + Separator + move.to + "\n";
    }
    for (const auto& name : change.deletions) {
        out += std::string(DeleteWord) + Separator + name + "\n";
    }
    out += stampText(StartWord, change.startIndex);
    out += stampText(IndexWord, change.plannedIndex);
    out += std::string(JournalEnd) + "\n";
    return out;
}

std::optional<StickChange> parseJournal(std::string_view bytes) {
    StickChange change;
    bool first = true;
    bool started = false;
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
        if (!allPlain(words) && words[0] != IndexWord && words[0] != StartWord) {
            return std::nullopt;
        }
        if (words[0] == NewWord && words.size() == 3) {
            if (const auto size = number(words[2])) {
                change.newFiles.push_back({std::string(words[1]), *size});
            } else {
                return std::nullopt;
            }
        } else if ((words[0] == MoveWord || words[0] == CopyWord) && words.size() == 3) {
            change.moves.push_back(
                {std::string(words[1]), std::string(words[2]), words[0] == CopyWord});
        } else if (words[0] == MovedWord && words.size() == 3) {
            change.movedBefore.push_back({std::string(words[1]), std::string(words[2]), false});
        } else if (words[0] == ParkedWord && words.size() == 1) {
            change.movesParked = true;
        } else if (words[0] == DeleteWord && words.size() == 2) {
            change.deletions.emplace_back(words[1]);
        } else if (words[0] == StartWord && words.size() == 3 && stampFrom(words)) {
            change.startIndex = *stampFrom(words);
            started = true;
        } else if (words[0] == IndexWord && words.size() == 3 && stampFrom(words) && started) {
            change.plannedIndex = *stampFrom(words);
            return bytes == std::string(JournalEnd) + "\n" ? std::optional(change) : std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

} // namespace tonarion
