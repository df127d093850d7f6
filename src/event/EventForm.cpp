#include "event/EventForm.h"

#include <utility>

namespace tonarion {
namespace {

std::size_t at(AddressBox box) {
    return static_cast<std::size_t>(box);
}

// The position of a value list among the controls (the contacts have a handler of their own).
template <typename Controls>
auto& positionIn(Controls& controls, ValueList list) {
    switch (list) {
    case ValueList::Combo1:
        return controls.combo1;
    case ValueList::Combo2:
        return controls.combo2;
    case ValueList::Combo4:
        return controls.combo4;
    case ValueList::Combo3:
    case ValueList::Combo5:
        break;
    }
    return controls.combo5;
}

// A list's entry at position, as the dialog's list shows it; nothing chosen reads empty.
std::string entryText(ValueList list, int position) {
    return position < 0 ? std::string() : listEntries(list)[static_cast<std::size_t>(position)];
}

} // namespace

EventForm::EventForm(std::string rowName, bool prefilled)
    : m_rowName(std::move(rowName))
    , m_prefilled(prefilled) {}

void EventForm::setLayoutfrmAktion() {
    if (m_prefilled) {
        m_strAlterName = m_rowName;
        if (const auto prefill = prefillFromEntryName(m_rowName)) {
            applyPrefill(*prefill);
        }
    }
    m_controls.okEnabled = false;
}

void EventForm::kindChosen(int kind) {
    resetControls();
    m_controls.kind = kind;
    m_recorded.selEreignis = kind;
    m_strAlterName = m_rowName;
    m_controls.okEnabled = true;
}

void EventForm::statusChosen(int index) {
    const StatusOptions* group =
        m_controls.kind ? statusOptions(static_cast<EventKind>(*m_controls.kind)) : nullptr;
    if (group == nullptr) {
        return; // only the kinds with a status show a status group
    }
    m_controls.status = index;
    m_recorded.selStatus = (*group)[static_cast<std::size_t>(index)].codeText;
    m_controls.okEnabled = true;
}

void EventForm::modeChosen(int index) {
    m_controls.mode = index;
    m_recorded.selModus = Option2[static_cast<std::size_t>(index)].codeText;
    m_controls.okEnabled = true;
}

// The stop option takes the interrupt option's place; "ohne Stopereignis" only forgets it.
void EventForm::stopChosen(bool stop) {
    m_controls.stop = stop ? 1 : 0;
    if (stop) {
        m_recorded.selModus = Option3[1].codeText;
        m_controls.okEnabled = true;
    } else {
        m_recorded.selModus.reset();
    }
}

void EventForm::addressChosen(int index) {
    m_controls.address = index;
    m_recorded.selAdresse = ChosenOption{index, optADR[static_cast<std::size_t>(index)].codeText};
    m_controls.okEnabled = true;
}

void EventForm::listChosen(ValueList list, int chosen) {
    positionIn(m_controls, list) = chosen;
    if (chosen >= 0) {
        m_recorded.selWert = list;
        m_controls.okEnabled = true;
    }
}

void EventForm::contactChosen(int list, int chosen) {
    m_controls.combo3[static_cast<std::size_t>(list)] = chosen;
    if (m_controls.combo3[0] >= 0) {
        m_recorded.selKontakte = true;
        m_controls.okEnabled = true;
    }
}

// The receiver and the loco box each record themselves; editing either von/bis box records
// both, so that the untouched one counts with the "-" it shows.
void EventForm::textChanged(AddressBox box, std::string text) {
    m_controls.boxes[at(box)] = std::move(text);
    switch (box) {
    case AddressBox::Receiver:
        m_recorded.selAdr1 = AddressBox::Receiver;
        break;
    case AddressBox::Loco:
        m_recorded.selAdr2 = AddressBox::Loco;
        break;
    case AddressBox::From:
    case AddressBox::To:
        m_recorded.selAdr1 = AddressBox::From;
        m_recorded.selAdr2 = AddressBox::To;
        break;
    }
    m_controls.okEnabled = true;
}

EventSelection EventForm::selection() const {
    EventSelection selection;
    selection.selEreignis = m_recorded.selEreignis;
    selection.selStatus = m_recorded.selStatus;
    selection.selModus = m_recorded.selModus;
    selection.selAdresse = m_recorded.selAdresse;
    if (m_recorded.selWert && positionIn(m_controls, *m_recorded.selWert) >= 0) {
        const int chosen = positionIn(m_controls, *m_recorded.selWert);
        selection.selWert = ChosenListEntry{chosen, entryText(*m_recorded.selWert, chosen)};
    }
    if (m_recorded.selKontakte) {
        selection.selKontaktVon = entryText(ValueList::Combo3, m_controls.combo3[0]);
        selection.selKontaktBis = entryText(ValueList::Combo3, m_controls.combo3[1]);
    }
    if (m_recorded.selAdr1) {
        selection.selAdr1 = m_controls.text(*m_recorded.selAdr1);
    }
    if (m_recorded.selAdr2) {
        selection.selAdr2 = m_controls.text(*m_recorded.selAdr2);
    }
    return selection;
}

// In the dialog's order: a box that changes back to "-" runs its handler and is recorded
// again; the click that chose the kind usually runs the reset twice, forgetting that.
void EventForm::resetControls() {
    AuswahlZuruecksetzen();
    setStop(0);
    m_controls.mode.reset();
    for (int i = 0; i < 2; ++i) {
        setContact(i, -1);
        setText(i == 0 ? AddressBox::Receiver : AddressBox::Loco, "-");
        setText(i == 0 ? AddressBox::From : AddressBox::To, "-");
    }
    m_controls.status.reset();
    for (const ValueList list :
         {ValueList::Combo1, ValueList::Combo2, ValueList::Combo4, ValueList::Combo5}) {
        setList(list, -1);
    }
}

void EventForm::applyPrefill(const EventPrefill& prefill) {
    const int kind = prefill.kindIndex;
    setKind(kind);
    const auto chooseMode = [this, &prefill] {
        if (prefill.modeOption) {
            setMode(*prefill.modeOption);
        }
    };
    // A turnout's mode is chosen only together with its priority.
    if (kind != static_cast<int>(EventKind::Magnetartikel)) {
        chooseMode();
    }
    if (prefill.statusOption && statusOptions(static_cast<EventKind>(kind))) {
        setStatus(*prefill.statusOption);
    }
    if (prefill.priorityStep) {
        chooseMode();
        if (prefill.priorityPosition) {
            setList(ValueList::Combo2, *prefill.priorityPosition);
        }
    }
    const auto choose = [this](ValueList list, const std::optional<int>& chosen) {
        if (chosen) {
            setList(list, *chosen);
        }
    };
    choose(ValueList::Combo4, prefill.playPosition);
    choose(ValueList::Combo1, prefill.timePosition);
    if (prefill.firstContact) {
        setContact(0, *prefill.firstContact);
    }
    if (prefill.lastContact) {
        setContact(1, *prefill.lastContact);
    }
    const auto write = [this](AddressBox box, const std::optional<std::string>& text) {
        if (text) {
            setText(box, *text);
        }
    };
    write(AddressBox::Receiver, prefill.receiverText);
    if (prefill.addressOption) {
        setAddress(*prefill.addressOption);
    }
    write(AddressBox::Loco, prefill.locoText);
    write(AddressBox::From, prefill.fromText);
    write(AddressBox::To, prefill.toText);
}

void EventForm::setKind(int kind) {
    if (m_controls.kind != kind) {
        kindChosen(kind);
    }
}

void EventForm::setStatus(int index) {
    if (m_controls.status != index) {
        statusChosen(index);
    }
}

void EventForm::setMode(int index) {
    if (m_controls.mode != index) {
        modeChosen(index);
    }
}

void EventForm::setStop(int index) {
    if (m_controls.stop != index) {
        stopChosen(index == 1);
    }
}

void EventForm::setAddress(int index) {
    if (m_controls.address != index) {
        addressChosen(index);
    }
}

void EventForm::setList(ValueList list, int chosen) {
    if (positionIn(m_controls, list) != chosen) {
        listChosen(list, chosen);
    }
}

void EventForm::setContact(int list, int chosen) {
    if (m_controls.combo3[static_cast<std::size_t>(list)] != chosen) {
        contactChosen(list, chosen);
    }
}

void EventForm::setText(AddressBox box, const std::string& text) {
    if (m_controls.boxes[at(box)] != text) {
        textChanged(box, text);
    }
}

} // namespace tonarion
