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

} // namespace tonarion::testing
