#include "gui/SettingsDialog.h"

#include "gui/Twips.h"
#include "gui/WidgetHelpers.h"
#include "model/QuarterHours.h"
#include "settings/SettingEntry.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolTip>
#include <QValidator>

namespace tonarion {
namespace {

// The text fields take digits only, typed or pasted: anything else is dropped, so that what
// a field shows is a number its setting can store (a length of its own caps how many). Tab,
// Escape, Enter, the arrows and shortcuts such as Ctrl+A do what they do everywhere.
class DigitsOnly final : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& position) const override {
        QString kept;
        int keptBeforeCursor = 0;
        for (int i = 0; i < input.size(); ++i) {
            const QChar character = input.at(i);
            if (character >= u'0' && character <= u'9') {
                kept += character;
                keptBeforeCursor += i < position ? 1 : 0;
            }
        }
        input = kept;
        position = keptBeforeCursor;
        return Acceptable;
    }
};

QString volumeTip(int value) {
    return QStringLiteral("Lautstärke = %1").arg(value);
}

} // namespace

SettingsDialog::SettingsDialog(StickWorkspace& workspace, UserInterface& ui, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_workspace(workspace)
    , m_ui(ui)
    , m_form(workspace.openSettings()) {
    setObjectName("frmEinstellungen");
    setWindowTitle(QStringLiteral("Modul Einstellungen"));
    setModal(true);
    setFixedSize(twipsSize(7095, 3120));
    createControls();
    connectRules();
}

SettingsDialog::~SettingsDialog() = default;

void SettingsDialog::createControls() {
    QGroupBox* volume =
        frame(this, "Frame1", settingCaption(Setting::Volume), twipsRect(90, 60, 3390, 780));
    m_slider1 = new QSlider(Qt::Horizontal, volume);
    m_slider1->setObjectName("Slider1");
    m_slider1->setRange(1, 31);
    m_slider1->setSingleStep(1);
    m_slider1->setPageStep(1);
    m_slider1->setGeometry(twipsRect(120, 330, 2400, 330));
    m_label1 = new QLabel(volume);
    m_label1->setObjectName("Label1");
    QFont bold = m_label1->font();
    bold.setPointSize(12);
    bold.setBold(true);
    m_label1->setFont(bold);
    m_label1->setGeometry(twipsRect(2640, 270, 660, 420));
    showVolume(m_slider1->value());

    QGroupBox* sync =
        frame(this, "Frame4", settingCaption(Setting::ClockSync), twipsRect(3600, 60, 3405, 780));
    m_option1[1] = new QRadioButton(QStringLiteral("Ein"), sync);
    m_option1[1]->setObjectName("Option1_1");
    m_option1[1]->setGeometry(twipsRect(150, 360, 1200, 300));
    m_option1[0] = new QRadioButton(QStringLiteral("Aus"), sync);
    m_option1[0]->setObjectName("Option1_0");
    m_option1[0]->setGeometry(twipsRect(1500, 360, 1200, 300));

    QGroupBox* modelTime =
        frame(this, "Frame2_0", settingCaption(Setting::ModelTime), twipsRect(90, 900, 2250, 720));
    m_text2 = textBox(modelTime, "Text2", twipsRect(150, 330, 900, 315));
    auto* seconds = new QLabel(QStringLiteral("Sekunden"), modelTime);
    seconds->setObjectName("Label2_1");
    seconds->setGeometry(twipsRect(1140, 360, 1000, 255));

    // This frame's caption, unlike the setting's name, ends in a blank.
    QGroupBox* start = frame(this, "Frame2_1", "Startzeit ", twipsRect(2400, 900, 2100, 720));
    m_combo1 = new QComboBox(start);
    m_combo1->setObjectName("Combo1");
    m_combo1->setGeometry(twipsRect(150, 300, 1200, 330));
    for (int index = 0; index < QuarterHourCount; ++index) {
        m_combo1->addItem(QString::fromStdString(quarterHourText(index)));
    }
    m_combo1->setCurrentIndex(-1);

    QGroupBox* stretch =
        frame(this, "Frame3", settingCaption(Setting::Stretch), twipsRect(4560, 900, 2445, 720));
    m_text1 = textBox(stretch, "Text1", twipsRect(150, 330, 900, 315));

    QGroupBox* endless = frame(this, "Frame5", "ein-/ ausschalten", twipsRect(90, 1680, 6915, 840));
    auto* explanation =
        new QLabel(QString::fromUtf8(settingCaption(Setting::EndlessAddress)) + ':', endless);
    explanation->setObjectName("Label3");
    explanation->setGeometry(twipsRect(150, 360, 5460, 255));
    m_text3 = textBox(endless, "Text3", twipsRect(5700, 330, 1050, 315));
    explanation->setBuddy(m_text3);

    QPushButton* ok = pushButton(this, "Command1_0", "OK", twipsRect(90, 2640, 1215, 375));
    QPushButton* cancel =
        pushButton(this, "Command1_1", "Abbrechen", twipsRect(1410, 2640, 1215, 375));
    // Both buttons only ask the dialog to close; the close decides what happens. Enter in any
    // field is OK, as in every dialog, even while "Abbrechen" has the focus.
    for (QPushButton* button : {ok, cancel}) {
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, &QWidget::close);
    }
    ok->setDefault(true);
}

