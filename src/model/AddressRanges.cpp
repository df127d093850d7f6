#include "model/AddressRanges.h"

#include "model/EntryName.h"
#include "model/Trimmed.h"
#include "model/WholeNumber.h"

#include <algorithm>

namespace tonarion {
namespace {

// The plural the messages name the kind by.
const char* kindWords(AddressKind kind) {
    switch (kind) {
    case AddressKind::Accessory:
        return "Magnetartikeladressen";
    case AddressKind::Feedback:
        return "Rückmeldeadressen";
    case AddressKind::Receiver:
        return "Empfängeradressen";
    case AddressKind::Loco:
        break;
    }
    return "Lokadressen";
}

} // namespace

AddressRange addressRange(AddressKind kind) {
    switch (kind) {
    case AddressKind::Accessory:
        return {1, 2048};
    case AddressKind::Feedback:
    case AddressKind::Receiver:
        return {1, 4096};
    case AddressKind::Loco:
        break;
    }
    return {1, 9999};
}

TypedAddress readAddress(AddressKind kind, std::string_view text) {
    const AddressRange range = addressRange(kind);
    const std::string rangeText = std::string(kindWords(kind)) + " reichen von " +
                                  std::to_string(range.lowest) + " bis " +
                                  std::to_string(range.highest);
    const std::string digits = trimmed(text);
    if (!isDigits(digits)) {
        return {std::nullopt, "„" + std::string(text) + "“ ist keine Zahl. " + rangeText + "."};
    }
    // Capped, so that a long run of digits is told as out of range, not as overflowed.
    const long long value = leadingNumber(digits);
    if (value < range.lowest || value > range.highest) {
        return {std::nullopt, rangeText + ", " + std::string(digits) + " liegt außerhalb."};
    }
    return {static_cast<int>(value), {}};
}

std::string reversedRangeFault(int from, int to) {
    return "Die 2. Adresse (bis " + std::to_string(to) + ") ist kleiner als die 1. Adresse (von " +
           std::to_string(from) + "); ein Bereich reicht von der kleineren zur größeren Adresse.";
}

} // namespace tonarion
