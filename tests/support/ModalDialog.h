#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QMetaProperty>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace tonarion::testing {

// Driving the program's windows by their controls' object names. A control's value is its
// user property (a button's checked state, a list's chosen text, a slider's value, a box's
// text), or else its text.

inline QWidget* control(const QWidget* parent, const QString& name) {
    if (auto* found = parent->findChild<QWidget*>(name)) {
        return found;
    }
    qFatal("no control %s", qPrintable(name));
}

// One step each: "Name" clicks a button, "Name=value" gives a control that value.
inline void act(const QWidget* parent, const QStringList& steps) {
    for (const QString& step : steps) {
        QWidget* widget = control(parent, step.section('=', 0, 0));
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            button->click();
        } else {
            widget->metaObject()->userProperty().write(widget, step.section('=', 1));
        }
    }
}

// "Name=value" for each control. A name may carry "=value" already, which is ignored, so
// that states(expected) can be compared with expected.
inline QStringList states(const QWidget* parent, const QStringList& names) {
    QStringList result;
    for (const QString& entry : names) {
        const QString name = entry.section('=', 0, 0);
        QWidget* widget = control(parent, name);
        const QMetaProperty user = widget->metaObject()->userProperty();
        result << name + "=" +
                      (user.isValid() ? user.read(widget) : widget->property("text")).toString();
    }
    return result;
}

// Clicks a view's cell (row and column from 0) with the mouse, or double-clicks or presses it.
using MouseAction = void (*)(QWidget*, Qt::MouseButton, Qt::KeyboardModifiers, QPoint, int);
inline void clickCell(const QAbstractItemView* view, int row, int column,
                      Qt::MouseButton button = Qt::LeftButton,
                      MouseAction with = QTest::mouseClick) {
    const QModelIndex cell = view->model()->index(row, column);
    with(view->viewport(), button, {}, view->visualRect(cell).center(), -1);
}

// The controls that Tab visits from `from` in its active window, until it comes round again.
inline QStringList tabChain(QWidget* from) {
    QApplication::setActiveWindow(from->window());
    if (!QTest::qWaitForWindowActive(from->window())) {
        return {"(the window did not become active)"};
    }
    from->setFocus();
    QStringList chain;
    do {
        chain << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    } while (QApplication::focusWidget() != from && chain.size() < 40);
    return chain;
}

// Handles the next modal dialog of type D that the code under test opens and runs with
// exec(): the handler gets the dialog and must close it. A dialog that never shows within a
// few seconds, or that the handler leaves open, is rejected so that no test hangs.
template <typename D>
void whenDialogOpens(std::function<void(D*)> handler) {
    auto* poll = new QTimer;
    auto waited = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, waited, handler] {
        auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        auto* dialog = qobject_cast<D*>(modal);
        if (!dialog && ++*waited <= 500) {
            return;
        }
        poll->stop();
        poll->deleteLater();
        if (dialog) {
            handler(dialog);
        }
        if (modal && modal->isVisible()) {
            modal->reject();
        }
    });
    poll->start(10);
}

} // namespace tonarion::testing
