#include "gui/QtUserInterface.h"

#include "gui/WaitWindow.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QWindow>

#include <algorithm>
#include <functional>

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

// What the user does to the windows: the mouse, the keys, a drop, and a window's close box
// (a close of the program's own is no input).
bool isInput(const QEvent& event) {
    switch (event.type()) {
    case QEvent::Close:
        return event.spontaneous();
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::NativeGesture:
    case QEvent::Gesture:
        return true;
    default:
        return false;
    }
}

bool belongsTo(const QObject* receiver, const QWidget* window) {
    if (window == nullptr) {
        return false;
    }
    if (const auto* widget = qobject_cast<const QWidget*>(receiver)) {
        return widget->window() == window;
    }
    if (const auto* handle = qobject_cast<const QWindow*>(receiver)) {
        return handle == window->windowHandle();
    }
    return false;
}

} // namespace

// Work that may be stopped runs on the window's thread and lets every pending event run
// between its steps, so that the wait window's button can be pressed. A click or key that
// reached the main window then would act on the table the work is changing (a deletion, a
// second drop, "Beenden", the close box): such input is dropped. What passes is the wait window's,
// a message box the work itself opens, and Escape, which stops the work as the button does.
class InputDuringWork final : public QObject {
public:
    InputDuringWork(std::function<const QWidget*()> waitWindow, std::function<void()> cancel)
        : m_waitWindow(std::move(waitWindow))
        , m_cancel(std::move(cancel))
        , m_modalBefore(QApplication::activeModalWidget()) {
        QApplication::instance()->installEventFilter(this);
    }
    ~InputDuringWork() override { QApplication::instance()->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (!isInput(*event)) {
            return false;
        }
        const QWidget* modal = QApplication::activeModalWidget();
        if (belongsTo(receiver, m_waitWindow()) ||
            (modal != m_modalBefore && belongsTo(receiver, modal))) {
            return false;
        }
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            m_cancel();
        }
        return true;
    }

private:
    std::function<const QWidget*()> m_waitWindow;
    std::function<void()> m_cancel;
    // A dialog that was up when the work began (the one that started it) takes no input
    // either.
    const QWidget* m_modalBefore;
};

QtUserInterface::QtUserInterface() = default;
QtUserInterface::~QtUserInterface() {
    setCancellable(false);
}

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
        QObject::connect(m_waitWindow.get(), &WaitWindow::cancelClicked, [this] { cancel(); });
    }
    m_waitWindow->setProgress(0, 0);
    m_waitWindow->setCancellable(m_inputDuringWork != nullptr);
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

void QtUserInterface::setCancellable(bool cancellable) {
    if (cancellable == (m_inputDuringWork != nullptr)) {
        return;
    }
    if (cancellable) {
        m_cancelPressed = false;
        m_inputDuringWork = std::make_unique<InputDuringWork>(
            [this] { return static_cast<const QWidget*>(m_waitWindow.get()); },
            [this] { cancel(); });
        // The pointer shows that the program works and still takes a click.
        QApplication::setOverrideCursor(Qt::BusyCursor);
    } else {
        m_inputDuringWork.reset();
        QApplication::restoreOverrideCursor();
    }
    if (m_waitWindow) {
        m_waitWindow->setCancellable(cancellable);
    }
}

bool QtUserInterface::cancelRequested() {
    if (!m_inputDuringWork) {
        processPendingEvents();
        return false;
    }
    // The button's click is input: it has to run, and the filter holds back all other.
    QApplication::processEvents();
    return m_cancelPressed;
}

void QtUserInterface::cancel() {
    if (!m_inputDuringWork) {
        return;
    }
    m_cancelPressed = true;
    if (m_waitWindow) {
        m_waitWindow->showCancelling();
    }
}

} // namespace tonarion
