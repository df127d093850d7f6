#pragma once

#include "gui/DriveDialog.h"
#include "gui/MainWindow.h"
#include "workspace/Drives.h"
#include "workspace/StickWorkspace.h"

#include <QObject>

#include <memory>
#include <optional>
#include <string>

namespace tonarion {

// The program's start: find the USB drives, open the main window on the first stick that
// holds an index file, or let the user choose a drive first.
class StartProcedure final : public QObject {
    Q_OBJECT
public:
    StartProcedure(StickWorkspace& workspace, DriveSource& drives, UserInterface& ui,
                   std::string programFolder,
                   DriveDialog::ManualEntry manualEntry = &DriveDialog::askManualRoot);
    ~StartProcedure() override;

    // False when the program ends right away (a stick that is not ready, a stick folder given
    // on the command line that cannot take an index file).
    // stickFolder opens that folder as if it had been chosen in the drive dialog.
    bool start(const std::optional<std::string>& stickFolder = std::nullopt);

    MainWindow* mainWindow() const { return m_mainWindow.get(); }
    DriveDialog* driveDialog() const { return m_driveDialog.get(); }

signals:
    // The program ends: 0 when the user left the drive dialog, 1 when the chosen stick could
    // not be read.
    void programEnds(int exitStatus);

private:
    bool openMainWindow();

    StickWorkspace& m_workspace;
    DriveSource& m_drives;
    UserInterface& m_ui;
    std::string m_programFolder;
    DriveDialog::ManualEntry m_manualEntry;
    std::unique_ptr<MainWindow> m_mainWindow;
    std::unique_ptr<DriveDialog> m_driveDialog;
};

} // namespace tonarion
