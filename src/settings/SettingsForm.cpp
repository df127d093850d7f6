#include "settings/SettingsForm.h"

#include "settings/SettingEntry.h"

namespace tonarion {

SettingsForm::SettingsForm(ModuleSettings& settings, UserInterface& ui)
    : m_settings(settings)
    , m_ui(ui) {}

SettingsDisplay SettingsForm::setFormLayout() {
    ModuleSettings& settings = m_settings;
    for (const Setting setting : AllSettings) {
        if (settings.StoredSettings[setting].empty()) {
            settings.CurrentSettings[setting] = missingLineDefaultName(setting);
        }
    }
    const auto shown = [&settings](Setting setting) {
        const std::string& stored = settings.StoredSettings[setting];
        return displayValue(setting, stored.empty() ? settings.CurrentSettings[setting] : stored);
    };
    SettingsDisplay display{shown(Setting::Volume),    shown(Setting::ModelTime),
                            shown(Setting::StartTime), shown(Setting::Stretch),
                            shown(Setting::ClockSync), shown(Setting::EndlessAddress)};
    if (display.volume) {
        volumeChanged(*display.volume);
    }
    if (display.modelTime) {
        modelTimeChanged(std::to_string(*display.modelTime));
    }
    if (display.startTime) {
        startTimeChosen(*display.startTime);
    }
    if (display.stretch) {
        stretchChanged(std::to_string(*display.stretch));
    }
    if (display.clockSync) {
        clockSyncChosen(*display.clockSync == 1);
    }
    if (display.endlessAddress) {
        endlessAddressChanged(std::to_string(*display.endlessAddress));
    }
    return display;
}

void SettingsForm::volumeChanged(int value) {
    current()[Setting::Volume] = volumeName(value);
}

void SettingsForm::modelTimeChanged(std::string_view text) {
    if (auto name = numberFieldName(Setting::ModelTime, text)) {
        current()[Setting::ModelTime] = std::move(*name);
    }
}

void SettingsForm::startTimeChosen(int index) {
    current()[Setting::StartTime] = startTimeName(index);
}

void SettingsForm::stretchChanged(std::string_view text) {
    if (auto name = numberFieldName(Setting::Stretch, text)) {
        current()[Setting::Stretch] = std::move(*name);
    }
}

void SettingsForm::clockSyncChosen(bool on) {
    current()[Setting::ClockSync] = clockSyncName(on);
}

std::optional<std::string> SettingsForm::endlessAddressChanged(std::string_view text) {
    const EndlessAddressRule rule = endlessAddressName(text);
    switch (rule.outcome) {
    case EndlessAddressRule::Outcome::Accepted:
        current()[Setting::EndlessAddress] = rule.name;
        break;
    case EndlessAddressRule::Outcome::Unchanged:
        break;
    case EndlessAddressRule::Outcome::Refused:
        showCritical(m_ui, AddressTooLargeMessage);
        return "-";
    }
    return std::nullopt;
}

SettingsForm::CloseOutcome SettingsForm::closeRequest() {
    if (!ParameterGeaendert(m_settings)) {
        return CloseOutcome::Unchanged;
    }
    if (askYesNo(m_ui, SaveSettingsQuestion)) {
        return CloseOutcome::Save;
    }
    m_settings.CurrentSettings = m_settings.StoredSettings;
    return CloseOutcome::Discarded;
}

} // namespace tonarion
