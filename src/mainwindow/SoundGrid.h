#pragma once

#include <QTableView>

#include <optional>
#include <string>
#include <vector>

namespace tonarion {

// fgFiles: the grid of the main window. It reports what happens in it (clicks with the
// cell under the mouse, header row included; double clicks; the right button; dropped
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

signals:
    void cellClicked(tonarion::SoundGrid::Cell cell);
    void doubleClickedAnywhere();
    void popupRequested(const QPoint& globalPosition);
    // A drop: the local files in the order the file manager gave them, or nothing when the
    // data carried no file list.
    void filesDropped(const std::optional<std::vector<std::string>>& files);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void paintNrHeader(QWidget* corner);
    QWidget* cornerButton() const;
};

} // namespace tonarion

Q_DECLARE_METATYPE(tonarion::SoundGrid::Cell)
