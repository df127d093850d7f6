#include "model/QuarterHours.h"

namespace tonarion {

std::string quarterHourText(int index) {
    const int minutes = index * 15;
    const auto twoDigits = [](int value) {
        return (value < 10 ? "0" : "") + std::to_string(value);
    };
    return twoDigits(minutes / 60) + ":" + twoDigits(minutes % 60);
}

} // namespace tonarion
