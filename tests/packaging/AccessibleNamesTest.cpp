#include "gui/DriveDialog.h"
#include "gui/EventDialog.h"
#include "gui/SettingsDialog.h"
#include "support/GuiTestMain.h"
#include "support/ModalDialog.h"
#include "support/TestStick.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <memory>

using namespace tonarion;
using namespace tonarion::testing;

namespace {

// An input control as a screen reader meets it, walking the dialog's accessible tree.
struct ReachedControl {
    QString objectName;
    QString name;
    bool visible = false;
};

bool isInputRole(QAccessible::Role role) {
    switch (role) {
    case QAccessible::EditableText:
    case QAccessible::ComboBox:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::List:
    case QAccessible::RadioButton:
    case QAccessible::CheckBox:
        return true;
    default:
        return false;
    }
}

void walk(QAccessibleInterface* node, QList<ReachedControl>& reached) {
    if (node == nullptr || !node->isValid()) {
        return;
    }
    if (isInputRole(node->role())) {
        const auto* widget = qobject_cast<const QWidget*>(node->object());
        reached.append({widget ? widget->objectName() : QString(),
                        node->text(QAccessible::Name).trimmed(), widget && widget->isVisible()});
        // A list's items and a combo box's popup are read out as part of their control.
        return;
    }
    for (int i = 0; i < node->childCount(); ++i) {
        walk(node->child(i), reached);
    }
}

QList<ReachedControl> reachedControls(QWidget* dialog) {
    QList<ReachedControl> reached;
    walk(QAccessible::queryAccessibleInterface(dialog), reached);
    return reached;
}

// The input controls of the dialog's own window, found through the widget tree.
QStringList inputControls(const QWidget* dialog) {
    QStringList names;
    for (const QWidget* widget : dialog->findChildren<QWidget*>()) {
        const bool input = qobject_cast<const QLineEdit*>(widget) ||
                           qobject_cast<const QComboBox*>(widget) ||
                           qobject_cast<const QAbstractSpinBox*>(widget) ||
                           (qobject_cast<const QAbstractSlider*>(widget) &&
                            !qobject_cast<const QScrollBar*>(widget)) ||
                           qobject_cast<const QAbstractItemView*>(widget) ||
                           (qobject_cast<const QAbstractButton*>(widget) &&
                            !qobject_cast<const QPushButton*>(widget));
        if (input && widget->window() == dialog) {
            names << widget->objectName();
        }
    }
    names.sort();
    return names;
}

// Every input control is reached by the walk and has a name; the ones without are listed.
void expectEveryControlNamed(QWidget* dialog) {
    const QList<ReachedControl> reached = reachedControls(dialog);
    QStringList reachedNames;
    QStringList unnamed;
    for (const ReachedControl& control : reached) {
        reachedNames << control.objectName;
        if (control.name.isEmpty()) {
            unnamed << control.objectName;
        }
    }
    reachedNames.sort();
    QCOMPARE(reachedNames, inputControls(dialog));
    QVERIFY(!reachedNames.isEmpty());
    QCOMPARE(unnamed, QStringList());
}

} // namespace

class AccessibleNamesTest : public QObject {
    Q_OBJECT

private slots:
    void everyControlOfEachDialogHasAName() {
        TestStick stick;
        stick.writeIndex({});
        stick.workspace.load("/opt");
        EventDialog event("", "", [](const EventSelection&) { return std::nullopt; });
        SettingsDialog settings(stick.workspace);
        DriveDialog drives({driveEntry("/media/anna/STICK")}, stick.workspace, stick.ui,
                           [](QWidget*) { return std::nullopt; });
        for (QWidget* dialog : std::initializer_list<QWidget*>{&event, &settings, &drives}) {
            dialog->show();
            expectEveryControlNamed(dialog);
        }
    }

    // Boxes that share a frame ("von:" and "bis:" under "Adresse") are told apart by name.
    void theVisibleFieldsOfEachEventKindAreToldApart() {
        const QStringList expected[EventKindCount] = {
            {"Abspielpriorität wenn Ereignis eintritt", "von:", "bis:"},
            {"Abspielpriorität wenn Ereignis eintritt", "von:", "bis:"},
            {"Abspielpriorität wenn Ereignis eintritt", "Empfängeradresse", "Lokadresse"},
            {"Abspielpriorität wenn Ereignis eintritt", "von:", "bis:"},
            {},
            {"im 15 Minuten Takt"},
            {"Wiedergabeposition"},
        };
        EventDialog dialog("", "", [](const EventSelection&) { return std::nullopt; });
        dialog.show();
        for (int kind = 0; kind < EventKindCount; ++kind) {
            act(&dialog, {QStringLiteral("Option1_%1").arg(kind)});
            QStringList names;
            for (const ReachedControl& control : reachedControls(&dialog)) {
                if (control.visible && !qobject_cast<QAbstractButton*>(
                                           dialog.findChild<QWidget*>(control.objectName))) {
                    names << control.name;
                }
            }
            QCOMPARE(names, expected[kind]);
        }
    }
};

TONARION_GUI_TEST(AccessibleNamesTest)
#include "AccessibleNamesTest.moc"
