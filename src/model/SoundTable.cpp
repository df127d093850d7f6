#include "model/SoundTable.h"

#include <algorithm>
#include <stdexcept>

namespace tonarion {

const SoundEntry& SoundTable::row(int row) const {
    static const SoundEntry emptyRow;
    return row == nextRow() ? emptyRow : m_entries[index(row)];
}

std::string SoundTable::cellText(int row, Column column) const {
    if (column == Column::Nr) {
        return std::to_string(row);
    }
    return tonarion::cellText(this->row(row), column);
}

void SoundTable::appendEntry(SoundEntry entry) {
    const int row = nextRow();
    if (m_observer) {
        m_observer->rowsAboutToBeInserted(row, row);
    }
    m_entries.push_back(std::move(entry));
    if (m_observer) {
        m_observer->rowsInserted();
        m_observer->rowsChanged(nextRow(), nextRow());
    }
}

void SoundTable::replaceRow(int row, SoundEntry entry) {
    m_entries[index(row)] = std::move(entry);
    if (m_observer) {
        m_observer->rowsChanged(row, row);
    }
}

void SoundTable::setSoundNotFound(int row, bool notFound) {
    SoundEntry& entry = m_entries[index(row)];
    if (entry.soundNotFound == notFound) {
        return;
    }
    entry.soundNotFound = notFound;
    if (m_observer) {
        m_observer->rowsChanged(row, row);
    }
}

void SoundTable::removeRow(int row) {
    const auto at = index(row);
    if (m_observer) {
        m_observer->rowsAboutToBeRemoved(row, row);
    }
    m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(at));
    if (m_observer) {
        m_observer->rowsRemoved();
        // Every row below has a new number.
        m_observer->rowsChanged(row, nextRow());
    }
}

void SoundTable::clear() {
    if (m_observer) {
        m_observer->aboutToReset();
    }
    m_entries.clear();
    m_lastSort = SortOrder::None;
    if (m_observer) {
        m_observer->resetDone();
    }
}

void SoundTable::sortByColumn(Column column) {
    m_lastSort = m_lastSort == SortOrder::Descending ? SortOrder::Ascending : SortOrder::Descending;
    if (m_observer) {
        m_observer->orderAboutToChange();
    }
    struct Keyed {
        std::string key;
        int oldRow;
        SoundEntry entry;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(m_entries.size());
    for (int row = 1; row < nextRow(); ++row) {
        keyed.push_back({foldCase(cellText(row, column)), row, std::move(m_entries[index(row)])});
    }
    const bool descending = m_lastSort == SortOrder::Descending;
    std::stable_sort(keyed.begin(), keyed.end(), [descending](const Keyed& a, const Keyed& b) {
        return descending ? b.key < a.key : a.key < b.key;
    });
    std::vector<int> oldRows;
    oldRows.reserve(keyed.size());
    for (std::size_t i = 0; i < keyed.size(); ++i) {
        m_entries[i] = std::move(keyed[i].entry);
        oldRows.push_back(keyed[i].oldRow);
    }
    if (m_observer) {
        m_observer->orderChanged(oldRows);
    }
}

std::optional<int> SoundTable::rowWithEntryName(std::string_view entryName, int exceptRow) const {
    for (int row = 1; row < nextRow(); ++row) {
        if (row != exceptRow && m_entries[index(row)].entryName == entryName) {
            return row;
        }
    }
    return std::nullopt;
}

std::size_t SoundTable::index(int row) const {
    if (!isEntryRow(row)) {
        throw std::out_of_range("no entry in row " + std::to_string(row));
    }
    return static_cast<std::size_t>(row - 1);
}

std::string foldCase(std::string_view utf8) {
    std::string folded(utf8);
    for (std::size_t i = 0; i < folded.size(); ++i) {
        const auto byte = static_cast<unsigned char>(folded[i]);
        if (byte >= 'A' && byte <= 'Z') {
            folded[i] = static_cast<char>(byte + ('a' - 'A'));
        } else if (byte == 0xC3 && i + 1 < folded.size()) {
            // U+00C0..U+00DE (but the multiplication sign) fold to U+00E0..U+00FE.
            const auto next = static_cast<unsigned char>(folded[i + 1]);
            if (next >= 0x80 && next <= 0x9E && next != 0x97) {
                folded[i + 1] = static_cast<char>(next + 0x20);
            }
            ++i;
        }
    }
    return folded;
}

} // namespace tonarion
