#pragma once

#include <string>

namespace tonarion {

// Integrated loudness (EBU R128, LUFS) and true peak (dBTP) of a whole sound.
struct Loudness {
    double lufs = 0;
    double truePeak = 0;
};

// The highest true peak a sound for the module may reach. The player's decoder works in whole
// numbers and clips what the encoder put above full scale; a decibel of headroom also leaves
// room for the overshoot that encoding a sound adds to its peaks.
inline constexpr double PeakCeiling = -1.0;

// "−17 LUFS": rounded to a whole LU, with the typographic minus U+2212.
std::string loudnessText(const Loudness& loudness);

// The gain in dB that brings `measured` to `targetLufs`, lowered so that the true peak stays at
// or below PeakCeiling.
double levellingGain(const Loudness& measured, double targetLufs);

} // namespace tonarion
