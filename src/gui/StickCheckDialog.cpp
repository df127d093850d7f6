#include "gui/StickCheckDialog.h"

#include "gui/Twips.h"
#include "gui/WidgetHelpers.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include <algorithm>

namespace tonarion {
namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

// The headline: first whether the module gets what the index says, then the medium.
QString summaryOf(const std::vector<StickProblem>& found) {
    if (found.empty()) {
        return QStringLiteral("Der USB-Stick ist in Ordnung.");
    }
    const auto removable = std::count_if(found.begin(), found.end(),
                                         [](const StickProblem& p) { return p.removable; });
    QString text =
        found.size() == 1
            ? QStringLiteral("Die Prüfung hat 1 Auffälligkeit gefunden.")
            : QStringLiteral("Die Prüfung hat %1 Auffälligkeiten gefunden.").arg(found.size());
    if (removable > 0) {
        text += removable == 1
                    ? QStringLiteral(" 1 davon kann bereinigt werden.")
                    : QStringLiteral(" %1 davon können bereinigt werden.").arg(removable);
    }
    return text;
}

} // namespace

StickCheckDialog::StickCheckDialog(StickWorkspace& workspace, UserInterface& ui, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_workspace(workspace)
    , m_ui(ui) {
    setObjectName("frmUsbStickPruefen");
    setWindowTitle(QStringLiteral("USB-Stick prüfen"));
    setModal(true);
    setFixedSize(twipsSize(10500, 5400));
    createControls();
    refresh();
}

void StickCheckDialog::createControls() {
    m_summary = new QLabel(this);
    m_summary->setObjectName("lblErgebnis");
    m_summary->setGeometry(twipsRect(120, 120, 10260, 300));

    m_findings = new QTreeWidget(this);
    m_findings->setObjectName("lstBefunde");
    // A screen reader names the list before it reads the lines.
    m_findings->setAccessibleName(QStringLiteral("Befunde der Prüfung"));
    m_findings->setGeometry(twipsRect(120, 480, 10260, 4200));
    m_findings->setHeaderLabels(
        {QStringLiteral("Befund"), QStringLiteral("Datei"), QStringLiteral("Bereinigen")});
    m_findings->setRootIsDecorated(false);
    m_findings->setSelectionMode(QAbstractItemView::NoSelection);
    m_findings->setColumnWidth(0, fromTwips(5400));
    m_findings->setColumnWidth(1, fromTwips(3300));
    m_findings->header()->setStretchLastSection(true);

    m_cleanButton =
        pushButton(this, "cmdBereinigen", "Bereinigen", twipsRect(6960, 4860, 1635, 375));
    m_closeButton =
        pushButton(this, "cmdSchliessen", "Schließen", twipsRect(8745, 4860, 1635, 375));
    m_closeButton->setDefault(true);
    connect(m_cleanButton, &QPushButton::clicked, this, &StickCheckDialog::cleanUp);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::accept);
}

void StickCheckDialog::refresh() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::vector<StickProblem> found = m_workspace.checkStick();
    QApplication::restoreOverrideCursor();
    m_summary->setText(summaryOf(found));
    m_findings->clear();
    for (const StickProblem& problem : found) {
        QString file = fromUtf8(problem.file);
        if (problem.folder) {
            file += QStringLiteral(" (Ordner)");
        } else if (problem.isAboutMedium()) {
            file.clear();
        }
        auto* item = new QTreeWidgetItem(
            m_findings, {fromUtf8(findingText(problem)), file,
                         problem.removable ? QStringLiteral("ja") : QStringLiteral("nein")});
        item->setToolTip(0, item->text(0));
    }
    m_cleanButton->setEnabled(
        std::any_of(found.begin(), found.end(), [](const StickProblem& p) { return p.removable; }));
}

void StickCheckDialog::cleanUp() {
    tellOutcome(m_ui, m_workspace.cleanUpStick());
    refresh();
}

} // namespace tonarion
