#pragma once

#include <QWidget>

namespace tonarion {

// frmWait: the banner "SPEICHERVORGANG / BITTE WARTEN..." shown while the stick is written,
// with a thin bar under it that follows the copies of a commit.
class WaitWindow final : public QWidget {
    Q_OBJECT
public:
    explicit WaitWindow(QWidget* parent = nullptr);

    void setProgress(int done, int total);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_done = 0;
    int m_total = 0;
};

} // namespace tonarion
