#include "gui/WaitWindow.h"

#include "gui/WidgetHelpers.h"

#include <QPainter>
#include <QPushButton>

namespace tonarion {
namespace {

constexpr int BannerWidth = 270;
constexpr int BannerHeight = 45;
constexpr int BarHeight = 4;
constexpr int ButtonRowHeight = 34;
constexpr int ButtonWidth = 100;
constexpr int ButtonHeight = 24;

} // namespace

WaitWindow::WaitWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName("frmWait");
    setFixedSize(BannerWidth, BannerHeight + BarHeight);
    setCursor(Qt::WaitCursor);
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_cancelButton =
        pushButton(this, "cmdAbbrechen", "Abbrechen",
                   QRect((BannerWidth - ButtonWidth) / 2,
                         BannerHeight + BarHeight + (ButtonRowHeight - ButtonHeight) / 2,
                         ButtonWidth, ButtonHeight));
    // The one control of the window that takes the mouse while the work runs.
    m_cancelButton->setCursor(Qt::ArrowCursor);
    m_cancelButton->setFocusPolicy(Qt::NoFocus);
    m_cancelButton->hide();
    connect(m_cancelButton, &QPushButton::clicked, this, &WaitWindow::cancelClicked);
    centreOnScreen(*this);
}

void WaitWindow::setProgress(int done, int total) {
    m_done = done;
    m_total = total;
    update();
}

void WaitWindow::setCancellable(bool cancellable) {
    if (cancellable == m_cancelButton->isVisibleTo(this)) {
        return;
    }
    m_cancelButton->setText(QStringLiteral("Abbrechen"));
    m_cancelButton->setEnabled(true);
    m_cancelButton->setVisible(cancellable);
    // The banner stays where it was; the button row hangs below it.
    setFixedSize(BannerWidth, BannerHeight + BarHeight + (cancellable ? ButtonRowHeight : 0));
}

void WaitWindow::showCancelling() {
    m_cancelButton->setText(QStringLiteral("Wird abgebrochen..."));
    m_cancelButton->setEnabled(false);
}

void WaitWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);

    QFont font = this->font();
    font.setBold(true);
    font.setPixelSize(15);
    painter.setFont(font);
    painter.setPen(QColor(0, 0, 200));
    const QRect banner(0, 0, BannerWidth, BannerHeight);
    painter.drawText(banner.adjusted(0, 3, 0, -BannerHeight / 2), Qt::AlignCenter,
                     QStringLiteral("SPEICHERVORGANG"));
    font.setPixelSize(12);
    painter.setFont(font);
    painter.drawText(banner.adjusted(0, BannerHeight / 2, 0, -3), Qt::AlignCenter,
                     QStringLiteral("BITTE WARTEN..."));

    if (m_total > 0) {
        const int filled = BannerWidth * m_done / m_total;
        painter.fillRect(QRect(0, BannerHeight, filled, BarHeight), QColor(0, 0, 200));
    }
}

} // namespace tonarion
