#pragma once

#include "event/EintragZusammensetzen.h"
#include "event/EventForm.h"
#include "event/EventSelection.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>
#include <string>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace tonarion {

// frmAktion: the user binds a row's sound to one trigger event. The dialog shows the frames
// of the chosen kind and hands each action on a control to the EventForm, which records the
// choices; on OK the form's choices go to the composition. It checks nothing itself.
class EventDialog final : public QDialog {
    Q_OBJECT
public:
    // Composes the entry from the choices: the entry, or nothing after the user was told why.
    using Compose = std::function<std::optional<NeuerEintrag>(const EventSelection&)>;

    // rowName and rowEvent are the Filename and Ereigniss cells of the row the dialog edits.
    EventDialog(std::string rowName, std::string rowEvent, Compose compose,
                QWidget* parent = nullptr);
    ~EventDialog() override;

    // Names the row's sound file in the caption.
    void setRowFile(const std::string& sourcePath);
    // Adds "Anhören" beside "Abbrechen", so that the user hears the sound being bound.
    void setListen(std::function<void()> listen);

    // The composed entry after a successful OK; nothing after "Abbrechen".
    const std::optional<NeuerEintrag>& neuerEintrag() const { return m_neuerEintrag; }
    // The row's name before the edit.
    const std::string& strAlterName() const { return m_form.strAlterName(); }

    // The choices as the composition reads them now.
    EventSelection selection() const { return m_form.selection(); }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Slot { A, B, C, D };

    void createKindFrame();
    void createStatusFrames();
    void createValueFrames();
    void createAddressFrames();
    void createModeFrames();
    void connectHandlers();

    // Runs a handler of the form for the user's action on a control, then shows the form.
    void handle(const std::function<void()>& handler);
    // Gives every control what the form holds, and lays out the frames of a new kind.
    void showForm();
    void layOutKind(EventKind kind);
    void place(QGroupBox* frame, Slot slot);
    void listChosen(QComboBox* list);
    void contactChosen(int list);
    void pressOk();

    EventForm m_form;
    Compose m_compose;
    std::optional<NeuerEintrag> m_neuerEintrag;

    QGroupBox* m_frame1 = nullptr;
    QButtonGroup* m_option1 = nullptr;
    std::array<QGroupBox*, 6> m_frame3{};
    std::array<QGroupBox*, 3> m_frame2{};
    QGroupBox* m_frame4 = nullptr;
    QGroupBox* m_frame5 = nullptr;
    QGroupBox* m_frame6 = nullptr;
    QGroupBox* m_frame7 = nullptr;
    QButtonGroup* m_optMA = nullptr;
    QButtonGroup* m_optRUE = nullptr;
    QButtonGroup* m_optZID = nullptr;
    QButtonGroup* m_optKON = nullptr;
    QButtonGroup* m_option2 = nullptr;
    QButtonGroup* m_option3 = nullptr;
    QButtonGroup* m_optADR = nullptr;
    QComboBox* m_combo1 = nullptr;
    QComboBox* m_combo2 = nullptr;
    std::array<QComboBox*, 2> m_combo3{};
    QComboBox* m_combo4 = nullptr;
    QComboBox* m_combo5 = nullptr;
    std::array<QLineEdit*, 2> m_text1{};
    std::array<QLineEdit*, 2> m_text2{};
    QPushButton* m_okButton = nullptr;

    bool m_prefilled = false;
    // While the controls take the form's values, their signals are not the user's.
    bool m_showing = false;
    std::optional<int> m_laidOutKind;
};

} // namespace tonarion
