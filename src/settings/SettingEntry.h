#pragma once

#include "model/QuarterHours.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tonarion {

// The six module settings are stored as names of empty files, "SET_-0001-00021.mp3":
// setting number and value field in the name.
inline constexpr int SettingCount = 6;

enum class Setting {
    Volume = 1,     // Lautstärke, 1 to 31
    ModelTime,      // seconds per 15 minutes of model time
    StartTime,      // quarter-hour index 0 to 95 of the model clock's start
    Stretch,        // stretch factor of the random time
    ClockSync,      // clock synchronisation on LocoNet, 0 or 1
    EndlessAddress, // accessory address that switches endless play, 0 for none
};

inline int settingNumber(Setting setting) {
    return static_cast<int>(setting);
}

// Fills a number text with leading zeros: "0000" before a text of at most one character,
// "000" before a longer one (so 180 gives the six characters 000180).
std::string laenge(std::string_view text);

// "SET_-" + four-digit setting number + "-" + value field + ".mp3".
std::string settingName(Setting setting, std::string_view valueField);

// The setting a name belongs to, by its ninth character alone (SET_-0016-... counts as 6).
std::optional<Setting> settingOfName(std::string_view name);

// Names for the values of the settings dialog's controls.
std::string volumeName(int sliderValue);
std::string startTimeName(int index);
std::string clockSyncName(bool on);

// The caption of a setting's control, which a refusal names.
const char* settingCaption(Setting setting);

// The three text fields: settings 2 and 4 take a number of one to five digits, setting 6 an
// accessory address of up to four digits (0 for none). A field takes digits only, and no
// more of them than this.
std::size_t fieldLength(Setting setting);

// Setting 6's refusal of an address above the accessory range opens with these words.
inline constexpr const char* AddressTooLargeMessage =
    "Maximal Wert überschritten. Geben Sie eine Adresse zwischen 1 und 2048 ein!";

// A text field's value as its setting's rule takes it: the setting's new name, or the message
// that refuses the text, naming the field and saying why. Nothing is ever cut or padded into
// another value than the one typed.
struct FieldValue {
    std::string name;
    std::string refusal;
};
FieldValue fieldValueName(Setting setting, std::string_view text);

// The value a control shows for a stored name, or nothing when the name's value field does
// not hold a value the control can show.
std::optional<int> displayValue(Setting setting, std::string_view name);

// Defaults: the values of a freshly created index file, and the values filled in when an
// existing index file lacks a setting's line (volume 31 there, the others the same).
std::string freshDefaultName(Setting setting);
std::string missingLineDefaultName(Setting setting);

} // namespace tonarion
