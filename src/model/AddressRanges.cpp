#include "model/AddressRanges.h"

#include "model/Trimmed.h"

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
    if (digits.empty() ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return {std::nullopt, "„" + std::string(text) + "“ ist keine Zahl. " + rangeText + "."};
    }
    long long value = 0;
    for (const char digit : digits) {
        value = std::min(value * 10 + (digit - '0'), 1'000'000LL);
    }
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
