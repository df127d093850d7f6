#include "gui/DriveDialog.h"

#include "gui/Twips.h"
#include "gui/WidgetHelpers.h"
#include "storage/StickSelection.h"
#include "storage/platform/SystemPlatform.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStorageInfo>
#include <QStyle>

namespace tonarion {
namespace {

constexpr int EntryRole = Qt::UserRole;

// How a drive is told apart in the list. Mount points on Linux are long and alike
// (/media/anna/…), so the drive's label comes first and the path is cut in its middle; the
// whole entry stays in the tooltip. A drive letter says enough by itself.
void showDriveEntry(QListWidgetItem* item, const std::string& entry, const QFontMetrics& metrics,
                    int room) {
    const QString whole = QString::fromStdString(entry);
    item->setData(EntryRole, whole);
    item->setToolTip(whole);
#ifdef _WIN32
    item->setText(metrics.elidedText(whole, Qt::ElideMiddle, room));
#else
    const QString root = QString::fromStdString(rootOfDriveEntry(entry));
    QString label = QStorageInfo(root).name();
    if (label.isEmpty()) {
        // Removable drives are mounted under their label: the last folder of the path.
        label = QDir(root).dirName();
    }
    const QString lead = label.isEmpty() ? QString::fromUtf8(DriveEntryPrefix) : label + " – ";
    item->setText(
        lead + metrics.elidedText(root, Qt::ElideMiddle, room - metrics.horizontalAdvance(lead)));
#endif
}

} // namespace

DriveDialog::DriveDialog(const DriveList& drives, StickWorkspace& workspace, UserInterface& ui,
                         ManualEntry manualEntry, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , m_workspace(workspace)
    , m_ui(ui)
    , m_manualEntry(std::move(manualEntry)) {
    setObjectName("Form1");
    setWindowTitle(QStringLiteral("Bitte wählen Sie das USB Laufwerk aus:"));
    setFixedSize(twipsSize(5310, 1470));
    // Closing the dialog never ends the program by itself: the main window follows it, and
    // leaving without a drive is reported through rejected().
    setAttribute(Qt::WA_QuitOnClose, false);
    // Without a title bar a thin frame keeps the dialog apart from what lies behind it.
    setStyleSheet(QStringLiteral("QDialog#Form1 { border: 1px solid palette(mid); }"));

    m_label = new QLabel(
        QStringLiteral("Bitte wählen Sie den gewünschten Laufwerksbuchstaben aus:"), this);
    m_label->setObjectName("Label1");
    m_label->setGeometry(twipsRect(60, 90, 5220, 255));

    m_list = new QListWidget(this);
    m_list->setObjectName("List1");
    m_list->setGeometry(twipsRect(120, 390, 3150, 960));
    m_list->setTextElideMode(Qt::ElideMiddle);
    // The label tells screen readers what the list is for; a list view takes its own name
    // only from accessibleName, not from its buddy.
    m_label->setBuddy(m_list);
    m_list->setAccessibleName(m_label->text());
    const int room = m_list->width() - 2 * m_list->frameWidth() -
                     m_list->style()->pixelMetric(QStyle::PM_ScrollBarExtent) - 8;
    for (const auto& entry : drives) {
        auto* item = new QListWidgetItem(m_list);
        showDriveEntry(item, entry, m_list->fontMetrics(), room);
    }

    const auto button = [this](const char* name, const char* caption, int top) {
        QPushButton* created = pushButton(this, name, caption, twipsRect(3390, top, 1800, 300));
        created->setAutoDefault(false);
        return created;
    };
    QPushButton* choose = button("Command1", "Laufwerk auswählen", 390);
    QPushButton* manual = button("Command3", "manuelle Eingabe", 720);
    QPushButton* end = button("Command2", "Beenden", 1050);

    // The highlighted drive is the chosen one, whether clicked or reached with the keys.
    connect(m_list, &QListWidget::itemSelectionChanged, this, &DriveDialog::chooseListedDrive);
    connect(choose, &QPushButton::clicked, this, [this] {
        chooseListedDrive();
        if (!m_chosenRoot.empty()) {
            acceptStickRoot();
        }
    });
    connect(manual, &QPushButton::clicked, this, &DriveDialog::enterDriveByHand);
    connect(end, &QPushButton::clicked, this, &DriveDialog::askToEnd);

    centreOnScreen(*this);
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
    if (!m_workspace.openStick(m_chosenRoot)) {
        return; // the user was told; another drive can be chosen
    }
    // The dialog is gone before the main window opens on the chosen stick.
    accept();
    QApplication::processEvents();
    emit driveAccepted();
}

void DriveDialog::askToEnd() {
    if (askYesNo(m_ui, "Wollen Sie das Programm beenden?", "Beenden?")) {
        reject();
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
