#pragma once

#include <QTableView>

#include <optional>
#include <string>
#include <vector>

namespace tonarion {

// fgFiles: the grid of the main window. It reports what happens in it (clicks with the
// cell under the mouse, header row included; double clicks; the right button; keys; dropped
// files) and leaves every decision to the main window.
class SoundGrid final : public QTableView {
    Q_OBJECT
public:
    explicit SoundGrid(QWidget* parent = nullptr);

    // Row 0 is the header row and column 0 the NR column, as the grid counts them.
    struct Cell {
        int row;
        int column;
    };

    // The row of the current cell in the grid's counting (1 for the first entry).
    int currentGridRow() const;
    // The rows with a selected cell, top to bottom, in the grid's counting; the current row
    // when nothing is selected.
    std::vector<int> selectedGridRows() const;

    // What the grid shows in its empty area while the table holds no entry. Rows wait in
    // the table until they have an event; the user must know that the stick gets only those.
    static inline const char* const EmptyHint =
        "Sounddateien (MP3, WAV, FLAC, OGG) hierher ziehen oder mit Strg+O hinzufügen\n"
        "Weitere Befehle über die rechte Maustaste\n"
        "Nur Zeilen mit Ereignis kommen auf den USB-Stick.";

    // The tooltip of a cell: its whole text where the column shows only part of it, and
    // whatever the model has to say about the cell.
    QString cellToolTip(const QModelIndex& index) const;

    // The arrow in the header of the column the rows were last sorted by (none for NR).
    void showSortIndicator(int gridColumn, bool descending);

signals:
    void cellClicked(tonarion::SoundGrid::Cell cell);
    void doubleClickedAnywhere();
    // The right button, after the row under the mouse (if any) has become the current one.
    void popupRequested(const QPoint& globalPosition);
    // Enter or F2: the current row is to be bound, as by a click on its Ereigniss cell.
    void bindRequested();
    // The Delete key: the selected rows are to be deleted.
    void deleteRequested();
    // The Space key: the current row's sound is to be heard, or stopped.
    void listenRequested();
    // A drop: the local files in the order the file manager gave them, or nothing when the
    // data carried no file list.
    void filesDropped(const std::optional<std::vector<std::string>>& files);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void paintNrHeader(QWidget* corner);
    QWidget* cornerButton() const;
    // The header's arrow under the column of the last sort; -1 while none was sorted.
    int m_sortSection = -1;
    Qt::SortOrder m_sortOrder = Qt::DescendingOrder;
    // Makes a row current, keeping the column of the current cell.
    void makeRowCurrent(int modelRow);
    bool handleNrColumnMouse(QMouseEvent* event);
};

} // namespace tonarion

Q_DECLARE_METATYPE(tonarion::SoundGrid::Cell)
