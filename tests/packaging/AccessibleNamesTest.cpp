#include "gui/DriveDialog.h"
#include "gui/EventDialog.h"
#include "gui/SettingsDialog.h"
#include "support/GuiTestMain.h"
#include "support/ModalDialog.h"
#include "support/TestStick.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QTest>

using namespace tonarion;
using namespace tonarion::testing;

namespace {

using Reached = QList<std::pair<QWidget*, QString>>; // an input control and its name

// What a screen reader takes for an input control, by its role.
bool isInput(QAccessibleInterface* node) {
    return node != nullptr &&
           QList{QAccessible::EditableText, QAccessible::ComboBox, QAccessible::SpinBox,
                 QAccessible::Slider,       QAccessible::List,     QAccessible::RadioButton,
                 QAccessible::CheckBox}
               .contains(node->role());
}

// The input controls as a screen reader meets them, walking the window's accessible tree.
void walk(QAccessibleInterface* node, Reached& reached) {
    if (node == nullptr || !node->isValid()) {
        return;
    }
    if (isInput(node)) {
        // A list's items and a combo box's popup are read out as part of their control.
        reached.append(
            {qobject_cast<QWidget*>(node->object()), node->text(QAccessible::Name).trimmed()});
        return;
    }
    for (int i = 0; i < node->childCount(); ++i) {
        walk(node->child(i), reached);
    }
}

Reached inputsOf(QWidget* window) {
    Reached reached;
    walk(QAccessible::queryAccessibleInterface(window), reached);
    return reached;
}

} // namespace

class AccessibleNamesTest : public QObject {
    Q_OBJECT

private slots:
    // Every input control of each dialog's own window is reached by the walk and has a name;
    // boxes that share a frame ("von:" and "bis:" under "Adresse") are told apart by name.
    void everyControlOfEachDialogHasAName() {
        TestStick stick;
        stick.writeIndex({});
        stick.workspace.load("/opt");
        EventDialog event("", "", [](const EventSelection&) { return std::nullopt; });
        SettingsDialog settings(stick.workspace, stick.ui);
        DriveDialog drives({driveEntry("/media/anna/STICK")}, stick.workspace, stick.ui,
                           [](QWidget*) { return std::nullopt; });
        for (QWidget* dialog : std::initializer_list<QWidget*>{&event, &settings, &drives}) {
            dialog->show();
            QStringList named, inputs;
            for (const auto& [widget, name] : inputsOf(dialog)) {
                named << (name.isEmpty() ? "(no name) " : "") + widget->objectName();
            }
            for (QWidget* widget : dialog->findChildren<QWidget*>()) {
                if (widget->window() == dialog &&
                    isInput(QAccessible::queryAccessibleInterface(widget))) {
                    inputs << widget->objectName();
                }
            }
            named.sort();
            inputs.sort();
            QVERIFY(!named.isEmpty());
            QCOMPARE(named, inputs);
        }
        const QString priority = "Abspielpriorität wenn Ereignis eintritt|";
        const QStringList expected = {priority + "von:|bis:",
                                      priority + "von:|bis:",
                                      priority + "Empfängeradresse|Lokadresse",
                                      priority + "von:|bis:",
                                      "",
                                      "im 15 Minuten Takt",
                                      "Wiedergabeposition"};
        for (int kind = 0; kind < EventKindCount; ++kind) {
            act(&event, {QStringLiteral("Option1_%1").arg(kind)});
            QStringList names;
            for (const auto& [widget, name] : inputsOf(&event)) {
                if (widget->isVisible() && !qobject_cast<QAbstractButton*>(widget)) {
                    names << name;
                }
            }
            QCOMPARE(names.join('|'), expected[kind]);
        }
    }
};

TONARION_GUI_TEST(AccessibleNamesTest)
#include "AccessibleNamesTest.moc"
