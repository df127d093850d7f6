#include "gui/SoundGrid.h"

#include "model/SoundEntry.h"

#include <QAbstractButton>
#include <QDir>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionHeader>
#include <QToolTip>

#include <set>

namespace tonarion {

SoundGrid::SoundGrid(QWidget* parent)
    : QTableView(parent) {
    setObjectName("fgFiles");
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    setWordWrap(false);
    // The current cell carries a heavy frame, as in the grid users know.
    setStyleSheet(QStringLiteral("QTableView::item:focus { border: 2px solid palette(text); }"));

    QHeaderView* header = horizontalHeader();
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // A header click sorts or opens the event dialog for the current row; it must not select
    // the column and so move the current cell to the top row. Qt ties these signals to the
    // view by name, which a disconnect naming the slot does not match: drop every tie.
    disconnect(header, &QHeaderView::sectionPressed, this, nullptr);
    disconnect(header, &QHeaderView::sectionEntered, this, nullptr);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(m_sortSection, m_sortOrder);
    connect(header, &QHeaderView::sectionClicked, this, [this, header](int logicalIndex) {
        emit cellClicked({0, logicalIndex + 1});
        // The header turned its arrow to the clicked column itself; only a sort moves it.
        header->setSortIndicator(m_sortSection, m_sortOrder);
    });
    connect(header, &QHeaderView::sectionDoubleClicked, this, &SoundGrid::doubleClickedAnywhere);
    header->viewport()->installEventFilter(this);

    verticalHeader()->setSectionsClickable(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    // The row numbers are the NR column: its cells take the mouse like every other cell.
    verticalHeader()->viewport()->installEventFilter(this);
    // The corner above the row numbers is the NR column's header cell, not "select all".
    if (auto* corner = static_cast<QAbstractButton*>(cornerButton())) {
        disconnect(corner, &QAbstractButton::clicked, this, nullptr);
        connect(corner, &QAbstractButton::clicked, this, [this] { emit cellClicked({0, 0}); });
        corner->installEventFilter(this);
    }
}

int SoundGrid::currentGridRow() const {
    return currentIndex().isValid() ? currentIndex().row() + 1 : 1;
}

std::vector<int> SoundGrid::selectedGridRows() const {
    std::set<int> rows;
    for (const QModelIndex& cell : selectionModel()->selectedIndexes()) {
        rows.insert(cell.row() + 1);
    }
    if (rows.empty()) {
        rows.insert(currentGridRow());
    }
    return {rows.begin(), rows.end()};
}

QWidget* SoundGrid::cornerButton() const {
    return findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
}

void SoundGrid::showSortIndicator(int gridColumn, bool descending) {
    m_sortSection = gridColumn - 1;
    m_sortOrder = descending ? Qt::DescendingOrder : Qt::AscendingOrder;
    horizontalHeader()->setSortIndicator(m_sortSection, m_sortOrder);
}

void SoundGrid::makeRowCurrent(int modelRow) {
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    const QModelIndex cell = model()->index(modelRow, column);
    if (cell.isValid()) {
        selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect);
    }
}

void SoundGrid::mousePressEvent(QMouseEvent* event) {
    // The popup acts on the row the user points at, so that row becomes current first; inside
    // a selection of several rows it acts on all of them, and the selection stays.
    if (event->button() == Qt::RightButton) {
        const QModelIndex cell = indexAt(event->position().toPoint());
        if (cell.isValid()) {
            selectionModel()->setCurrentIndex(cell, selectionModel()->isSelected(cell)
                                                        ? QItemSelectionModel::NoUpdate
                                                        : QItemSelectionModel::ClearAndSelect);
        }
        emit popupRequested(event->globalPosition().toPoint());
        return;
    }
    QTableView::mousePressEvent(event);
}

void SoundGrid::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid()) {
        emit cellClicked({index.row() + 1, index.column() + 1});
    }
}

void SoundGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit doubleClickedAnywhere();
    }
}

void SoundGrid::keyPressEvent(QKeyEvent* event) {
    // With Shift, Ctrl or Alt these keys keep the meaning the view gives them.
    if (event->modifiers() & ~Qt::KeypadModifier) {
        QTableView::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F2:
        emit bindRequested();
        return;
    case Qt::Key_Delete:
        emit deleteRequested();
        return;
    case Qt::Key_Space:
        emit listenRequested();
        return;
    default:
        QTableView::keyPressEvent(event);
    }
}

