#include "settings/SettingsTable.h"

namespace tonarion {

bool ParameterGeaendert(const ModuleSettings& settings) {
    return settings.CurrentSettings != settings.StoredSettings;
}

} // namespace tonarion
