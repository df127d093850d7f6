#include "model/CodeTables.h"

#include <array>
#include <utility>

namespace tonarion {
namespace {

using CodeText = std::pair<char, const char*>;

constexpr std::array<CodeText, 7> EventTexts = {{
    {'M', "Magnetartikel"},
    {'R', "Rückmeldung"},
    {'L', "ZIDAS-Empfänger"},
    {'K', "Kontakt"},
    {'Z', "Zufällige Wiedergabe"},
    {'U', "Uhrzeit"},
    {'E', "Endlose Wiedergabe"},
}};

constexpr std::array<CodeText, 10> StatusTexts = {{
    {'G', "GRÜN"},
    {'R', "ROT"},
    {'X', "BELIEBIG"},
    {'B', "BELEGT"},
    {'F', "FREI"},
    {'1', "S1 NACH S2"},
    {'2', "S2 NACH S1"},
    {'O', "ÖFFNEN"},
    {'S', "SCHLIESSEN"},
    {'A', "ÄNDERUNG"},
}};

constexpr std::array<CodeText, 3> ModeTexts = {{
    {'M', "MIT ERLAUBNIS"},
    {'O', "OHNE ERLAUBNIS"},
    {'S', "STOP OPTION"},
}};

template <std::size_t N>
std::string lookup(const std::array<CodeText, N>& table, std::string_view letter,
                   const char* otherwise) {
    if (letter.size() == 1) {
        for (const auto& [code, text] : table) {
            if (code == letter.front()) {
                return text;
            }
        }
    }
    return otherwise;
}

} // namespace

std::string EreignisText(std::string_view letter) {
    return lookup(EventTexts, letter, "");
}

std::string StatusText(std::string_view letter) {
    return lookup(StatusTexts, letter, "_");
}

std::string ModusText(std::string_view letter) {
    return lookup(ModeTexts, letter, "_");
}

} // namespace tonarion
