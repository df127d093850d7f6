#pragma once

#include <array>
#include <string>
#include <vector>

namespace tonarion {

// The choices the event dialog offers, with their captions and the code texts from which an
// EntryName is built. The dialog shows the captions; the composition reads the code texts.

enum class EventKind { Magnetartikel, Rueckmeldung, Zidas, Kontakt, Zufall, Uhrzeit, Endlos };
inline constexpr int EventKindCount = 7;

struct KindOption {
    const char* caption;
    char letter; // the EventKind letter; not derived from the code text (see ZIDAS)
    const char* codeText;
};

inline constexpr std::array<KindOption, EventKindCount> KindOptions = {{
    {"Magnetartikel", 'M', "Magnetartikel"},
    {"Rückmeldung", 'R', "Rückmeldung"},
    {"ZIDAS Empfänger", 'L', "ZIDAS Empfänger"},
    {"Kontakt ", 'K', "Kontakt"},
    {"Zufällige Wiedergabe", 'Z', "Zufällige Wiedergabe"},
    {"Zeitgesteuerte Wiedergabe", 'U', "UZUhrzeit"},
    {"Endlose Wiedergabeschleife", 'E', "Endlose Wiedergabe"},
}};

inline const KindOption& kindOption(EventKind kind) {
    return KindOptions[static_cast<std::size_t>(kind)];
}

// The frame of numbers a kind's page shows.
enum class AddressFrame { None, FromTo, Receiver, Contacts };

// What the dialog's page of a kind offers to choose: the dialog shows exactly these frames,
// and tonarion-cli refuses an option for anything else.
struct KindChoices {
    bool status;   // the kind's status or direction group
    bool priority; // Combo2
    bool mode;     // Option2: may the sound be interrupted
    bool time;     // Combo1
    bool position; // Combo4
    AddressFrame numbers;
};

inline constexpr std::array<KindChoices, EventKindCount> KindPages = {{
    {true, true, true, false, false, AddressFrame::FromTo},   // M
    {true, true, true, false, false, AddressFrame::FromTo},   // R
    {true, true, true, false, false, AddressFrame::Receiver}, // L
    {true, true, true, false, false, AddressFrame::Contacts}, // K
    {false, false, true, false, false, AddressFrame::None},   // Z
    {false, false, true, true, false, AddressFrame::None},    // U
    {false, false, false, false, true, AddressFrame::None},   // E
}};

inline const KindChoices& kindChoices(EventKind kind) {
    return KindPages[static_cast<std::size_t>(kind)];
}

struct CodedOption {
    const char* caption;
    const char* codeText;
};

using StatusOptions = std::array<CodedOption, 3>;

inline constexpr StatusOptions optMA = {{
    {"rot", "ROT"},
    {"grün", "GRÜN"},
    {"beliebig", "xBELIEBIG"},
}};
inline constexpr StatusOptions optRUE = {{
    {"belegt", "BELEGT"},
    {"frei", "FREI"},
    {"beliebig", "xBELIEBIG"},
}};
inline constexpr StatusOptions optZID = {{
    {"Aktion ist Fahrtrichtungsunabhängig", "XUNABHÄNGIG"},
    {"ausführen bei Fahrt von S1 nach S2", "1S1 nach S2"},
    {"ausführen bei Fahrt von S2 nach S1", "2S2 nach S1"},
}};
inline constexpr StatusOptions optKON = {{
    {"öffnen", "OÖFFNEN"},
    {"schließen", "SSCHLIESSEN"},
    {"ändern", "AÄNDERN"},
}};

// The status group of a kind, or nothing for Z, U and E, which have a fixed status.
const StatusOptions* statusOptions(EventKind kind);

// Option2: may a playing sound be interrupted.
inline constexpr std::array<CodedOption, 2> Option2 = {{
    {"ohne Erlaubnis zur Unterbrechung spielen", "OHNE ERLAUBNISS"},
    {"mit Erlaubnis zur Unterbrechung spielen", "MIT ERLAUBNISS"},
}};

// Option3: the stop option, which the dialog keeps hidden.
inline constexpr std::array<CodedOption, 2> Option3 = {{
    {"ohne Stopereignis", ""},
    {"mit Stopereignis", "STOP OPTION"},
}};

// optADR: which locomotives a ZIDAS receiver entry reacts to.
inline constexpr int LocoAddressOption = 5;
inline constexpr std::array<CodedOption, 6> optADR = {{
    {"Alle Lokomotiven", "20000"},
    {"Zugkategorie 1", "20001"},
    {"Zugkategorie 2", "20002"},
    {"Zugkategorie 3", "20003"},
    {"Zugkategorie 4", "20004"},
    {"Lok:", "9999"},
}};

// The drop-down lists of the dialog and their entries.
enum class ValueList {
    Combo1, // time of day, the 96 quarter hours
    Combo2, // play priority 1 to 4
    Combo3, // contacts 1 to 10 (two lists)
    Combo4, // play position 1 to 127
    Combo5, // fade-out time 0 to 9
};
std::vector<std::string> listEntries(ValueList list);

// The code letter of an option: the first character of its code text in upper case.
char codeLetter(const std::string& codeText);

} // namespace tonarion
