#include "sound/Loudness.h"

#include <algorithm>
#include <cmath>

namespace tonarion {

std::string loudnessText(const Loudness& loudness) {
    const long whole = std::lround(loudness.lufs);
    // U+2212 MINUS SIGN, as a printed figure shows it; "0 LUFS" has no sign.
    return (whole < 0 ? "\u2212" + std::to_string(-whole) : std::to_string(whole)) + " LUFS";
}

double levellingGain(const Loudness& measured, double targetLufs) {
    return std::min(targetLufs - measured.lufs, PeakCeiling - measured.truePeak);
}

} // namespace tonarion
