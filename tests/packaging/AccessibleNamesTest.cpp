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

using namespace tonarion;
using namespace tonarion::testing;

namespace {

using Reached = QList<std::pair<QWidget*, QString>>; // an input control and its name

// The input controls as a screen reader meets them, walking the dialog's accessible tree.
void walk(QAccessibleInterface* node, Reached& reached) {
    if (node == nullptr || !node->isValid()) {
        return;
    }
    if (QList{QAccessible::EditableText, QAccessible::ComboBox, QAccessible::SpinBox,
              QAccessible::Slider, QAccessible::List, QAccessible::RadioButton,
              QAccessible::CheckBox}
            .contains(node->role())) {
        // A list's items and a combo box's popup are read out as part of their control.
        reached.append(
            {qobject_cast<QWidget*>(node->object()), node->text(QAccessible::Name).trimmed()});
        return;
    }
    for (int i = 0; i < node->childCount(); ++i) {
        walk(node->child(i), reached);
    }
}

bool isInput(const QWidget* widget) {
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget) ||
           (qobject_cast<const QAbstractSlider*>(widget) &&
            !qobject_cast<const QScrollBar*>(widget)) ||
           qobject_cast<const QAbstractItemView*>(widget) ||
           (qobject_cast<const QAbstractButton*>(widget) &&
            !qobject_cast<const QPushButton*>(widget));
}

} // namespace

class AccessibleNamesTest : public QObject {
    Q_OBJECT

private slots:
    // Every input control of each dialog's own window is reached by the walk and has a name.
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
            Reached reached;
            walk(QAccessible::queryAccessibleInterface(dialog), reached);
            QStringList named, unnamed, inputs;
            for (const auto& [widget, name] : reached) {
                (name.isEmpty() ? unnamed : named) << widget->objectName();
            }
            for (const QWidget* widget : dialog->findChildren<QWidget*>()) {
                if (isInput(widget) && widget->window() == dialog) {
                    inputs << widget->objectName();
                }
            }
            named.sort();
            inputs.sort();
            QCOMPARE(unnamed, QStringList());
            QVERIFY(!named.isEmpty());
            QCOMPARE(named, inputs);
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
            Reached reached;
            walk(QAccessible::queryAccessibleInterface(&dialog), reached);
            QStringList names;
            for (const auto& [widget, name] : reached) {
                if (widget->isVisible() && !qobject_cast<QAbstractButton*>(widget)) {
                    names << name;
                }
            }
            QCOMPARE(names, expected[kind]);
        }
    }
};

TONARION_GUI_TEST(AccessibleNamesTest)
#include "AccessibleNamesTest.moc"
