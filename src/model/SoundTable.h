#pragma once

#include "model/SoundEntry.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tonarion {

// Told about every change of a SoundTable, so that a view can follow it row by row.
// Row numbers are the table's own: 1 for the first entry.
class SoundTableObserver {
public:
    virtual ~SoundTableObserver() = default;
    virtual void rowsAboutToBeInserted(int first, int last) = 0;
    virtual void rowsInserted() = 0;
    virtual void rowsAboutToBeRemoved(int first, int last) = 0;
    virtual void rowsRemoved() = 0;
    virtual void rowsChanged(int first, int last) = 0;
    virtual void orderAboutToChange() = 0;
    // oldRows[i] is the row that row i + 1 was before, so that a view can follow its rows.
    virtual void orderChanged(const std::vector<int>& oldRows) = 0;
    virtual void aboutToReset() = 0;
    virtual void resetDone() = 0;
};

// The sounds of the stick in grid order. Rows 1 to nextRow() - 1 hold entries; row
// nextRow() is the empty row that receives the next dropped file, and it is always there.
class SoundTable {
public:
    int nextRow() const { return entryCount() + 1; }
    int entryCount() const { return static_cast<int>(m_entries.size()); }

    bool isEntryRow(int row) const { return row >= 1 && row < nextRow(); }

    // Row 1 to nextRow(); the empty row reads as an empty entry.
    const SoundEntry& row(int row) const;
    std::string cellText(int row, Column column) const;
    const std::vector<SoundEntry>& entries() const { return m_entries; }

    // Fills the empty row; a new empty row follows it.
    void appendEntry(SoundEntry entry);
    void replaceRow(int row, SoundEntry entry);
    // Marks a row whose sound can be had from nowhere; views hear of it only on a change.
    void setSoundNotFound(int row, bool notFound);
    void removeRow(int row);
    void clear();

    // Sorts the entry rows by one column's text, ignoring letter case. The direction
    // alternates with every call, whichever column: descending first. The empty row stays
    // last and rows of equal text keep their order.
    void sortByColumn(Column column);
    // The direction of the last sort, for the view's sort indicator.
    bool lastSortDescending() const { return m_lastSort == SortOrder::Descending; }

    // Another row than exceptRow that carries this EntryName.
    std::optional<int> rowWithEntryName(std::string_view entryName, int exceptRow) const;

    // A view that only reads the table may still listen to it: observing is not changing.
    void setObserver(SoundTableObserver* observer) const { m_observer = observer; }

private:
    std::size_t index(int row) const;

    enum class SortOrder { None, Descending, Ascending };

    std::vector<SoundEntry> m_entries;
    SortOrder m_lastSort = SortOrder::None;
    mutable SoundTableObserver* m_observer = nullptr;
};

// Letter-case folding for sorting: ASCII and the Latin-1 letters (umlauts) of UTF-8 text.
std::string foldCase(std::string_view utf8);

} // namespace tonarion
