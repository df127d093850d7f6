#include "gui/StickCheckDialog.h"

#include "gui/Twips.h"
#include "gui/WidgetHelpers.h"
#include "storage/DriveDiscovery.h"

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

StickCheckDialog::StickCheckDialog(StickWorkspace& workspace, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_workspace(workspace) {
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
        } else if (problem.kind == ProblemKind::WrongFileSystem ||
                   problem.kind == ProblemKind::NotEnoughSpace) {
            file.clear();
        }
        auto* item = new QTreeWidgetItem(
            m_findings, {findingText(problem), file,
                         problem.removable ? QStringLiteral("ja") : QStringLiteral("nein")});
        item->setToolTip(0, item->text(0));
    }
    m_cleanButton->setEnabled(
        std::any_of(found.begin(), found.end(), [](const StickProblem& p) { return p.removable; }));
}

void StickCheckDialog::cleanUp() {
    m_workspace.cleanUpStick();
    refresh();
}

QString StickCheckDialog::findingText(const StickProblem& problem) {
    const std::string_view kind = problem.kind;
    if (kind == ProblemKind::StickUnreadable) {
        return QStringLiteral("Der USB-Stick wurde entfernt oder kann nicht gelesen werden");
    }
    if (kind == ProblemKind::MissingSound) {
        return QStringLiteral("Sound fehlt auf dem USB-Stick");
    }
    if (kind == ProblemKind::SoundNotFound) {
        return QStringLiteral("Sound weder auf dem USB-Stick noch an seinem Pfad");
    }
    if (kind == ProblemKind::ChangedSound) {
        return QStringLiteral("Sound auf dem USB-Stick ist nicht mehr der aktuelle Stand");
    }
    if (kind == ProblemKind::MissingSetting) {
        return QStringLiteral("Einstellungsdatei fehlt");
    }
    if (kind == ProblemKind::ChangedSetting) {
        return QStringLiteral("Einstellungsdatei ist nicht leer");
    }
    if (kind == ProblemKind::NotInIndex) {
        // Loading takes such a sound over as a row; the user must not clean it up by hand
        // believing it lost.
        return QStringLiteral("Nicht in tonkat.tkx verzeichnet, das Modul spielt sie trotzdem; "
                              "der nächste Start übernimmt sie als Zeile");
    }
    if (kind == ProblemKind::RandomGap) {
        return QStringLiteral("Zufallsnummern nicht lückenlos von 1 an, das nächste Speichern "
                              "schließt die Lücke");
    }
    if (kind == ProblemKind::SecondIndexLine) {
        return QStringLiteral("In tonkat.tkx ein zweites Mal mit anderer Quelle verzeichnet, es "
                              "gilt die erste Zeile");
    }
    if (kind == ProblemKind::SecondSettingFile) {
        return QStringLiteral("Zweite Datei für dieselbe Einstellung");
    }
    if (kind == ProblemKind::TemporaryFile) {
        return problem.removable
                   ? QStringLiteral("Rest eines unterbrochenen Speichervorgangs")
                   : QStringLiteral("Rest eines unterbrochenen Speichervorgangs, wird beim "
                                    "nächsten Speichern gebraucht");
    }
    if (kind == ProblemKind::ForeignJournal) {
        return QStringLiteral("Plan eines Speichervorgangs, der nicht zu diesem USB-Stick "
                              "gehört; er wird nicht ausgeführt");
    }
    if (kind == ProblemKind::MacLeftover) {
        return QStringLiteral("Überbleibsel von macOS");
    }
    if (kind == ProblemKind::WrongFileSystem) {
        return QStringLiteral("Dateisystem %1: das Soundmodul liest nur FAT32 oder FAT16")
            .arg(fromUtf8(problem.file));
    }
    if (kind == ProblemKind::NotEnoughSpace) {
        return QStringLiteral("Zu wenig Platz: die nächsten Kopien brauchen %1, frei sind %2")
            .arg(fromUtf8(byteSizeText(problem.neededBytes)),
                 fromUtf8(byteSizeText(problem.freeBytes)));
    }
    return fromUtf8(problem.kind);
}

} // namespace tonarion
