#pragma once

#include <string>
#include <string_view>

namespace tonarion {

// The EntryName: the 19-character file name under which the sound module finds a sound,
// "MGM2-0012-00000.mp3": kind, status, mode and priority characters, a four-digit and a
// five-digit number, ".mp3".
inline constexpr std::size_t EntryNameLength = 19;

// Zero-padding of the two numbers. pad4 gives "0000" for a text of any length other than
// 1 to 4; pad5 pads a text of 1 to 5 characters and leaves any other text as it is.
std::string pad4(std::string_view text);
std::string pad5(std::string_view text);

struct EntryNameParts {
    char kind = ' ';
    char status = ' ';
    char mode = ' ';
    char prio = ' ';
    std::string number1; // four characters
    std::string number2; // five characters

    bool operator==(const EntryNameParts&) const = default;
};

std::string composeEntryName(const EntryNameParts& parts);

// Cuts a name apart at the fixed positions without checking separators or extension.
// Positions beyond the end of a short name give blanks and shorter numbers.
EntryNameParts parseEntryName(std::string_view name);

// A name that begins with "SET_" is a module setting, never a sound entry.
bool isSettingName(std::string_view name);

// Whether a file name has the shape of an EntryName: 19 characters, a kind letter,
// separators at positions 5 and 10, ".mp3" in either case. Tells sound files on a stick from
// other files.
bool looksLikeEntryName(std::string_view name);

// The kind letter of an EntryName, or 0 for an empty name.
char kindOf(std::string_view entryName);

// The decimal number a name's number field starts with, 0 when it starts with none; capped at
// a million, far above every address, so that no typed field overflows.
long long leadingNumber(std::string_view digits);

} // namespace tonarion
