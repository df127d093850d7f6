#include "gui/LevelDialog.h"

#include "gui/Twips.h"
#include "gui/WidgetHelpers.h"
#include "sound/Loudness.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace tonarion {
namespace {

QRadioButton* option(QGroupBox* frame, QButtonGroup* group, const char* name, const QString& text,
                     int top) {
    auto* button = new QRadioButton(text, frame);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(twipsRect(150, top, 4900, 300));
    group->addButton(button);
    return button;
}

QString lufsText(double lufs) {
    return QString::fromStdString(loudnessText(Loudness{lufs, 0}));
}

} // namespace

LevelDialog::LevelDialog(int selected, int all, std::optional<double> medianLufs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_medianLufs(medianLufs) {
    setObjectName("frmLautstaerke");
    setWindowTitle(QStringLiteral("Lautstärke angleichen"));
    setModal(true);
    setFixedSize(twipsSize(5400, 3390));

    QGroupBox* rows = frame(this, "Frame1", "Sounds", twipsRect(90, 60, 5205, 1020));
    auto* rowGroup = new QButtonGroup(this);
    m_selectedRows =
        option(rows, rowGroup, "Option1_0",
               selected == 1 ? QStringLiteral("den markierten Sound")
                             : QStringLiteral("die %1 markierten Sounds").arg(selected),
               300);
    QRadioButton* allRows = option(rows, rowGroup, "Option1_1",
                                   QStringLiteral("alle %1 Sounds des Sticks").arg(all), 630);
    // One selected row is most often only the row the popup was opened on: all sounds are
    // what levelling is for, a single one is still there to choose.
    m_selectedRows->setEnabled(selected > 0);
    (selected > 1 ? m_selectedRows : allRows)->setChecked(true);

    QGroupBox* target = frame(this, "Frame2", "Ziel", twipsRect(90, 1140, 5205, 1020));
    auto* targetGroup = new QButtonGroup(this);
    m_median = option(target, targetGroup, "Option2_0",
                      QStringLiteral("Mittelwert des Sticks (%1)")
                          .arg(medianLufs ? lufsText(*medianLufs) : QStringLiteral("unbekannt")),
                      300);
    QRadioButton* fixed = option(target, targetGroup, "Option2_1", lufsText(FixedTargetLufs), 630);
    // The stick's own middle changes the fewest sounds the least.
    m_median->setEnabled(medianLufs.has_value());
    (medianLufs ? m_median : fixed)->setChecked(true);

    auto* explanation = new QLabel(
        QStringLiteral("Jeder Sound wird so laut wie das Ziel, ohne dass eine Spitze "
                       "\u22121 dBTP übersteigt. Die Sounds auf dem USB-Stick werden sofort "
                       "ersetzt."),
        this);
    explanation->setObjectName("Label1");
    explanation->setWordWrap(true);
    explanation->setGeometry(twipsRect(90, 2220, 5205, 480));

    QPushButton* ok = pushButton(this, "cmdOK", "OK", twipsRect(2025, 2880, 1575, 375));
    QPushButton* cancel =
        pushButton(this, "cmdAbbrechen", "Abbrechen", twipsRect(3720, 2880, 1575, 375));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

LevelDialog::Choice LevelDialog::choice() const {
    return {m_selectedRows->isChecked() ? Rows::Selected : Rows::All,
            m_median->isChecked() && m_medianLufs ? *m_medianLufs : FixedTargetLufs};
}

} // namespace tonarion
