#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tonarion {

// What the event dialog chooses when it opens for a row that already has an entry: the
// choices its EntryName encodes. Letters count in either case; numbers by their leading
// decimal value. A number outside its list (a time slot above 96, a play position above
// 127, a priority above 4, a contact above 10, or 0) leaves that list without a choice.
struct EventPrefill {
    int kindIndex = 0;                         // Option1: 0 to 6 for M R L K Z U E
    std::optional<int> modeOption{};           // Option2: 0 without, 1 with permission to interrupt
    bool priorityStep = false;                 // M R L K with mode O or M: priority is filled in
    std::optional<int> statusOption{};         // index in the kind's status group
    std::optional<int> priorityPosition{};     // Combo2
    std::optional<int> timePosition{};         // Combo1
    std::optional<int> playPosition{};         // Combo4
    std::optional<int> firstContact{};         // Combo3(0)
    std::optional<int> lastContact{};          // Combo3(1)
    std::optional<std::string> receiverText{}; // Text1(0)
    std::optional<int> addressOption{};        // optADR
    std::optional<std::string> locoText{};     // Text1(1)
    std::optional<std::string> fromText{};     // Text2(0)
    std::optional<std::string> toText{};       // Text2(1)

    bool operator==(const EventPrefill&) const = default;
};

// The pre-fill of a row's EntryName, or nothing for a kind letter the dialog does not know.
std::optional<EventPrefill> prefillFromEntryName(std::string_view entryName);

} // namespace tonarion
