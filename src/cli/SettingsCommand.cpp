#include "cli/CliCommand.h"
#include "model/QuarterHours.h"
#include "settings/SettingEntry.h"

namespace tonarion {
namespace {

// The module settings a command line asks for, every value checked before anything is
// changed: one name per setting given, as the settings dialog would compute it.
struct RequestedSettings {
    std::optional<int> volume;
    std::optional<std::string> modelTime; // the digits as typed
    std::optional<int> startTime;         // quarter-hour index
    std::optional<std::string> stretch;
    std::optional<bool> clockSync;
    std::optional<std::string> endlessAddress;

    bool any() const {
        return volume || modelTime || startTime || stretch || clockSync || endlessAddress;
    }
};

class Settings final : public StickCommand {
public:
    Settings(CLI::App& program, CliEnvironment& environment)
        : StickCommand(program, environment,
                       {"settings", "settings STICK [options]",
                        "print the module settings, or check every value, then save", "",
                        "Options of settings (every value is checked before anything is saved):"}) {
        option("--volume", "1-31", "Lautstärke");
        option("--model-time", "DIGITS",
               "Modellzeit für 15 Minuten in seconds, one to five digits");
        option("--start-time", "HH:MM", "Startzeit, a quarter hour");
        option("--stretch", "DIGITS", "Dehnungsfaktor der Zufallszeit, one to five digits");
        option("--clock-sync", "0|1", "Uhrensync. auf LocoNet off or on");
        option("--endless-address", "0-2048",
               "the Magnetartikel address that switches endless play");
    }

    int run() override {
        const RequestedSettings wanted = requested();
        return wanted.any() ? save(wanted) : print();
    }

private:
    RequestedSettings requested() const;
    int print();
    int save(const RequestedSettings& wanted);
};

RequestedSettings Settings::requested() const {
    for (const auto& name : givenOptions()) {
        if (value(name) && value(name)->empty()) {
            throw UsageError(name + " needs a value, not an empty text");
        }
    }
    RequestedSettings wanted;
    if (const auto volume = value("--volume")) {
        wanted.volume = wholeNumber(*volume, 1, 31, "--volume");
    }
    // The text fields take what the dialog's fields take, refused with the dialog's words.
    const auto field = [this](const std::string& name, Setting setting) {
        const auto text = value(name);
        if (text) {
            if (auto refusal = fieldValueName(setting, *text).refusal; !refusal.empty()) {
                throw RefusedValue(refusal);
            }
        }
        return text;
    };
    wanted.modelTime = field("--model-time", Setting::ModelTime);
    wanted.stretch = field("--stretch", Setting::Stretch);
    wanted.endlessAddress = field("--endless-address", Setting::EndlessAddress);
    if (const auto time = value("--start-time")) {
        wanted.startTime = quarterHourIndex(*time);
        if (!wanted.startTime) {
            throw UsageError("--start-time must be a quarter hour from 00:00 to 23:45");
        }
    }
    if (const auto sync = value("--clock-sync")) {
        wanted.clockSync = wholeNumber(*sync, 0, 1, "--clock-sync") == 1;
    }
    return wanted;
}

int Settings::print() {
    if (!loadForReading()) {
        return Refused;
    }
    SettingsForm form = m_workspace->openSettings();
    const SettingsDisplay shown = form.setFormLayout();
    const auto value = [](const std::optional<int>& number) {
        return number ? std::to_string(*number) : std::string("-");
    };
    m_env.out << settingCaption(Setting::Volume) << ": " << value(shown.volume) << '\n'
              << settingCaption(Setting::ModelTime) << ": " << value(shown.modelTime)
              << " Sekunden\n"
              << settingCaption(Setting::StartTime) << ": "
              << (shown.startTime ? quarterHourText(*shown.startTime) : "-") << '\n'
              << settingCaption(Setting::Stretch) << ": " << value(shown.stretch) << '\n'
              << settingCaption(Setting::ClockSync) << ": "
              << (shown.clockSync ? (*shown.clockSync ? "Ein" : "Aus") : "-") << '\n'
              << settingCaption(Setting::EndlessAddress) << ": " << value(shown.endlessAddress)
              << '\n';
    return Success;
}

int Settings::save(const RequestedSettings& wanted) {
    if (!loadStick(m_env.files)) {
        return Refused;
    }
    SettingsForm form = m_workspace->openSettings();
    form.setFormLayout();
    // Each value given goes into its control as the dialog would take it, in the dialog's order.
    const auto enter = [&form](const auto& value, auto control) {
        if (value) {
            (form.*control)(*value);
        }
    };
    enter(wanted.volume, &SettingsForm::volumeChanged);
    enter(wanted.modelTime, &SettingsForm::modelTimeChanged);
    enter(wanted.startTime, &SettingsForm::startTimeChosen);
    enter(wanted.stretch, &SettingsForm::stretchChanged);
    enter(wanted.clockSync, &SettingsForm::clockSyncChosen);
    enter(wanted.endlessAddress, &SettingsForm::endlessAddressChanged);
    // Asking for new values is the answer to the dialog's save question.
    m_ui.setQuestionAnswer(MessageAnswer::Yes);
    tellOutcome(m_ui, m_workspace->closeSettings(form));
    return closeAndCommit();
}

} // namespace

std::unique_ptr<CliCommand> declareSettings(CLI::App& program, CliEnvironment& environment) {
    return std::make_unique<Settings>(program, environment);
}

} // namespace tonarion
