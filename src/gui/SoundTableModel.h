#pragma once

#include "model/SoundTable.h"
#include "sound/SoundInspector.h"

#include <QAbstractTableModel>

#include <functional>
#include <map>
#include <optional>
#include <string>

namespace tonarion {

// The sound table for the grid. The columns are Filename to "Adresse 2. /bis"; the row
// number NR is the vertical header, the grid's fixed column. The model follows every change
// of the table through its observer calls and adds no rule of its own.
class SoundTableModel final : public QAbstractTableModel, private SoundTableObserver {
    Q_OBJECT
public:
    explicit SoundTableModel(const SoundTable& table, QObject* parent = nullptr);
    ~SoundTableModel() override;

    // The table's column shown in a model column, and back.
    static Column columnAt(int modelColumn);
    static int modelColumnOf(Column column);
    // The table's row number of a model row: the first entry is row 1.
    static int tableRow(int modelRow) { return modelRow + 1; }

    // Before the widths are fitted, numbers stand right and texts left, as in a grid with
    // general alignment; fitting aligns every column left.
    void setAllLeftAligned(bool allLeft);

    // What a look into the sound of every row with this source path found: its format and
    // hints become the tooltip of each of the row's cells.
    void setFindings(const std::string& sourcePath, const SoundFindings& findings);
    // Whether a row's sound was made here (converted, levelled) and waits in memory for the
    // commit that writes it: no look goes into it, the tooltip says so instead.
    void setMadeHere(std::function<bool(const SoundEntry&)> madeHere) {
        m_madeHere = std::move(madeHere);
    }
    // What the last look found in a row's sound; nothing before the look is done.
    const SoundFindings* findingsOf(int tableRow) const;
    std::optional<Loudness> loudnessOf(const std::string& sourcePath) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QString cellText(int modelRow, int modelColumn) const;
    Qt::Alignment alignmentOf(const QString& text) const;
    // A row whose sound is neither at its source nor on the stick shows it in its Pfad cell.
    bool soundMissingAt(const QModelIndex& index) const;
    QVariant toolTip(const QModelIndex& index) const;
    // The tip a single cell has of its own, before the sound's findings.
    QVariant cellToolTip(const QModelIndex& index) const;

    void rowsAboutToBeInserted(int first, int last) override;
    void rowsInserted() override;
    void rowsAboutToBeRemoved(int first, int last) override;
    void rowsRemoved() override;
    void rowsChanged(int first, int last) override;
    void orderAboutToChange() override;
    void orderChanged(const std::vector<int>& oldRows) override;
    void aboutToReset() override;
    void resetDone() override;

    const SoundTable& m_table;
    bool m_allLeft = false;
    std::map<std::string, SoundFindings> m_findings;
    std::function<bool(const SoundEntry&)> m_madeHere;
};

} // namespace tonarion
