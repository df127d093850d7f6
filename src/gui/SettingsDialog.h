#pragma once

#include "settings/SettingsForm.h"
#include "workspace/StickWorkspace.h"

#include <QDialog>

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSlider;

namespace tonarion {

// frmEinstellungen: the six module settings in their controls. Every change recomputes the
// setting's name through the settings form; closing, by either button or the window frame,
// asks whether to save when anything differs from the stick.
class SettingsDialog final : public QDialog {
    Q_OBJECT
public:
    SettingsDialog(StickWorkspace& workspace, UserInterface& ui, QWidget* parent = nullptr);
    ~SettingsDialog() override;

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void connectRules();
    void setFormLayout();
    void showVolume(int value);

    StickWorkspace& m_workspace;
    UserInterface& m_ui; // tells why the settings cannot be saved
    SettingsForm m_form;
    QSlider* m_slider1 = nullptr;
    QLabel* m_label1 = nullptr;
    QLineEdit* m_text2 = nullptr;
    QComboBox* m_combo1 = nullptr;
    QLineEdit* m_text1 = nullptr;
    std::array<QRadioButton*, 2> m_option1{};
    QLineEdit* m_text3 = nullptr;
    bool m_laidOut = false;
    bool m_closed = false;
};

} // namespace tonarion
