#include "settings/SettingsForm.h"

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
    fieldChanged(Setting::ModelTime, text);
}

void SettingsForm::startTimeChosen(int index) {
    current()[Setting::StartTime] = startTimeName(index);
}

void SettingsForm::stretchChanged(std::string_view text) {
    fieldChanged(Setting::Stretch, text);
}

void SettingsForm::clockSyncChosen(bool on) {
    current()[Setting::ClockSync] = clockSyncName(on);
}

void SettingsForm::endlessAddressChanged(std::string_view text) {
    fieldChanged(Setting::EndlessAddress, text);
}

void SettingsForm::fieldChanged(Setting setting, std::string_view text) {
    FieldValue value = fieldValueName(setting, text);
    auto& refused = m_refused[static_cast<std::size_t>(settingNumber(setting))];
    refused = std::move(value.refusal);
    if (refused.empty()) {
        current()[setting] = std::move(value.name);
    }
}

std::optional<std::string> SettingsForm::refusal() const {
    for (const std::string& refused : m_refused) {
        if (!refused.empty()) {
            return refused;
        }
    }
    return std::nullopt;
}

SettingsForm::CloseOutcome SettingsForm::closeRequest() {
    if (!refusal() && !ParameterGeaendert(m_settings)) {
        return CloseOutcome::Unchanged;
    }
    // "Nein" is the default: Enter must not store what the user meant to leave.
    const Message question{SaveSettingsQuestion, MessageIcon::Question, MessageButtons::YesNo,
                           ProgramTitle, MessageAnswer::No};
    if (m_ui.showMessage(question) != MessageAnswer::Yes) {
        m_settings.CurrentSettings = m_settings.StoredSettings;
        m_refused = {};
        return CloseOutcome::Discarded;
    }
    return refusal() ? CloseOutcome::Refused : CloseOutcome::Save;
}

} // namespace tonarion
