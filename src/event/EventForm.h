#pragma once

#include "event/EventOptions.h"
#include "event/EventPrefill.h"
#include "event/EventSelection.h"

#include <array>
#include <optional>
#include <string>

namespace tonarion {

// The address boxes of the event dialog.
enum class AddressBox {
    Receiver, // Text1(0): the ZIDAS receiver
    Loco,     // Text1(1): the locomotive beside "Lok:"
    From,     // Text2(0): von
    To,       // Text2(1): bis
};

// What each control of the event dialog holds: the chosen option of a group, the position of
// a list (-1: no choice) and the text of a box.
struct EventControls {
    std::optional<int> kind;    // Option1
    std::optional<int> status;  // the chosen kind's status group (optMA, optRUE, optZID, optKON)
    std::optional<int> mode;    // Option2
    std::optional<int> stop;    // Option3
    std::optional<int> address; // optADR
    int combo1 = -1;            // time of day
    int combo2 = -1;            // priority
    std::array<int, 2> combo3{-1, -1};                    // first and last contact
    int combo4 = -1;                                      // play position
    int combo5 = -1;                                      // fade-out time
    std::array<std::string, 4> boxes{"-", "-", "-", "-"}; // by AddressBox
    bool okEnabled = false;

    const std::string& text(AddressBox box) const { return boxes[static_cast<std::size_t>(box)]; }
};

// The rules of the event dialog, without the dialog: which choices each kind offers, how
// each choice is recorded in the EventSelection, and the pre-fill from a row's name. The Qt
// dialog and tonarion-cli map their controls and options onto the handlers below and hand
// selection() to the composition, which checks the choices in their fixed order.
//
// A handler is what runs when the user acts on a control: it records the control, even when
// its value did not change. When the form changes a control itself (the reset of a kind, the
// pre-fill) the control's handler runs only if the value actually changes, as a window's
// control reports only changes.
class EventForm {
public:
    EventForm() = default;
    // rowName is the Filename cell of the row being edited; prefilled says whether the form
    // opens with the choices that name encodes.
    EventForm(std::string rowName, bool prefilled);

    // Each time the dialog is shown: the pre-fill, after which OK waits for the user.
    void setLayoutfrmAktion();

    // Choosing a kind resets every other choice first, whatever was chosen before.
    void kindChosen(int kind);
    void statusChosen(int index);
    void modeChosen(int index);
    void stopChosen(bool stop);
    void addressChosen(int index);
    // A value list (Combo1, Combo2, Combo4, Combo5) chosen or left with position; a list
    // without a choice records nothing.
    void listChosen(ValueList list, int position);
    // Contact list 0 (first) or 1 (last): the contacts count once the first one is chosen.
    void contactChosen(int list, int position);
    void textChanged(AddressBox box, std::string text);

    const EventControls& controls() const { return m_controls; }
    // The row's name before the edit, once a kind was chosen or pre-filled.
    const std::string& strAlterName() const { return m_strAlterName; }
    // The choices as the composition reads them: each recorded control as it holds now.
    EventSelection selection() const;

private:
    // EventSelection: which control holds each choice. An option's code text never changes,
    // so it stands for the option; lists and boxes are named, their value read at OK.
    struct Recorded {
        std::optional<int> selEreignis;
        std::optional<std::string> selStatus;
        std::optional<std::string> selModus;
        std::optional<ChosenOption> selAdresse;
        std::optional<ValueList> selWert;
        bool selKontakte = false;
        std::optional<AddressBox> selAdr1;
        std::optional<AddressBox> selAdr2;
    };

    void AuswahlZuruecksetzen() { m_recorded = Recorded{}; }
    void resetControls();
    void applyPrefill(const EventPrefill& prefill);

    // The form's own changes to a control.
    void setKind(int kind);
    void setStatus(int index);
    void setMode(int index);
    void setStop(int index);
    void setAddress(int index);
    void setList(ValueList list, int position);
    void setContact(int list, int position);
    void setText(AddressBox box, const std::string& text);

    std::string m_rowName;
    bool m_prefilled = false;
    std::string m_strAlterName;
    EventControls m_controls;
    Recorded m_recorded;
};

} // namespace tonarion
