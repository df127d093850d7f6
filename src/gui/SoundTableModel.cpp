#include "gui/SoundTableModel.h"

#include "model/EntryName.h"
#include "model/QuarterHours.h"

#include <QColor>

#include <cctype>

namespace tonarion {
namespace {

inline constexpr const char* SoundNotFoundTip = "Datei nicht gefunden";
inline constexpr const char* MadeHereTip =
    "Für das Soundmodul umgewandelt, noch nicht auf dem USB-Stick";

// The colour in which a row's path says that its sound is missing: a red that reads on light
// and dark backgrounds alike.
QColor errorColour() {
    return {210, 35, 35};
}

constexpr int ModelColumnCount = ColumnCount - 1; // NR is the vertical header

bool isNumber(const QString& text) {
    bool number = false;
    text.toLongLong(&number);
    return number;
}

} // namespace

SoundTableModel::SoundTableModel(const SoundTable& table, QObject* parent)
    : QAbstractTableModel(parent)
    , m_table(table) {
    m_table.setObserver(this);
}

SoundTableModel::~SoundTableModel() {
    m_table.setObserver(nullptr);
}

Column SoundTableModel::columnAt(int modelColumn) {
    return static_cast<Column>(modelColumn + 1);
}

int SoundTableModel::modelColumnOf(Column column) {
    return static_cast<int>(column) - 1;
}

void SoundTableModel::setAllLeftAligned(bool allLeft) {
    if (m_allLeft == allLeft) {
        return;
    }
    m_allLeft = allLeft;
    if (rowCount() > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, ModelColumnCount - 1),
                         {Qt::TextAlignmentRole});
    }
    emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
}

int SoundTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_table.nextRow();
}

int SoundTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ModelColumnCount;
}

QString SoundTableModel::cellText(int modelRow, int modelColumn) const {
    return QString::fromStdString(m_table.cellText(tableRow(modelRow), columnAt(modelColumn)));
}

Qt::Alignment SoundTableModel::alignmentOf(const QString& text) const {
    const Qt::Alignment horizontal = !m_allLeft && isNumber(text) ? Qt::AlignRight : Qt::AlignLeft;
    return horizontal | Qt::AlignVCenter;
}

QVariant SoundTableModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
        return cellText(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(alignmentOf(cellText(index.row(), index.column())));
    case Qt::ForegroundRole:
        return soundMissingAt(index) ? QVariant(errorColour()) : QVariant();
    case Qt::ToolTipRole:
        return toolTip(index);
    default:
        return {};
    }
}

bool SoundTableModel::soundMissingAt(const QModelIndex& index) const {
    return columnAt(index.column()) == Column::Pfad &&
           m_table.row(tableRow(index.row())).soundNotFound;
}

void SoundTableModel::setFindings(const std::string& sourcePath, const SoundFindings& findings) {
    m_findings[sourcePath] = findings;
    for (int row = 1; row < m_table.nextRow(); ++row) {
        if (m_table.row(row).sourcePath == sourcePath) {
            emit dataChanged(index(row - 1, 0), index(row - 1, ModelColumnCount - 1),
                             {Qt::ToolTipRole});
        }
    }
}

const SoundFindings* SoundTableModel::findingsOf(int tableRow) const {
    const auto found = m_findings.find(m_table.row(tableRow).sourcePath);
    return found != m_findings.end() && found->second.checked ? &found->second : nullptr;
}

std::optional<Loudness> SoundTableModel::loudnessOf(const std::string& sourcePath) const {
    const auto found = m_findings.find(sourcePath);
    return found != m_findings.end() ? found->second.loudness : std::nullopt;
}

QVariant SoundTableModel::toolTip(const QModelIndex& index) const {
    QStringList lines;
    if (const QVariant own = cellToolTip(index); own.isValid()) {
        lines << own.toString();
    }
    const SoundEntry& entry = m_table.row(tableRow(index.row()));
    if (m_madeHere && !entry.sourcePath.empty() && m_madeHere(entry)) {
        lines << QString::fromUtf8(MadeHereTip);
    } else if (const SoundFindings* found = findingsOf(tableRow(index.row()))) {
        // The loudness beside the format: what levelling would change.
        QString format = QString::fromStdString(formatText(*found));
        if (found->loudness) {
            format += QStringLiteral(", ") + QString::fromStdString(loudnessText(*found->loudness));
        }
        lines << format;
        for (const auto& hint : soundHints(*found)) {
            lines << QString::fromStdString(hint);
        }
    }
    return lines.isEmpty() ? QVariant() : QVariant(lines.join('\n'));
}

QVariant SoundTableModel::cellToolTip(const QModelIndex& index) const {
    if (soundMissingAt(index)) {
        return QString::fromUtf8(SoundNotFoundTip);
    }
    // A time-controlled entry keeps its quarter hour as a number; the tip shows the time.
    const SoundEntry& entry = m_table.row(tableRow(index.row()));
    if (columnAt(index.column()) == Column::Adr1 &&
        std::toupper(static_cast<unsigned char>(kindOf(entry.entryName))) == 'U') {
        bool number = false;
        const int slot = QString::fromStdString(entry.address1).toInt(&number);
        if (number && slot >= 1 && slot <= QuarterHourCount) {
            return QString::fromStdString(quarterHourText(slot - 1));
        }
    }
    return {};
}

QVariant SoundTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) {
        if (role == Qt::DisplayRole && section >= 0 && section < ModelColumnCount) {
            return QString::fromUtf8(ColumnHeaders[static_cast<std::size_t>(section + 1)]);
        }
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (role) {
    case Qt::DisplayRole:
        return QString::number(tableRow(section));
    case Qt::TextAlignmentRole:
        return QVariant::fromValue((m_allLeft ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
    default:
        return QAbstractTableModel::headerData(section, orientation, role);
    }
}

Qt::ItemFlags SoundTableModel::flags(const QModelIndex& index) const {
    // Every cell text comes from the program; the user selects but never types.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void SoundTableModel::rowsAboutToBeInserted(int first, int last) {
    beginInsertRows({}, first - 1, last - 1);
}

void SoundTableModel::rowsInserted() {
    endInsertRows();
}

void SoundTableModel::rowsAboutToBeRemoved(int first, int last) {
    beginRemoveRows({}, first - 1, last - 1);
}

void SoundTableModel::rowsRemoved() {
    endRemoveRows();
}

void SoundTableModel::rowsChanged(int first, int last) {
    emit dataChanged(index(first - 1, 0), index(last - 1, ModelColumnCount - 1));
    emit headerDataChanged(Qt::Vertical, first - 1, last - 1);
}

void SoundTableModel::orderAboutToChange() {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
}

void SoundTableModel::orderChanged(const std::vector<int>& oldRows) {
    // The current cell and the selection stay with their sounds, as a sort must not turn
    // Delete or Enter onto another sound than the one the user chose.
    std::vector<int> newRowOf(oldRows.size(), 0);
    for (std::size_t newRow = 0; newRow < oldRows.size(); ++newRow) {
        newRowOf[static_cast<std::size_t>(oldRows[newRow] - 1)] = static_cast<int>(newRow);
    }
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& cell : before) {
        const auto row = static_cast<std::size_t>(cell.row());
        after.push_back(row < newRowOf.size() ? index(newRowOf[row], cell.column()) : cell);
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void SoundTableModel::aboutToReset() {
    beginResetModel();
}

void SoundTableModel::resetDone() {
    endResetModel();
}

} // namespace tonarion
