#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace tonarion::testing {

// Handles the next modal dialog of type D that the code under test opens and runs with
// exec(): the handler gets the dialog and must close it. A dialog that never shows within a
// few seconds, or that the handler leaves open, is rejected so that no test hangs.
template <typename D>
void whenDialogOpens(std::function<void(D*)> handler) {
    auto* poll = new QTimer;
    auto waited = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, waited, handler] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<D*>(widget);
            if (dialog && dialog->isVisible()) {
                poll->deleteLater();
                poll->stop();
                handler(dialog);
                if (dialog->isVisible()) {
                    dialog->reject();
                }
                return;
            }
        }
        if (++*waited > 500) {
            poll->stop();
            poll->deleteLater();
            if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                modal->reject();
            }
        }
    });
    poll->start(10);
}

} // namespace tonarion::testing
