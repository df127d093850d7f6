#include "event/EventPrefill.h"

#include "model/EntryName.h"

#include <algorithm>
#include <cctype>

namespace tonarion {
namespace {

char upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

// The list position of a number counted from 1, when the list has that entry.
std::optional<int> positionOf(long long number, int entries) {
    if (number < 1 || number > entries) {
        return std::nullopt;
    }
    return static_cast<int>(number - 1);
}

std::optional<int> indexIn(char letter, std::string_view letters) {
    const auto at = letters.find(upper(letter));
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    return static_cast<int>(at);
}

} // namespace

std::optional<EventPrefill> prefillFromEntryName(std::string_view entryName) {
    const EntryNameParts parts = parseEntryName(entryName);
    const auto kind = indexIn(parts.kind, "MRLKZUE");
    if (!kind) {
        return std::nullopt;
    }
    EventPrefill prefill;
    prefill.kindIndex = *kind;
    // Option2 lists "ohne" (O) first, then "mit" (M).
    prefill.modeOption = indexIn(parts.mode, "OM");
    // The addressed kinds and contacts fill in their priority, but only for a name whose
    // mode is one the dialog offers (not the stop mode).
    prefill.priorityStep = prefill.kindIndex <= 3 && prefill.modeOption.has_value();
    const long long number1 = leadingNumber(parts.number1);
    const long long number2 = leadingNumber(parts.number2);

    switch (prefill.kindIndex) {
    case 0: // M: the status group rot, grün, beliebig
        prefill.statusOption = indexIn(parts.status, "RGX");
        prefill.fromText = std::to_string(number1);
        prefill.toText = std::to_string(number2);
        break;
    case 1: // R: belegt, frei, beliebig
        prefill.statusOption = indexIn(parts.status, "BFX");
        prefill.fromText = std::to_string(number1);
        prefill.toText = std::to_string(number2);
        break;
    case 2: { // L: the direction, the receiver and which locomotives
        prefill.statusOption = indexIn(parts.status, "X12");
        prefill.receiverText = std::to_string(number1);
        const std::string categories[] = {"20000", "20001", "20002", "20003", "20004"};
        const auto category =
            std::find(std::begin(categories), std::end(categories), parts.number2);
        if (category != std::end(categories)) {
            prefill.addressOption = static_cast<int>(category - std::begin(categories));
        } else {
            prefill.addressOption = 5; // "Lok:"
            prefill.locoText = std::to_string(number2);
        }
        break;
    }
    case 3: // K: öffnen, schließen, ändern, and the contacts
        prefill.statusOption = indexIn(parts.status, "OSA");
        prefill.firstContact = positionOf(number1, 10);
        prefill.lastContact = positionOf(number2, 10);
        break;
    case 5:
        prefill.timePosition = positionOf(number1, 96);
        break;
    case 6:
        prefill.playPosition = positionOf(number1, 127);
        break;
    default:
        break;
    }
    if (prefill.priorityStep) {
        prefill.priorityPosition = positionOf(leadingNumber(std::string_view(&parts.prio, 1)), 4);
    }
    return prefill;
}

} // namespace tonarion
