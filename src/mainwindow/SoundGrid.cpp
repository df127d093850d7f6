#include "mainwindow/SoundGrid.h"

#include "model/SoundEntry.h"

#include <QAbstractButton>
#include <QDir>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionHeader>

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
    // A header click sorts or opens the event dialog; it must not select the column and so
    // lose the current row.
    disconnect(header, &QHeaderView::sectionPressed, this, &QTableView::selectColumn);
    disconnect(header, &QHeaderView::sectionEntered, nullptr, nullptr);
    connect(header, &QHeaderView::sectionClicked, this, [this](int logicalIndex) {
        emit cellClicked({0, logicalIndex + 1});
    });
    connect(header, &QHeaderView::sectionDoubleClicked, this, &SoundGrid::doubleClickedAnywhere);
    header->viewport()->installEventFilter(this);

    verticalHeader()->setSectionsClickable(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    // The corner above the row numbers is the NR column's header cell, not "select all".
    if (auto* corner = static_cast<QAbstractButton*>(cornerButton())) {
        disconnect(corner, &QAbstractButton::clicked, this, &QTableView::selectAll);
        connect(corner, &QAbstractButton::clicked, this, [this] { emit cellClicked({0, 0}); });
        corner->installEventFilter(this);
    }
}

int SoundGrid::currentGridRow() const {
    return currentIndex().isValid() ? currentIndex().row() + 1 : 1;
}

QWidget* SoundGrid::cornerButton() const {
    return findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
}

void SoundGrid::mousePressEvent(QMouseEvent* event) {
    // The right button opens the popup menu and leaves the selection as it is.
    if (event->button() == Qt::RightButton) {
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

bool SoundGrid::eventFilter(QObject* watched, QEvent* event) {
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