void SoundGrid::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    // Only the empty row: the table is new, and the user needs to know how sounds get in.
    if (!model() || model()->rowCount() > 1) {
        return;
    }
    QPainter painter(viewport());
    QRect area = viewport()->rect();
    if (model()->rowCount() == 1) {
        area.setTop(rowViewportPosition(0) + rowHeight(0));
    }
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(area, Qt::AlignCenter, QString::fromUtf8(EmptyHint));
}

QString SoundGrid::cellToolTip(const QModelIndex& index) const {
    if (!index.isValid()) {
        return {};
    }
    QStringList lines;
    const QString text = index.data(Qt::DisplayRole).toString();
    const int room = visualRect(index).width() -
                     2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
    if (fontMetrics().horizontalAdvance(text) > room) {
        lines << text;
    }
    const QString note = index.data(Qt::ToolTipRole).toString();
    if (!note.isEmpty()) {
        lines << note;
    }
    return lines.join('\n');
}

bool SoundGrid::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(help->pos());
        const QString tip = cellToolTip(index);
        if (tip.isEmpty()) {
            QToolTip::hideText();
        } else {
            QToolTip::showText(help->globalPos(), tip, viewport(), visualRect(index));
        }
        return true;
    }
    return QTableView::viewportEvent(event);
}

// The NR column: a click makes the row current, the right button opens the popup for it, a
// double click fits the columns, as anywhere else in the grid.
bool SoundGrid::handleNrColumnMouse(QMouseEvent* event) {
    const int row = verticalHeader()->logicalIndexAt(event->position().toPoint().y());
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (event->button() == Qt::LeftButton) {
            emit doubleClickedAnywhere();
        }
        return true;
    }
    if (event->type() != QEvent::MouseButtonPress) {
        return false;
    }
    setFocus(Qt::MouseFocusReason);
    if (row >= 0) {
        makeRowCurrent(row);
    }
    if (event->button() == Qt::RightButton) {
        emit popupRequested(event->globalPosition().toPoint());
    }
    return true;
}

bool SoundGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == verticalHeader()->viewport() && (event->type() == QEvent::MouseButtonPress ||
                                                    event->type() == QEvent::MouseButtonDblClick)) {
        return handleNrColumnMouse(static_cast<QMouseEvent*>(event));
    }
    const bool onCorner = watched == cornerButton();
    const bool onHeader = onCorner || watched == horizontalHeader()->viewport();
    if (onCorner && event->type() == QEvent::Paint) {
        paintNrHeader(static_cast<QWidget*>(watched));
        return true;
    }
    if (onCorner && event->type() == QEvent::MouseButtonDblClick) {
        emit doubleClickedAnywhere();
        return true;
    }
    if (onHeader && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        emit popupRequested(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

// The corner above the row numbers is the header cell of the NR column.
void SoundGrid::paintNrHeader(QWidget* corner) {
    QPainter painter(corner);
    QStyleOptionHeader option;
    option.initFrom(corner);
    option.rect = corner->rect();
    option.position = QStyleOptionHeader::Beginning;
    option.orientation = Qt::Horizontal;
    option.text = QString::fromUtf8(ColumnHeaders[static_cast<std::size_t>(Column::Nr)]);
    option.textAlignment = Qt::AlignCenter;
    corner->style()->drawControl(QStyle::CE_Header, &option, &painter, corner);
}

void SoundGrid::dragEnterEvent(QDragEnterEvent* event) {
    event->acceptProposedAction();
}

void SoundGrid::dragMoveEvent(QDragMoveEvent* event) {
    event->acceptProposedAction();
}

void SoundGrid::dropEvent(QDropEvent* event) {
    event->acceptProposedAction();
    std::optional<std::vector<std::string>> files;
    if (event->mimeData()->hasUrls()) {
        files.emplace();
        for (const QUrl& url : event->mimeData()->urls()) {
            if (url.isLocalFile()) {
                files->push_back(QDir::toNativeSeparators(url.toLocalFile()).toStdString());
            }
        }
        if (files->empty()) {
            files.reset();
        }
    }
    emit filesDropped(files);
}

} // namespace tonarion
