#include "app/StartProcedure.h"

#include "storage/StickSelection.h"
#include "storage/platform/SystemPlatform.h"

namespace tonarion {
namespace {

inline constexpr const char* ProgramEnds = "Das Programm wird beendet!";

// A folder named on the command line must exist and take files; the user hears which
// folder failed, and how, before anything else happens.
bool stickFolderUsable(const std::string& root, FileOperations& files, UserInterface& ui) {
    if (!files.listFiles(root)) {
        showCritical(ui, "Der Ordner " + root + " existiert nicht.\r\n" + ProgramEnds);
        return false;
    }
    const std::string probe = root + ".tonarion-schreibprobe";
    if (files.writeFileDurably(probe, {})) {
        showCritical(ui,
                     "In den Ordner " + root + " kann nicht geschrieben werden.\r\n" + ProgramEnds);
        return false;
    }
    files.ShellDelete(probe);
    return true;
}

} // namespace

StartProcedure::StartProcedure(StickWorkspace& workspace, DriveSource& drives, UserInterface& ui,
                               std::string programFolder, DriveDialog::ManualEntry manualEntry)
    : m_workspace(workspace)
    , m_drives(drives)
    , m_ui(ui)
    , m_programFolder(std::move(programFolder))
    , m_manualEntry(std::move(manualEntry)) {}

StartProcedure::~StartProcedure() = default;

bool StartProcedure::start(const std::optional<std::string>& stickFolder) {
    Session& session = m_workspace.session();
    FileOperations& files = m_workspace.files();
    if (stickFolder) {
        session.stickRoot = stickRootOf(*stickFolder);
        return stickFolderUsable(session.stickRoot, files, m_ui) &&
               gueltigeAuswahl(session, files, m_ui) && openMainWindow();
    }
    const auto drives = FindUsbDrives(m_drives, m_ui);
    if (!drives) {
        return false;
    }
    if (const auto root = firstStickWithIndex(*drives, files)) {
        session.stickRoot = *root;
        session.indexFileName = findIndexFile(files, *root).value_or(session.indexFileName);
        return openMainWindow();
    }
    m_driveDialog = std::make_unique<DriveDialog>(*drives, session, files, m_ui, m_manualEntry);
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
