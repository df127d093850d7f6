#pragma once

#include "event/EventOptions.h"
#include "event/EventSelection.h"

#include <cstddef>
#include <string>

namespace tonarion::testing {

// The event dialog's choices for a turnout sound ("Magnetartikel") with the status at
// statusIndex, "mit Erlaubnis zur Unterbrechung", priority 2 and a single address.
inline EventSelection turnoutSelection(int statusIndex, const std::string& address) {
    EventSelection sel;
    sel.selEreignis = static_cast<int>(EventKind::Magnetartikel);
    sel.selStatus = optMA[static_cast<std::size_t>(statusIndex)].codeText;
    sel.selModus = Option2[1].codeText;
    sel.selWert = ChosenListEntry{1, "2"};
    sel.selAdr1 = address;
    sel.selAdr2 = "-";
    return sel;
}

// A random sound ("Zufällige Wiedergabe"), or one of the model clock at a quarter hour
// (0 is 00:00), that may (mode 1) or may not (mode 0) be interrupted.
inline EventSelection randomSelection(int mode) {
    EventSelection sel;
    sel.selEreignis = static_cast<int>(EventKind::Zufall);
    sel.selModus = Option2[static_cast<std::size_t>(mode)].codeText;
    return sel;
}
inline EventSelection clockSelection(int mode, int quarterHour) {
    EventSelection sel = randomSelection(mode);
    sel.selEreignis = static_cast<int>(EventKind::Uhrzeit);
    sel.selWert = ChosenListEntry{quarterHour, ""};
    return sel;
}

} // namespace tonarion::testing
