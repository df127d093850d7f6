#pragma once

#include "gui/EventDialog.h"
#include "gui/MainWindow.h"
#include "gui/SoundTableModel.h"
#include "support/FakeSoundInspector.h"
#include "support/FakeSoundPlayer.h"
#include "support/ModalDialog.h"
#include "support/TestStick.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QMenu>

#include <memory>

namespace tonarion::testing {

// The main window on a stick in memory, as the user meets it after the start, with fakes for
// what looks into and plays the sounds. A window test derives from it after QObject, calls
// reset() in init() and window.reset() in cleanup().
class WindowFixture {
protected:
    std::unique_ptr<TestStick> stick;
    std::unique_ptr<FakeSoundInspector> sounds;
    std::shared_ptr<FakeSoundPlayer> player;
    std::unique_ptr<MainWindow> window;

    void reset() {
        window.reset();
        stick = std::make_unique<TestStick>();
        sounds = std::make_unique<FakeSoundInspector>();
        player = std::make_shared<FakeSoundPlayer>();
    }
    // The window on an index of these entries, their sounds on the stick and at their
    // sources; its messages go to `ui`, and it works on `workspace`: the stick's recording
    // interface and workspace unless given.
    void open(const std::vector<std::string>& entryLines, UserInterface* ui = nullptr) {
        stick->writeIndexWithSounds(entryLines);
        openWindow(ui);
    }
    void openWindow(UserInterface* ui = nullptr, StickWorkspace* workspace = nullptr) {
        window = std::make_unique<MainWindow>(workspace ? *workspace : stick->workspace,
                                              ui ? *ui : stick->ui);
        window->setSoundInspector(*sounds);
        window->setSoundPlayer(player);
        QVERIFY(window->load("/opt/tonarion"));
        // Every change of the table reaches the grid as proper notifications of its model.
        new QAbstractItemModelTester(
            window->model(), QAbstractItemModelTester::FailureReportingMode::QtTest, window.get());
        window->show();
        window->activate();
    }

    // The texts of a grid column (0: the row numbers), top to bottom.
    QStringList column(int gridColumn) const {
        const QAbstractItemModel* model = window->model();
        QStringList texts;
        for (int row = 0; row < model->rowCount(); ++row) {
            texts << (gridColumn == 0 ? model->headerData(row, Qt::Vertical)
                                      : model->index(row, gridColumn - 1).data())
                         .toString();
        }
        return texts;
    }
    void clickHeader(int gridColumn) const {
        QHeaderView* header = window->grid()->horizontalHeader();
        const QPoint at(header->sectionViewportPosition(gridColumn - 1) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }
    // Right-clicks a grid cell (column -1: the row's NR cell) and picks a popup entry with
    // the mouse.
    void popupOn(int modelRow, int modelColumn, const char* entry) const {
        SoundGrid* grid = window->grid();
        if (modelColumn < 0) {
            QTest::mousePress(
                grid->verticalHeader()->viewport(), Qt::RightButton, {},
                QPoint(5, grid->verticalHeader()->sectionViewportPosition(modelRow) + 3));
        } else {
            clickCell(grid, modelRow, modelColumn, Qt::RightButton, QTest::mousePress);
        }
        QMenu* menu = window->popupMenu();
        QAction* action = menu->findChild<QAction*>(entry);
        QVERIFY(menu->isVisible() && action);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
        QVERIFY(!menu->isVisible());
    }
    // The EntryName of the row the event dialog opens for after the input, then its caption;
    // none when no dialog opens. The dialog then takes these steps (see act()), or is
    // cancelled.
    static QStringList dialogAfter(const std::function<void()>& input,
                                   const QStringList& steps = {}) {
        QStringList opened;
        whenDialogOpens<EventDialog>([&opened, steps](EventDialog* dialog) {
            opened = {QString::fromStdString(dialog->strAlterName()), dialog->windowTitle()};
            act(dialog, steps);
        });
        input();
        return opened;
    }
};

} // namespace tonarion::testing
