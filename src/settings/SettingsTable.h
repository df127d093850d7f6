#pragma once

#include "settings/SettingEntry.h"

#include <array>
#include <string>

namespace tonarion {

// Six setting names, one per setting; an empty name means the index file has no line for it.
class SettingsTable {
public:
    const std::string& operator[](Setting setting) const { return m_names[slot(setting)]; }
    std::string& operator[](Setting setting) { return m_names[slot(setting)]; }

    bool operator==(const SettingsTable&) const = default;

private:
    static std::size_t slot(Setting setting) {
        return static_cast<std::size_t>(settingNumber(setting) - 1);
    }

    std::array<std::string, SettingCount> m_names;
};

inline constexpr std::array<Setting, SettingCount> AllSettings = {
    Setting::Volume,  Setting::ModelTime, Setting::StartTime,
    Setting::Stretch, Setting::ClockSync, Setting::EndlessAddress,
};

// The settings as the stick holds them and as they stand now.
struct ModuleSettings {
    SettingsTable StoredSettings;
    SettingsTable CurrentSettings;
};

// True when any current name differs from the stored one (exact, case-sensitive texts).
bool ParameterGeaendert(const ModuleSettings& settings);

} // namespace tonarion
