#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tonarion {

// The addresses a user types, each kind with the range the sound module can be reached at.
// The event dialog, the settings dialog and tonarion-cli check against these alone, so that
// no front end accepts an address another one refuses.
enum class AddressKind {
    // Turnouts and signals: the accessory addresses of the digital system, 1 to 2048.
    Accessory,
    // Feedback sections report on LocoNet, whose report addresses run from 1 to 4096.
    Feedback,
    // A ZIDAS receiver reports on LocoNet like a feedback section.
    Receiver,
    // One locomotive: four digits, so that it stays clear of 20000 to 20004, which stand for
    // all locomotives and the train categories in the same place of the name.
    Loco,
};

struct AddressRange {
    int lowest;
    int highest;
};

AddressRange addressRange(AddressKind kind);

// An address box's text read as an address of its kind: the number, or why it is none,
// said to the user ("„12x“ ist keine Zahl. Magnetartikeladressen reichen von 1 bis 2048.").
// Blanks around the digits and leading zeros do not count.
struct TypedAddress {
    std::optional<int> value;
    std::string fault;
};
TypedAddress readAddress(AddressKind kind, std::string_view text);

// Why a range "von from bis to" is refused when it runs backwards.
std::string reversedRangeFault(int from, int to);

} // namespace tonarion
