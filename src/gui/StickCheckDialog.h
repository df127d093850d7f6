#pragma once

#include "workspace/StickWorkspace.h"

#include <QDialog>
#include <QString>

#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace tonarion {

// "USB-Stick prüfen...": the check's findings, one line each with the file it concerns and
// whether "Bereinigen" takes it away. The workspace checks and cleans; the dialog shows.
class StickCheckDialog final : public QDialog {
    Q_OBJECT
public:
    StickCheckDialog(StickWorkspace& workspace, UserInterface& ui, QWidget* parent = nullptr);

    // Checks the stick again and shows what it finds.
    void refresh();

private:
    void createControls();
    void cleanUp();

    StickWorkspace& m_workspace;
    UserInterface& m_ui; // tells what the clean-up could not delete
    QLabel* m_summary = nullptr;
    QTreeWidget* m_findings = nullptr;
    QPushButton* m_cleanButton = nullptr;
    QPushButton* m_closeButton = nullptr;
};

} // namespace tonarion
