#pragma once

#include "model/UserInterface.h"
#include "workspace/Drives.h"
#include "workspace/StickWorkspace.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <string>

class QLabel;
class QListWidget;
class QPushButton;
class QTimer;

namespace tonarion {

// Form1: lets the user pick a USB drive (or enter one by hand) when no stick holds an index
// file. A chosen drive that is accepted ends the dialog with driveAccepted. Each drive shows its
// label, size, free space and file system; with a drive source to ask, the list follows
// sticks plugged in or pulled while the dialog is open.
class DriveDialog final : public QDialog {
    Q_OBJECT
public:
    // Asks the user for a stick root by hand; nothing when the user cancels.
    using ManualEntry = std::function<std::optional<std::string>(QWidget* parent)>;

    DriveDialog(const DriveList& drives, StickWorkspace& workspace, UserInterface& ui,
                ManualEntry manualEntry, DriveSource* polled = nullptr, QWidget* parent = nullptr);

    // How often the drive source is asked again.
    static constexpr int PollingInterval = 2000; // ms

    // The platform's manual entry: the drive-letter input box on Windows, a folder chooser
    // elsewhere.
    static std::optional<std::string> askManualRoot(QWidget* parent);

    // Escape and closing the dialog ask as "Beenden" does.
    void reject() override;

signals:
    void driveAccepted();

private:
    // Shows drives, rebuilding the list only when a line reads differently; the highlighted
    // drive stays highlighted while it is there, and is no longer chosen once it is gone.
    void showDrives(const DriveList& drives);
    void chooseListedDrive();
    void enterDriveByHand();
    void acceptStickRoot();
    void askToEnd();

    StickWorkspace& m_workspace;
    UserInterface& m_ui;
    // The highlighted or typed root; empty until there is one.
    std::string m_chosenRoot;
    ManualEntry m_manualEntry;
    QLabel* m_label = nullptr;     // Label1
    QListWidget* m_list = nullptr; // List1
    QLabel* m_noDriveHint = nullptr;
    DriveSource* m_polled = nullptr;
    QTimer* m_polling = nullptr;
};

} // namespace tonarion
