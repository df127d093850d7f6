#include "settings/SettingEntry.h"

#include "model/AddressRanges.h"
#include "model/WholeNumber.h"

#include <algorithm>
#include <array>

namespace tonarion {
namespace {

std::optional<int> parseDigits(std::string_view text) {
    return isDigits(text) ? wholeNumber(text) : std::nullopt;
}

struct DisplayRule {
    std::size_t digits; // last characters of the name's first 15
    int lowest;
    int highest;
};

DisplayRule displayRule(Setting setting) {
    switch (setting) {
    case Setting::Volume:
        return {2, 1, 31};
    case Setting::ModelTime:
    case Setting::Stretch:
        // The whole value field: these fields take up to five digits, and showing fewer
        // would rewrite 01200 as 00200 at the next save.
        return {5, 0, 99999};
    case Setting::StartTime:
        return {3, 0, QuarterHourCount - 1};
    case Setting::ClockSync:
        return {1, 0, 1};
    case Setting::EndlessAddress:
        break;
    }
    return {5, 0, addressRange(AddressKind::Accessory).highest};
}

constexpr std::array<const char*, SettingCount> FreshDefaults = {
    "SET_-0001-00021.mp3", "SET_-0002-00180.mp3", "SET_-0003-00028.mp3",
    "SET_-0004-00002.mp3", "SET_-0005-00000.mp3", "SET_-0006-00000.mp3",
};

} // namespace

std::string laenge(std::string_view text) {
    return (text.size() > 1 ? "000" : "0000") + std::string(text);
}

std::string settingName(Setting setting, std::string_view valueField) {
    return "SET_-000" + std::to_string(settingNumber(setting)) + "-" + std::string(valueField) +
           ".mp3";
}

std::optional<Setting> settingOfName(std::string_view name) {
    if (!name.starts_with("SET_") || name.size() < 9) {
        return std::nullopt;
    }
    const char digit = name[8];
    if (digit < '1' || digit > '6') {
        return std::nullopt;
    }
    return static_cast<Setting>(digit - '0');
}

std::string volumeName(int sliderValue) {
    return settingName(Setting::Volume, laenge(std::to_string(sliderValue)));
}

std::string startTimeName(int index) {
    return settingName(Setting::StartTime, laenge(std::to_string(index)));
}

std::string clockSyncName(bool on) {
    return settingName(Setting::ClockSync, laenge(on ? "1" : "0"));
}

const char* settingCaption(Setting setting) {
    switch (setting) {
    case Setting::Volume:
        return "Lautstärke";
    case Setting::ModelTime:
        return "Modellzeit für 15 Minuten";
    case Setting::StartTime:
        return "Startzeit";
    case Setting::Stretch:
        return "Dehnungsfaktor der Zufallszeit";
    case Setting::ClockSync:
        return "Uhrensync. auf LocoNet";
    case Setting::EndlessAddress:
        break;
    }
    return "Endlosschleife über folgende Magnetartikeladresse ein- und ausschalten";
}

std::size_t fieldLength(Setting setting) {
    return setting == Setting::EndlessAddress ? 4 : 5;
}

FieldValue fieldValueName(Setting setting, std::string_view text) {
    const std::string field = "„" + std::string(settingCaption(setting)) + "“";
    const bool address = setting == Setting::EndlessAddress;
    const AddressRange accessory = addressRange(AddressKind::Accessory);
    const std::string wanted =
        address ? "Geben Sie eine Adresse von " + std::to_string(accessory.lowest) + " bis " +
                      std::to_string(accessory.highest) + " ein, oder 0 für keine."
                : std::string("Geben Sie eine Zahl von 0 bis 99999 ein.");
    if (text.empty()) {
        return {{}, "Für " + field + " ist kein Wert eingegeben.\r\n" + wanted};
    }
    if (!isDigits(text) || text.size() > fieldLength(setting)) {
        const std::string fault =
            isDigits(text) ? "hat mehr als " + std::to_string(fieldLength(setting)) + " Ziffern"
                           : std::string("ist keine Zahl");
        return {{},
                "Der Wert „" + std::string(text) + "“ für " + field + " " + fault + ".\r\n" +
                    wanted};
    }
    if (!address) {
        const std::string value = laenge(text);
        return {settingName(setting, std::string_view(value).substr(value.size() - 5)), {}};
    }
    // 0 switches the loop by no address; anything else is a turnout's address.
    if (text.find_first_not_of('0') != std::string_view::npos) {
        const TypedAddress typed = readAddress(AddressKind::Accessory, text);
        if (!typed.value) {
            return {{},
                    std::string(AddressTooLargeMessage) + "\r\n\r\n" + field + ": " + typed.fault +
                        " 0 steht für keine Adresse."};
        }
    }
    return {settingName(setting, std::string(5 - text.size(), '0') + std::string(text)), {}};
}

std::optional<int> displayValue(Setting setting, std::string_view name) {
    const DisplayRule rule = displayRule(setting);
    if (name.size() < 15) {
        return std::nullopt;
    }
    const auto value = parseDigits(name.substr(15 - rule.digits, rule.digits));
    if (!value || *value < rule.lowest || *value > rule.highest) {
        return std::nullopt;
    }
    return value;
}

std::string freshDefaultName(Setting setting) {
    return FreshDefaults[static_cast<std::size_t>(settingNumber(setting) - 1)];
}

std::string missingLineDefaultName(Setting setting) {
    return setting == Setting::Volume ? volumeName(31) : freshDefaultName(setting);
}

} // namespace tonarion
