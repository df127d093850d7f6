#include "gui/DriveDialog.h"

#include "gui/Twips.h"
#include "gui/WidgetHelpers.h"
#include "workspace/Drives.h"
#include "workspace/RunningSystem.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace tonarion {
namespace {

constexpr int EntryRole = Qt::UserRole;

// The list is wider than the drive letters alone needed: a line names label, size, free space
// and file system.
constexpr int ListWidth = 5400;

// A drive's line, shortened where it does not fit: the root in its middle, since label and
// sizes tell the sticks apart and mount points on Linux are long and alike (/media/anna/…).
// The whole root stays in the tooltip.
QString fittedText(const DriveDescription& drive, const QFontMetrics& metrics, int room) {
    const QString whole = QString::fromStdString(driveText(drive, drive.root));
    if (metrics.horizontalAdvance(whole) <= room) {
        return whole;
    }
    const int rest = metrics.horizontalAdvance(QString::fromStdString(driveText(drive, "")));
    const QString root = metrics.elidedText(QString::fromStdString(drive.root), Qt::ElideMiddle,
                                            std::max(room - rest, 0));
    return QString::fromStdString(driveText(drive, root.toStdString()));
}

} // namespace

DriveDialog::DriveDialog(const DriveList& drives, StickWorkspace& workspace, UserInterface& ui,
                         ManualEntry manualEntry, DriveSource* polled, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , m_workspace(workspace)
    , m_ui(ui)
    , m_manualEntry(std::move(manualEntry))
    , m_polled(polled) {
    setObjectName("Form1");
    setWindowTitle(QStringLiteral("Bitte wählen Sie das USB Laufwerk aus:"));
    setFixedSize(twipsSize(ListWidth + 2160, 1470));
    // Closing the dialog never ends the program by itself: the main window follows it, and
    // leaving without a drive is reported through rejected().
    setAttribute(Qt::WA_QuitOnClose, false);
    // Without a title bar a thin frame keeps the dialog apart from what lies behind it.
    setStyleSheet(QStringLiteral("QDialog#Form1 { border: 1px solid palette(mid); }"));

    m_label = new QLabel(
        QStringLiteral("Bitte wählen Sie den gewünschten Laufwerksbuchstaben aus:"), this);
    m_label->setObjectName("Label1");
    m_label->setGeometry(twipsRect(60, 90, ListWidth + 2070, 255));

    m_list = new QListWidget(this);
    m_list->setObjectName("List1");
    m_list->setGeometry(twipsRect(120, 390, ListWidth, 960));
    m_list->setTextElideMode(Qt::ElideMiddle);
    // The label tells screen readers what the list is for; a list view takes its own name
    // only from accessibleName, not from its buddy.
    m_label->setBuddy(m_list);
    m_list->setAccessibleName(m_label->text());
    // Without a stick the empty list says what to do, rather than looking broken.
    m_noDriveHint = new QLabel(QStringLiteral("Kein USB-Stick gefunden. Stecken Sie einen ein, "
                                              "oder wählen Sie „manuelle Eingabe“."),
                               m_list->viewport());
    m_noDriveHint->setObjectName("NoDriveHint");
    m_noDriveHint->setWordWrap(true);
    m_noDriveHint->setAlignment(Qt::AlignCenter);
    m_noDriveHint->setForegroundRole(QPalette::PlaceholderText);
    auto* hintPlace = new QVBoxLayout(m_list->viewport());
    hintPlace->addWidget(m_noDriveHint);
    showDrives(drives);

    const auto button = [this](const char* name, const char* caption, int top) {
        return pushButton(this, name, caption, twipsRect(ListWidth + 240, top, 1800, 300));
    };
    QPushButton* choose = button("Command1", "Laufwerk auswählen", 390);
    QPushButton* manual = button("Command3", "manuelle Eingabe", 720);
    QPushButton* end = button("Command2", "Beenden", 1050);
    // Enter takes the highlighted drive, unless another button has the focus.
    choose->setDefault(true);

    // The highlighted drive is the chosen one, whether clicked or reached with the keys, and a
    // double-click takes it at once.
    connect(m_list, &QListWidget::itemSelectionChanged, this, &DriveDialog::chooseListedDrive);
    const auto takeChosenDrive = [this] {
        chooseListedDrive();
        if (!m_chosenRoot.empty()) {
            acceptStickRoot();
        }
    };
    connect(choose, &QPushButton::clicked, this, takeChosenDrive);
    connect(m_list, &QListWidget::itemDoubleClicked, this, takeChosenDrive);
    connect(manual, &QPushButton::clicked, this, &DriveDialog::enterDriveByHand);
    connect(end, &QPushButton::clicked, this, &DriveDialog::askToEnd);

    // Polling finds a stick however the system mounts it, on Linux and on Windows alike, and
    // the list is short: asking every two seconds costs nothing the user would notice.
    m_polling = new QTimer(this);
    m_polling->setObjectName("DrivePolling");
    m_polling->setInterval(PollingInterval);
    connect(m_polling, &QTimer::timeout, this, [this] { showDrives(listUsbDrives(*m_polled)); });
    connect(this, &QDialog::finished, m_polling, &QTimer::stop);
    if (m_polled) {
        m_polling->start();
    }

    centreOnScreen(*this);
}

void DriveDialog::showDrives(const DriveList& drives) {
    const int room = m_list->width() - 2 * m_list->frameWidth() -
                     m_list->style()->pixelMetric(QStyle::PM_ScrollBarExtent) - 8;
    QStringList entries;
    QStringList texts;
    for (const auto& entry : drives) {
        entries << QString::fromStdString(entry);
        texts << fittedText(m_workspace.describeDrive(rootOfDriveEntry(entry)),
                            m_list->fontMetrics(), room);
    }
    QStringList shownEntries;
    QStringList shownTexts;
    for (int row = 0; row < m_list->count(); ++row) {
        shownEntries << m_list->item(row)->data(EntryRole).toString();
        shownTexts << m_list->item(row)->text();
    }
    m_noDriveHint->setVisible(entries.isEmpty());
    if (entries == shownEntries && texts == shownTexts) {
        return;
    }
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    const QString highlighted =
        selected.isEmpty() ? QString() : selected.front()->data(EntryRole).toString();
    // Rebuilding is no choice of the user's: the highlight is put back without a signal.
    const QSignalBlocker quiet(m_list);
    m_list->clear();
    bool highlightStays = false;
    for (qsizetype row = 0; row < entries.size(); ++row) {
        auto* item = new QListWidgetItem(texts[row], m_list);
        item->setData(EntryRole, entries[row]);
        item->setToolTip(entries[row]);
        if (!highlighted.isEmpty() && entries[row] == highlighted) {
            m_list->setCurrentItem(item);
            highlightStays = true;
        }
    }
    if (!highlighted.isEmpty() && !highlightStays &&
        m_chosenRoot == rootOfDriveEntry(highlighted.toStdString())) {
        m_chosenRoot.clear(); // a pulled stick cannot be chosen
    }
    // The first stick to appear is highlighted, and so chosen: what looks chosen is, and
    // Enter takes it. A stick pulled from under the highlight leaves the choice to the user.
    if (shownEntries.isEmpty() && m_list->count() > 0 && m_chosenRoot.empty()) {
        m_list->setCurrentRow(0);
        chooseListedDrive();
    }
}

void DriveDialog::chooseListedDrive() {
    const QList<QListWidgetItem*> highlighted = m_list->selectedItems();
    if (!highlighted.isEmpty()) {
        m_chosenRoot =
            rootOfDriveEntry(highlighted.front()->data(EntryRole).toString().toStdString());
    }
}

void DriveDialog::enterDriveByHand() {
    if (const auto root = m_manualEntry(this)) {
        m_chosenRoot = *root;
        acceptStickRoot();
    }
}

void DriveDialog::acceptStickRoot() {
    if (const Outcome opened = m_workspace.openStick(m_chosenRoot); !opened) {
        tellOutcome(m_ui, opened);
        return; // another drive can be chosen
    }
    // The dialog is gone before the main window opens on the chosen stick.
    accept();
    QApplication::processEvents();
    emit driveAccepted();
}

void DriveDialog::reject() {
    askToEnd();
}

void DriveDialog::askToEnd() {
    if (askYesNo(m_ui, "Wollen Sie das Programm beenden?", "Beenden?")) {
        QDialog::reject();
    }
}

std::optional<std::string> DriveDialog::askManualRoot(QWidget* parent) {
#ifdef _WIN32
    // A drive letter, asked again until the answer is one character that is not a digit.
    for (;;) {
        bool ok = false;
        const QString answer = QInputDialog::getText(
            parent, QStringLiteral("manuelle Laufwerksauswahl"),
            QStringLiteral("Geben Sie den gewünschten Laufwerksbuchstaben ein:"), QLineEdit::Normal,
            QStringLiteral("F"), &ok);
        const std::string text = ok ? answer.toStdString() : std::string();
        if (endsManualDriveEntry(text)) {
            return manualDriveRoot(text);
        }
    }
#else
    // Without drive letters the user points at the stick's folder.
    const QString folder =
        QFileDialog::getExistingDirectory(parent, QStringLiteral("manuelle Laufwerksauswahl"));
    if (folder.isEmpty()) {
        return std::nullopt;
    }
    return stickRootOf(QDir::toNativeSeparators(folder).toStdString());
#endif
}

} // namespace tonarion
