#pragma once

#include "event/EventSelection.h"
#include "model/KindCounters.h"
#include "model/SoundEntry.h"
#include "model/SoundTable.h"
#include "model/UserInterface.h"

#include <optional>
#include <string>

namespace tonarion {

inline constexpr const char* StatusMissingMessage = "Bitte aktivieren Sie den Status!";
inline constexpr const char* ModeMissingMessage =
    "Bitte aktivieren Sie die Unterbrechungserlaubniss!";
inline constexpr const char* TimeMissingMessage = "Bitte aktivieren Sie die Zeitangabe!";
inline constexpr const char* PositionMissingMessage =
    "Bitte aktivieren Sie die Wiedergabeposition!";
inline constexpr const char* PriorityMissingMessage = "Bitte aktivieren Sie die Abspielpriorität!";
inline constexpr const char* ContactMissingMessage =
    "Bitte aktivieren Sie den dementsprechenden Kontakt!";
inline constexpr const char* FirstAddressMessage = "Bitte geben Sie die 1. Adresse ein!";
inline constexpr const char* SecondAddressMessage = "Bitte geben Sie die 2. Adresse ein!";
inline constexpr const char* CategoryMissingMessage =
    "Bitte aktivieren Sie die dementsprechende Kategorie!";
inline constexpr const char* LocoAddressMessage = "Bitte geben Sie die Lokdresse ein!";
inline constexpr const char* DuplicateEventMessage =
    "Dieses Ereignis ist bereits einer anderen Sounddatei zugeordnet!";

// A composed entry: its code characters, numbers and the texts of the grid's columns.
struct NeuerEintrag {
    char chrEreignis = ' ';
    char chrStatus = ' ';
    char chrModus = ' ';
    char chrPrio = ' ';
    std::string strAdr1; // four characters
    std::string strAdr2; // five characters
    std::string txtEreignis;
    std::string txtStatus;
    std::string txtModus;
    std::string txtPrio;

    std::string entryName() const;

    // The row as it reads once the entry is bound to it; the row's source path stays.
    SoundEntry boundTo(const SoundEntry& row) const;
};

// Checks the user's choices for the row editRow in their fixed order and composes the entry.
// On success the kind counters have moved from the row's old kind to the new one. On failure
// exactly one message was shown and nothing changed.
std::optional<NeuerEintrag> EintragZusammensetzen(const EventSelection& selection, int editRow,
                                                  const SoundTable& table, KindCounters& counters,
                                                  UserInterface& ui);

} // namespace tonarion
