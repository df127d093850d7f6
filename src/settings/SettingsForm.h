#pragma once

#include "model/UserInterface.h"
#include "settings/SettingEntry.h"
#include "settings/SettingsTable.h"

#include <array>
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
    // The text fields. A text the field's rule refuses leaves the setting's name as it was
    // and is remembered as refused until the field holds a value again.
    void modelTimeChanged(std::string_view text);
    void startTimeChosen(int index);
    void stretchChanged(std::string_view text);
    void clockSyncChosen(bool on);
    void endlessAddressChanged(std::string_view text);

    // Why the first field in the dialog's order that holds a refused text cannot be saved.
    std::optional<std::string> refusal() const;

    enum class CloseOutcome {
        Unchanged, // nothing differs from the stick: no question
        Save,      // "Ja": the caller marks the change and commits
        Discarded, // "Nein": the settings are as they were before the dialog
        Refused,   // "Ja" with a field the rules refuse: the form stays, refusal() says why
    };
    // A refused field counts as a change: what it shows differs from what the stick holds.
    CloseOutcome closeRequest();

private:
    SettingsTable& current() { return m_settings.CurrentSettings; }
    void fieldChanged(Setting setting, std::string_view text);

    ModuleSettings& m_settings;
    UserInterface& m_ui;
    // Per setting, index 1 to 6: the refusal of what its field shows, empty when it is taken.
    std::array<std::string, SettingCount + 1> m_refused;
};

} // namespace tonarion