void SettingsDialog::connectRules() {
    connect(m_slider1, &QSlider::valueChanged, this, [this](int value) {
        showVolume(value);
        m_form.volumeChanged(value);
    });
    // While the slider is dragged, clicked or moved by keys its tip follows the value.
    connect(m_slider1, &QSlider::actionTriggered, this, [this] {
        QToolTip::showText(QCursor::pos(), volumeTip(m_slider1->sliderPosition()), m_slider1);
    });
    connect(m_text2, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_form.modelTimeChanged(text.toStdString()); });
    connect(m_text1, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_form.stretchChanged(text.toStdString()); });
    connect(m_combo1, &QComboBox::activated, this,
            [this](int index) { m_form.startTimeChosen(index); });
    for (int index = 0; index < 2; ++index) {
        connect(m_option1[static_cast<std::size_t>(index)], &QRadioButton::clicked, this,
                [this, index] { m_form.clockSyncChosen(index == 1); });
    }
    connect(m_text3, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_form.endlessAddressChanged(text.toStdString()); });
    const std::pair<QLineEdit*, Setting> fields[] = {{m_text2, Setting::ModelTime},
                                                     {m_text1, Setting::Stretch},
                                                     {m_text3, Setting::EndlessAddress}};
    for (const auto& [box, setting] : fields) {
        box->setValidator(new DigitsOnly(box));
        box->setMaxLength(static_cast<int>(fieldLength(setting)));
    }
}

void SettingsDialog::showVolume(int value) {
    m_label1->setText(QString::number(value));
    m_slider1->setToolTip(volumeTip(value));
}

void SettingsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_laidOut) {
        m_laidOut = true;
        setFormLayout();
    }
}

void SettingsDialog::setFormLayout() {
    // The form has already turned the shown values into the current names.
    const SettingsDisplay shown = m_form.setFormLayout();
    const QSignalBlocker blockSlider(m_slider1);
    const QSignalBlocker blockModelTime(m_text2);
    const QSignalBlocker blockStretch(m_text1);
    const QSignalBlocker blockAddress(m_text3);
    if (shown.volume) {
        m_slider1->setValue(*shown.volume);
        showVolume(*shown.volume);
    } else {
        m_label1->setText(QStringLiteral("-")); // a stored volume the slider cannot show
    }
    if (shown.modelTime) {
        m_text2->setText(QString::number(*shown.modelTime));
    }
    m_combo1->setCurrentIndex(shown.startTime.value_or(-1));
    if (shown.stretch) {
        m_text1->setText(QString::number(*shown.stretch));
    }
    if (shown.clockSync) {
        m_option1[static_cast<std::size_t>(*shown.clockSync)]->setChecked(true);
    }
    if (shown.endlessAddress) {
        m_text3->setText(QString::number(*shown.endlessAddress));
    }
}

void SettingsDialog::reject() {
    close();
}

void SettingsDialog::closeEvent(QCloseEvent* event) {
    if (!m_closed) {
        const Outcome closed = m_workspace.closeSettings(m_form);
        tellOutcome(m_ui, closed);
        if (closed.reason == OutcomeReason::SettingRefused) {
            event->ignore(); // the message named the field to correct
            return;
        }
        m_closed = true;
    }
    event->accept();
    QDialog::done(QDialog::Accepted);
}

} // namespace tonarion
