#pragma once

#include <string>

namespace tonarion {

// The quarter hours of a day, "00:00" at index 0 to "23:45" at index 95: the time slots of
// the model clock in the event dialog and the start times in the settings dialog.
inline constexpr int QuarterHourCount = 96;

std::string quarterHourText(int index);

} // namespace tonarion
