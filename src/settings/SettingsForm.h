#pragma once

#include "model/UserInterface.h"
#include "settings/SettingsTable.h"

#include <optional>
#include <string>
#include <string_view>

namespace tonarion {

inline constexpr const char* SaveSettingsQuestion =
    "Sie haben Änderungen vorgenommen.\r\nWollen Sie diese speichern?";

// What the settings dialog's controls show; nothing where a stored name holds no value the
// control can show.
struct SettingsDisplay {
    std::optional<int> volume;
    std::optional<int> modelTime;
    std::optional<int> startTime;
    std::optional<int> stretch;
    std::optional<int> clockSync;
    std::optional<int> endlessAddress;
};

// The rules of the module settings dialog, without the dialog: the Qt dialog and the command
// line map their controls onto these calls. Each control change recomputes the setting's
// current name; closing asks whether to save when anything differs from the stick. Whoever
// opened the form marks the stick's content changed when the user chose to save.
class SettingsForm {
public:
    SettingsForm(ModuleSettings& settings, UserInterface& ui);

    // Fills a setting that the index file lacks with its default, then applies each shown
    // value as if the user had put it into its control.
    SettingsDisplay setFormLayout();

    void volumeChanged(int value);
    void modelTimeChanged(std::string_view text);
    void startTimeChosen(int index);
    void stretchChanged(std::string_view text);
    void clockSyncChosen(bool on);
    // The endless-play address. A refused address is reported; the field then shows "-",
    // which comes back here.
    std::optional<std::string> endlessAddressChanged(std::string_view text);

    enum class CloseOutcome {
        Unchanged, // nothing differs from the stick: no question
        Save,      // "Ja": the caller marks the change and commits
        Discarded, // "Nein": the settings are as they were before the dialog
    };
    CloseOutcome closeRequest();

private:
    SettingsTable& current() { return m_settings.CurrentSettings; }

    ModuleSettings& m_settings;
    UserInterface& m_ui;
};

} // namespace tonarion
