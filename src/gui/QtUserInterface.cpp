#include "gui/QtUserInterface.h"

#include "gui/WaitWindow.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QWindow>

#include <algorithm>

namespace tonarion {
namespace {

QMessageBox::Icon iconOf(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// The window a message belongs to: the dialog in front, the active window, or, while the
// system has not yet handed the focus back after a chooser closed, the program's window that
// is open. A box of its own would be the program's last window while the drive dialog is up,
// and closing it would end the program.
QWidget* ownerOfMessages(const QWidget* waitWindow) {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    if (QWidget* active = QApplication::activeWindow()) {
        return active;
    }
    const QList<QWidget*> windows = QApplication::topLevelWidgets();
    const auto open = std::find_if(windows.begin(), windows.end(), [waitWindow](QWidget* window) {
        const Qt::WindowType type = window->windowType();
        return window != waitWindow && window->isVisible() &&
               (type == Qt::Window || type == Qt::Dialog);
    });
    return open == windows.end() ? nullptr : *open;
}

} // namespace

QtUserInterface::QtUserInterface() = default;
QtUserInterface::~QtUserInterface() = default;

MessageAnswer QtUserInterface::showMessage(const Message& message) {
    QMessageBox box(ownerOfMessages(m_waitWindow.get()));
    // A message never ends the program, even one shown before any window is open.
    box.setAttribute(Qt::WA_QuitOnClose, false);
    box.setWindowTitle(QString::fromStdString(message.title));
    box.setIcon(iconOf(message.icon));
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(message.text).replace(QLatin1String("\r\n"), "\n"));
    if (message.buttons == MessageButtons::Ok) {
        box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.exec();
        return MessageAnswer::Ok;
    }
    QPushButton* yes = box.addButton(QStringLiteral("Ja"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("Nein"), QMessageBox::NoRole);
    box.setDefaultButton(message.defaultAnswer == MessageAnswer::No ? no : yes);
    box.setEscapeButton(no);
    // Closing the box without a button counts as "No".
    box.exec();
    return box.clickedButton() == yes ? MessageAnswer::Yes : MessageAnswer::No;
}

void QtUserInterface::setBusyPointer(bool busy) {
    if (busy) {
        ++m_busyDepth;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (m_busyDepth > 0) {
        --m_busyDepth;
        QApplication::restoreOverrideCursor();
    }
}

void QtUserInterface::showWaitWindow() {
    if (!m_waitWindow) {
        m_waitWindow = std::make_unique<WaitWindow>();
    }
    m_waitWindow->setProgress(0, 0);
    m_waitWindow->show();
    m_waitWindow->raise();
    // A window manager maps the window some time after show(); until its first expose
    // arrives nothing can be drawn, and the slow work would leave it blank. Wait for the
    // expose (briefly: a stuck window manager must not stall the save), then paint.
    const QDeadlineTimer deadline(2000);
    while (!m_waitWindow->windowHandle()->isExposed() && !deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(5);
    }
    m_waitWindow->repaint();
    processPendingEvents();
}

void QtUserInterface::hideWaitWindow() {
    m_waitWindow.reset();
}

void QtUserInterface::reportProgress(int done, int total) {
    if (m_waitWindow) {
        m_waitWindow->setProgress(done, total);
        processPendingEvents();
    }
}

void QtUserInterface::processPendingEvents() {
    // The windows take no input while the stick is written: only painting and the like run.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace tonarion
