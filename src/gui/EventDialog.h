#pragma once

#include "event/EintragZusammensetzen.h"
#include "event/EventOptions.h"
#include "event/EventPrefill.h"
#include "event/EventSelection.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>
#include <string>

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tonarion {

// frmAktion: the user binds a row's sound to one trigger event. The dialog shows the frames
// of the chosen kind, records which control holds each choice, and on OK hands the choices,
// as the controls read at that moment, to the composition. It checks nothing itself.
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
    const std::string& strAlterName() const { return m_strAlterName; }

    // The choices as the composition reads them now.
    EventSelection selection() const;

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

    // Choosing an event kind: every choice is reset, then the kind's frames are laid out.
    void kindChosen(int kind);
    void AuswahlZuruecksetzen();
    void resetControls();
    void layOutKind(int kind);
    void place(QGroupBox* frame, Slot slot);
    void setLayoutfrmAktion();
    void applyPrefill(const EventPrefill& prefill);
    void listChosen(QComboBox* list);
    void contactChosen();
    void pressOk();
    void enableOk() const;

    const std::string m_rowName;
    const std::string m_rowEvent;
    Compose m_compose;
    std::string m_strAlterName;
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

    // EventSelection: which control holds each choice.
    struct NamedControls {
        QAbstractButton* selEreignis = nullptr;
        QAbstractButton* selStatus = nullptr;
        QAbstractButton* selModus = nullptr;
        QAbstractButton* selAdresse = nullptr;
        QComboBox* selWert = nullptr;
        QComboBox* selKontaktVon = nullptr;
        QComboBox* selKontaktBis = nullptr;
        QLineEdit* selAdr1 = nullptr;
        QLineEdit* selAdr2 = nullptr;
    };
    NamedControls m_sel;
    bool m_prefilled = false;
};

} // namespace tonarion
