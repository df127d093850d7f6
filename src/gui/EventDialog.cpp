#include "gui/EventDialog.h"

#include "gui/ProgramLook.h"
#include "gui/Twips.h"
#include "gui/WidgetHelpers.h"
#include "model/SoundFileDrop.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <tuple>
#include <utility>

namespace tonarion {
namespace {

QRadioButton* option(QButtonGroup* group, int id, QWidget* parent, const QString& name,
                     const char* caption, QRect geometry) {
    auto* button = new QRadioButton(QString::fromUtf8(caption), parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    group->addButton(button, id);
    return button;
}

QComboBox* list(QWidget* parent, const char* name, ValueList contents, QRect geometry) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setGeometry(geometry);
    for (const auto& entry : listEntries(contents)) {
        combo->addItem(QString::fromStdString(entry));
    }
    combo->setCurrentIndex(-1);
    return combo;
}

QLineEdit* addressBox(QWidget* parent, const char* name, QRect geometry) {
    QLineEdit* box = textBox(parent, name, geometry);
    box->setFont(addressFont());
    return box;
}

// A caption; as the buddy's label it is also the name a screen reader gives the buddy.
QLabel* label(QWidget* parent, const char* text, QRect geometry) {
    auto* created = new QLabel(QString::fromUtf8(text), parent);
    created->setGeometry(geometry);
    return created;
}

QButtonGroup* exclusiveGroup(QObject* parent, const char* name) {
    auto* group = new QButtonGroup(parent);
    group->setObjectName(QString::fromLatin1(name));
    return group;
}

// An exclusive group lets no button be unchecked; the reset needs exactly that.
void deselect(QButtonGroup* group, int id) {
    QAbstractButton* button = group->button(id);
    if (button->isChecked()) {
        group->setExclusive(false);
        button->setChecked(false);
        group->setExclusive(true);
    }
}

// The four frame slots inside "Ereignisse".
QPoint slotPosition(int slot) {
    const QPoint positions[] = {{2640, 360}, {2640, 1800}, {6000, 360}, {6000, 2760}};
    return {fromTwips(positions[slot].x()), fromTwips(positions[slot].y())};
}

} // namespace

EventDialog::EventDialog(std::string rowName, std::string rowEvent, Compose compose,
                         QWidget* parent)
    : QDialog(parent)
    // The dialog opens with the row's choices when the row shows an event.
    , m_form(std::move(rowName), !rowEvent.empty())
    , m_compose(std::move(compose)) {
    setObjectName("frmAktion");
    setWindowTitle(QStringLiteral("Ereignis auswählen..."));
    setModal(true);
    // The outer size of 9810 × 4950 twips, less the window frame and caption.
    setFixedSize(twipsSize(9735, 4500));

    createKindFrame();
    createStatusFrames();
    createValueFrames();
    createAddressFrames();
    createModeFrames();

    m_okButton = pushButton(this, "OKButton", "OK", twipsRect(120, 4080, 1215, 375));
    m_okButton->setEnabled(false);
    // Enter presses OK once OK can be pressed; on a focused "Abbrechen" it presses that.
    m_okButton->setDefault(true);
    QPushButton* cancel =
        pushButton(this, "CancelButton", "Abbrechen", twipsRect(1440, 4080, 1215, 375));
    connect(m_okButton, &QPushButton::clicked, this, &EventDialog::pressOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    connectHandlers();
}

EventDialog::~EventDialog() = default;

void EventDialog::setRowFile(const std::string& sourcePath) {
    // The row's file tells the user which sound is being bound; paths of either system.
    const std::string file = fileNameOf(sourcePath);
    setWindowTitle(QStringLiteral("Ereignis auswählen...") +
                   (file.empty() ? QString() : " – " + QString::fromStdString(file)));
}

void EventDialog::setListen(std::function<void()> listen) {
    QPushButton* button =
        pushButton(this, "cmdAnhoeren", "Anhören", twipsRect(2760, 4080, 1215, 375));
    button->setAutoDefault(false);
    button->show();
    connect(button, &QPushButton::clicked, this, std::move(listen));
}

void EventDialog::createKindFrame() {
    m_frame1 = frame(this, "Frame1", "Ereignisse", twipsRect(0, 0, 9735, 3975));
    m_option1 = exclusiveGroup(this, "Option1");
    const int tops[] = {480, 960, 1320, 1800, 2280, 2760, 3240};
    for (int kind = 0; kind < EventKindCount; ++kind) {
        const KindOption& kindOption = KindOptions[static_cast<std::size_t>(kind)];
        option(m_option1, kind, m_frame1, QStringLiteral("Option1_%1").arg(kind),
               kindOption.caption, twipsRect(240, tops[kind], 2385, 300));
    }
}

void EventDialog::createStatusFrames() {
    const auto statusFrame = [this](int index, const char* caption, const char* groupName,
                                    const StatusOptions& options, bool oneUnderAnother) {
        QGroupBox* box = frame(m_frame1, "", caption, twipsRect(2640, 3960, 3240, 1320));
        box->setObjectName(QStringLiteral("Frame3_%1").arg(index));
        QButtonGroup* group = exclusiveGroup(this, groupName);
        // Side by side, the middle option gets the room "schließen" needs.
        const int lefts[] = {150, 1050, 2130};
        const int widths[] = {900, 1080, 1050};
        for (int i = 0; i < 3; ++i) {
            const QRect geometry = oneUnderAnother ? twipsRect(150, 300 + i * 300, 3000, 300)
                                                   : twipsRect(lefts[i], 420, widths[i], 300);
            option(group, i, box, QStringLiteral("%1_%2").arg(QLatin1String(groupName)).arg(i),
                   options[static_cast<std::size_t>(i)].caption, geometry);
        }
        m_frame3[static_cast<std::size_t>(index)] = box;
        return group;
    };
    m_optMA = statusFrame(0, "Status", "optMA", optMA, false);
    m_optRUE = statusFrame(1, "Status", "optRUE", optRUE, false);
    m_optZID = statusFrame(2, "Fahrtrichtungsoption", "optZID", optZID, true);
    m_optKON = statusFrame(3, "Status", "optKON", optKON, false);
}

void EventDialog::createValueFrames() {
    QGroupBox* position =
        frame(m_frame1, "Frame3_4", "Bereich 1 bis 127", twipsRect(2640, 3960, 3240, 1320));
    m_combo4 = list(position, "Combo4", ValueList::Combo4, twipsRect(150, 600, 1200, 330));
    label(position, "Wiedergabeposition", twipsRect(150, 300, 2700, 255))->setBuddy(m_combo4);
    m_frame3[4] = position;

    QGroupBox* time = frame(m_frame1, "Frame3_5", "Zeitangabe ", twipsRect(2640, 3960, 3240, 1320));
    m_combo1 = list(time, "Combo1", ValueList::Combo1, twipsRect(150, 600, 1200, 330));
    label(time, "im 15 Minuten Takt", twipsRect(150, 300, 2700, 255))->setBuddy(m_combo1);
    m_frame3[5] = time;

    m_frame4 = frame(m_frame1, "Frame4", "Abspielpriorität wenn Ereignis eintritt",
                     twipsRect(2640, 1800, 3240, 840));
    m_combo2 = list(m_frame4, "Combo2", ValueList::Combo2, twipsRect(150, 330, 900, 330));

    m_frame7 = frame(m_frame1, "Frame7", "Ausblendzeit", twipsRect(3360, 1800, 2520, 840));
    m_combo5 = list(m_frame7, "Combo5", ValueList::Combo5, twipsRect(150, 330, 900, 330));
}

void EventDialog::createAddressFrames() {
    const QRect slotC = twipsRect(6000, 360, 3615, 2280);

    m_frame2[0] = frame(m_frame1, "Frame2_0", "Adresse", slotC);
    m_text2[0] = addressBox(m_frame2[0], "Text2_0", twipsRect(600, 330, 1050, 330));
    label(m_frame2[0], "von:", twipsRect(150, 390, 450, 255))->setBuddy(m_text2[0]);
    m_text2[1] = addressBox(m_frame2[0], "Text2_1", twipsRect(2250, 330, 1050, 330));
    label(m_frame2[0], "bis:", twipsRect(1800, 390, 450, 255))->setBuddy(m_text2[1]);

    m_frame2[1] = frame(m_frame1, "Frame2_1", "Adresse", slotC);
    m_text1[0] = addressBox(m_frame2[1], "Text1_0", twipsRect(1800, 300, 1050, 330));
    label(m_frame2[1], "Empfängeradresse", twipsRect(150, 360, 1650, 255))->setBuddy(m_text1[0]);
    m_optADR = exclusiveGroup(this, "optADR");
    for (int i = 0; i < 6; ++i) {
        const auto& address = optADR[static_cast<std::size_t>(i)];
        const int width = i == LocoAddressOption ? 750 : 1650;
        option(m_optADR, i, m_frame2[1], QStringLiteral("optADR_%1").arg(i), address.caption,
               twipsRect(150 + (i % 2) * 1650, 780 + (i / 2) * 360, width, 300));
    }
    m_text1[1] = addressBox(m_frame2[1], "Text1_1", twipsRect(2550, 1470, 960, 330));
    m_text1[1]->setAccessibleName(QStringLiteral("Lokadresse"));

    m_frame2[2] = frame(m_frame1, "Frame2_2", "Kontakt 1 bis 10", slotC);
    m_combo3[0] = list(m_frame2[2], "Combo3_0", ValueList::Combo3, twipsRect(600, 330, 900, 330));
    label(m_frame2[2], "von: ", twipsRect(150, 390, 450, 255))->setBuddy(m_combo3[0]);
    m_combo3[1] = list(m_frame2[2], "Combo3_1", ValueList::Combo3, twipsRect(2250, 330, 900, 330));
    label(m_frame2[2], "bis: ", twipsRect(1800, 390, 450, 255))->setBuddy(m_combo3[1]);
}

void EventDialog::createModeFrames() {
    // Interruption and stop take turns at the same place, each with two options.
    const auto modeFrame = [this](const char* name, const char* caption, const char* groupName,
                                  const std::array<CodedOption, 2>& options) {
        QGroupBox* box = frame(m_frame1, name, caption, twipsRect(6000, 3960, 3615, 1080));
        QButtonGroup* group = exclusiveGroup(this, groupName);
        for (int i = 0; i < 2; ++i) {
            option(group, i, box, QStringLiteral("%1_%2").arg(QLatin1String(groupName)).arg(i),
                   options[static_cast<std::size_t>(i)].caption,
                   twipsRect(150, 300 + i * 330, 3375, 300));
        }
        return std::pair(box, group);
    };
    std::tie(m_frame5, m_option2) =
        modeFrame("Frame5", "Unterbrechungserlaubnis", "Option2", Option2);
    std::tie(m_frame6, m_option3) = modeFrame("Frame6", "Stopoption", "Option3", Option3);
    // Before a kind is chosen only the kind options, OK and "Abbrechen" can be seen.
    for (QGroupBox* box :
         {m_frame2[0], m_frame2[1], m_frame2[2], m_frame4, m_frame5, m_frame6, m_frame7,
          m_frame3[0], m_frame3[1], m_frame3[2], m_frame3[3], m_frame3[4], m_frame3[5]}) {
        box->hide();
    }
}

void EventDialog::connectHandlers() {
    // An option's handler runs when the user clicks it, even when it was chosen already, and
    // when it turns on.
    const auto onChosen = [this](QButtonGroup* group, auto handler) {
        connect(group, &QButtonGroup::idClicked, this,
                [this, handler](int id) { handle([&] { handler(id); }); });
        connect(group, &QButtonGroup::idToggled, this, [this, handler](int id, bool checked) {
            if (checked) {
                handle([&] { handler(id); });
            }
        });
    };
    onChosen(m_option1, [this](int kind) { m_form.kindChosen(kind); });
    for (QButtonGroup* group : {m_optKON, m_optZID, m_optMA, m_optRUE}) {
        onChosen(group, [this](int id) { m_form.statusChosen(id); });
    }
    onChosen(m_option2, [this](int id) { m_form.modeChosen(id); });
    onChosen(m_option3, [this](int id) {
        const bool stop = id == 1;
        m_frame5->setVisible(!stop);
        m_frame7->setVisible(stop);
        m_form.stopChosen(stop);
    });
    onChosen(m_optADR, [this](int id) { m_form.addressChosen(id); });
    for (QComboBox* combo : {m_combo1, m_combo2, m_combo4, m_combo5}) {
        connect(combo, &QComboBox::currentIndexChanged, this, [this, combo] { listChosen(combo); });
        connect(combo, &QComboBox::activated, this, [this, combo] { listChosen(combo); });
        combo->installEventFilter(this);
    }
    for (int i = 0; i < 2; ++i) {
        QComboBox* combo = m_combo3[static_cast<std::size_t>(i)];
        connect(combo, &QComboBox::currentIndexChanged, this, [this, i] { contactChosen(i); });
        connect(combo, &QComboBox::activated, this, [this, i] { contactChosen(i); });
        combo->installEventFilter(this);
    }
    const std::pair<QLineEdit*, AddressBox> boxes[] = {{m_text1[0], AddressBox::Receiver},
                                                       {m_text1[1], AddressBox::Loco},
                                                       {m_text2[0], AddressBox::From},
                                                       {m_text2[1], AddressBox::To}};
    for (const auto& [box, which] : boxes) {
        connect(box, &QLineEdit::textChanged, this, [this, which](const QString& text) {
            handle([&] { m_form.textChanged(which, text.toStdString()); });
        });
        box->installEventFilter(this);
    }
    for (QAbstractButton* kind : m_option1->buttons()) {
        kind->installEventFilter(this);
    }
}

// Leaving a list that holds a choice counts as choosing it. An address box that gains focus
// has its whole text selected, so that typing replaces the "-" it starts with; the
// selection waits until a click has placed the cursor.
bool EventDialog::eventFilter(QObject* watched, QEvent* event) {
    // The arrow keys choose the next or previous kind, as in any group of options: Qt would
    // only move the focus while no kind is chosen yet.
    if (event->type() == QEvent::KeyPress && m_option1->buttons().contains(watched)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const int step = key == Qt::Key_Down || key == Qt::Key_Right ? 1
                         : key == Qt::Key_Up || key == Qt::Key_Left  ? -1
                                                                     : 0;
        if (step != 0) {
            const int id = m_option1->id(static_cast<QAbstractButton*>(watched)) + step;
            if (QAbstractButton* next = m_option1->button(id)) {
                next->setFocus(Qt::TabFocusReason);
                next->click();
            }
            return true;
        }
    }
    if (event->type() == QEvent::FocusIn) {
        if (auto* box = qobject_cast<QLineEdit*>(watched)) {
            QTimer::singleShot(0, box, &QLineEdit::selectAll);
        }
    }
    if (event->type() == QEvent::FocusOut) {
        if (watched == m_combo3[0] || watched == m_combo3[1]) {
            contactChosen(watched == m_combo3[0] ? 0 : 1);
        } else if (auto* combo = qobject_cast<QComboBox*>(watched)) {
            listChosen(combo);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void EventDialog::listChosen(QComboBox* list) {
    const ValueList which = list == m_combo1   ? ValueList::Combo1
                            : list == m_combo2 ? ValueList::Combo2
                            : list == m_combo4 ? ValueList::Combo4
                                               : ValueList::Combo5;
    handle([&] { m_form.listChosen(which, list->currentIndex()); });
}

void EventDialog::contactChosen(int list) {
    handle([&] {
        m_form.contactChosen(list, m_combo3[static_cast<std::size_t>(list)]->currentIndex());
    });
}

void EventDialog::handle(const std::function<void()>& handler) {
    if (!m_showing) {
        handler();
        showForm();
    }
}

void EventDialog::showForm() {
    m_showing = true;
    const EventControls& controls = m_form.controls();
    const auto check = [](QButtonGroup* group, const std::optional<int>& chosen) {
        for (QAbstractButton* button : group->buttons()) {
            const int id = group->id(button);
            if (chosen == id) {
                button->setChecked(true);
            } else {
                deselect(group, id);
            }
        }
    };
    check(m_option1, controls.kind);
    // Only the chosen kind's status group holds a choice.
    QButtonGroup* const statusGroups[] = {m_optMA, m_optRUE, m_optZID, m_optKON};
    for (int kind = 0; kind < 4; ++kind) {
        check(statusGroups[kind], controls.kind == kind ? controls.status : std::nullopt);
    }
    check(m_option2, controls.mode);
    check(m_option3, controls.stop);
    check(m_optADR, controls.address);
    const auto choose = [](QComboBox* list, int position) {
        if (list->currentIndex() != position) {
            list->setCurrentIndex(position);
        }
    };
    choose(m_combo1, controls.combo1);
    choose(m_combo2, controls.combo2);
    choose(m_combo3[0], controls.combo3[0]);
    choose(m_combo3[1], controls.combo3[1]);
    choose(m_combo4, controls.combo4);
    choose(m_combo5, controls.combo5);
    const auto write = [&controls](QLineEdit* box, AddressBox which) {
        const QString text = QString::fromStdString(controls.text(which));
        if (box->text() != text) {
            box->setText(text);
        }
    };
    write(m_text1[0], AddressBox::Receiver);
    write(m_text1[1], AddressBox::Loco);
    write(m_text2[0], AddressBox::From);
    write(m_text2[1], AddressBox::To);
    m_okButton->setEnabled(controls.okEnabled);
    if (controls.kind && controls.kind != m_laidOutKind) {
        m_laidOutKind = controls.kind;
        layOutKind(static_cast<EventKind>(*controls.kind));
    }
    m_showing = false;
}

void EventDialog::place(QGroupBox* box, Slot slot) {
    box->move(slotPosition(static_cast<int>(slot)));
    box->show();
}

// The kind's page: in slot A its status, time or play position, in B the priority, in C its
// numbers, in D the interrupt permission.
void EventDialog::layOutKind(EventKind kind) {
    const KindChoices& offers = kindChoices(kind);
    const auto k = static_cast<std::size_t>(kind);
    QGroupBox* const slotA = offers.status     ? m_frame3[k]
                             : offers.time     ? m_frame3[5]
                             : offers.position ? m_frame3[4]
                                               : nullptr;
    for (QGroupBox* box : m_frame3) {
        box->setVisible(box == slotA);
    }
    const std::size_t numbers = static_cast<std::size_t>(offers.numbers) - 1;
    for (std::size_t i = 0; i < m_frame2.size(); ++i) {
        if (i != numbers) {
            m_frame2[i]->hide();
        }
    }
    if (slotA) {
        place(slotA, Slot::A);
    }
    if (offers.priority) {
        place(m_frame4, Slot::B);
    } else {
        // The stop option and its fade-out time stand in for the priority.
        m_frame4->hide();
        m_frame6->hide();
        m_frame7->hide();
    }
    if (offers.numbers != AddressFrame::None) {
        place(m_frame2[numbers], Slot::C);
    }
    if (offers.mode) {
        place(m_frame5, Slot::D);
    } else {
        m_frame5->hide();
    }
}

void EventDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_prefilled) {
        m_prefilled = true;
        m_neuerEintrag.reset();
        m_form.setLayoutfrmAktion();
        showForm();
        // The focus starts, visibly, on the row's kind, or on the first kind for a new row:
        // the frame a style draws only after a key was pressed is drawn from the start.
        setAttribute(Qt::WA_KeyboardFocusChange);
        QAbstractButton* kind = m_option1->checkedButton();
        (kind ? kind : m_option1->button(0))->setFocus(Qt::TabFocusReason);
    }
}

void EventDialog::pressOk() {
    if (auto entry = m_compose(selection())) {
        m_neuerEintrag = std::move(entry);
        accept();
    }
}

} // namespace tonarion
