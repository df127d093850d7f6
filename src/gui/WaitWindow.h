#pragma once

#include <QWidget>

class QPushButton;

namespace tonarion {

// frmWait: the banner "SPEICHERVORGANG / BITTE WARTEN..." shown while the stick is written,
// with a thin bar under it that follows the copies of a commit. Work that changes the stick
// only once it is all done (converting, levelling) may be stopped: then a button
// "Abbrechen" stands under the bar.
class WaitWindow final : public QWidget {
    Q_OBJECT
public:
    explicit WaitWindow(QWidget* parent = nullptr);

    void setProgress(int done, int total);
    void setCancellable(bool cancellable);
    // "Abbrechen" was pressed: the button says that the work is being stopped.
    void showCancelling();

signals:
    void cancelClicked();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPushButton* m_cancelButton = nullptr;
    int m_done = 0;
    int m_total = 0;
};

} // namespace tonarion
