#pragma once

#include <QDialog>

#include <optional>

class QRadioButton;

namespace tonarion {

// "Lautstärke angleichen": which sounds are brought to one loudness, and to which. The module
// has one volume for all sounds, so a loud whistle beside a quiet announcement can only be
// balanced in the sounds themselves. A form: the main window hands the choice to the stick.
class LevelDialog final : public QDialog {
    Q_OBJECT
public:
    // The target offered besides the stick's own middle: quiet enough to leave room below
    // the peak limit for most recordings, loud enough for the module's small speaker.
    static constexpr double FixedTargetLufs = -18;

    enum class Rows { Selected, All };
    struct Choice {
        Rows rows;
        double targetLufs;
    };

    // selected: how many sounds are selected in the table; all: how many the table holds;
    // medianLufs: the middle loudness of the stick's sounds, nothing while none is known.
    LevelDialog(int selected, int all, std::optional<double> medianLufs, QWidget* parent = nullptr);

    Choice choice() const;

private:
    std::optional<double> m_medianLufs;
    QRadioButton* m_selectedRows = nullptr;
    QRadioButton* m_median = nullptr;
};

} // namespace tonarion
