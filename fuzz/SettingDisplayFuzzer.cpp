// The settings dialog shows the values of setting names read from a stick. A shown value lies
// in its control's range, and the name the control would write for it shows the same value.

#include "FuzzCheck.h"
#include "settings/SettingEntry.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace tonarion;

namespace {

// The name the settings dialog writes when its control shows value.
std::optional<std::string> nameShowing(Setting setting, int value) {
    switch (setting) {
    case Setting::Volume:
        return volumeName(value);
    case Setting::StartTime:
        return startTimeName(value);
    case Setting::ClockSync:
        return clockSyncName(value == 1);
    case Setting::ModelTime:
    case Setting::Stretch:
    case Setting::EndlessAddress:
        break;
    }
    const FieldValue field = fieldValueName(setting, std::to_string(value));
    return field.refusal.empty() ? std::optional(field.name) : std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const auto setting = static_cast<Setting>(data[0] % SettingCount + 1);
    const std::string name(reinterpret_cast<const char*>(data) + 1, size - 1);
    const auto value = displayValue(setting, name);
    if (!value) {
        return 0;
    }
    // The number fields of settings 2 and 4 take five digits; the other controls end at 2048.
    const bool numberField = setting == Setting::ModelTime || setting == Setting::Stretch;
    fuzz::require(*value >= 0 && *value <= (numberField ? 99999 : 2048),
                  "a shown value lies in a control's range");
    if (const auto written = nameShowing(setting, *value)) {
        fuzz::require(displayValue(setting, *written) == value, "what is shown is what is written");
    }
    return 0;
}
