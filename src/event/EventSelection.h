#pragma once

#include <optional>
#include <string>

namespace tonarion {

struct ChosenOption {
    int index = 0;
    std::string codeText;
};

struct ChosenListEntry {
    int position = 0; // 0-based position in its list
    std::string text;
};

// What the user has chosen in the event dialog, as the controls read at the moment OK is
// pressed. An empty field means nothing was chosen there.
struct EventSelection {
    std::optional<int> selEreignis;           // kind option index 0 to 6 (M R L K Z U E)
    std::optional<std::string> selStatus;     // status or direction option's code text
    std::optional<std::string> selModus;      // interrupt or stop option's code text
    std::optional<ChosenOption> selAdresse;   // receiver-address option (kind L)
    std::optional<ChosenListEntry> selWert;   // the value list chosen last
    std::optional<std::string> selKontaktVon; // entry text of the first contact list
    std::optional<std::string> selKontaktBis; // entry text of the last one, "" for none
    std::optional<std::string> selAdr1;       // current text of the first address box
    std::optional<std::string> selAdr2;       // current text of the second address box
};

} // namespace tonarion
