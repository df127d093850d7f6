#include "app/StartProcedure.h"

namespace tonarion {

StartProcedure::StartProcedure(StickWorkspace& workspace, DriveSource& drives, UserInterface& ui,
                               std::string programFolder, DriveDialog::ManualEntry manualEntry)
    : m_workspace(workspace)
    , m_drives(drives)
    , m_ui(ui)
    , m_programFolder(std::move(programFolder))
    , m_manualEntry(std::move(manualEntry)) {}

StartProcedure::~StartProcedure() = default;

bool StartProcedure::start(const std::optional<std::string>& stickFolder) {
    if (stickFolder) {
        const Outcome opened = m_workspace.openStartFolder(*stickFolder);
        tellOutcome(m_ui, opened);
        return opened && openMainWindow();
    }
    // Without a USB drive the dialog opens all the same, with an empty list: it shows a stick
    // as soon as one is plugged in, and "manuelle Eingabe" opens a card reader or any folder.
    const DriveList drives = listUsbDrives(m_drives);
    if (m_workspace.openFirstStickWithIndex(drives)) {
        return openMainWindow();
    }
    m_driveDialog =
        std::make_unique<DriveDialog>(drives, m_workspace, m_ui, m_manualEntry, &m_drives);
    connect(m_driveDialog.get(), &DriveDialog::driveAccepted, this, [this] {
        if (!openMainWindow()) {
            emit programEnds(1);
        }
    });
    connect(m_driveDialog.get(), &QDialog::rejected, this, [this] { emit programEnds(0); });
    m_driveDialog->show();
    return true;
}

bool StartProcedure::openMainWindow() {
    m_mainWindow = std::make_unique<MainWindow>(m_workspace, m_ui);
    if (!m_mainWindow->load(m_programFolder)) {
        m_mainWindow.reset();
        return false;
    }
    m_mainWindow->show();
    m_mainWindow->activate();
    return true;
}

} // namespace tonarion
