#pragma once

#include "sound/Loudness.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace tonarion {

// Integrated loudness and true peak of interleaved samples fed to it in pieces (libebur128),
// so that a sound is measured during a decode done for another reason.
class LoudnessMeter {
public:
    enum class Measures { LoudnessAndPeak, LoudnessOnly };
    LoudnessMeter(int channels, long sampleRate, Measures measures = Measures::LoudnessAndPeak);
    ~LoudnessMeter();
    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    int channels() const { return m_channels; }
    long sampleRate() const { return m_sampleRate; }

    void add(const float* samples, std::size_t frames);
    void add(const std::int16_t* samples, std::size_t frames);

    // The highest true peak of all channels in dBTP; minus infinity for silence.
    double truePeak() const;
    // The integrated loudness in LUFS; nothing for silence (or what the gate of EBU R128 leaves
    // nothing of), or when the meter could not be set up for these channels and rate.
    std::optional<double> lufs() const;
    // Nothing for silence (or what the gate of EBU R128 leaves nothing of), or when the meter
    // could not be set up for these channels and rate.
    std::optional<Loudness> result() const;

private:
    struct State; // libebur128's, which its header declares without a name of its own
    int m_channels;
    long m_sampleRate;
    std::unique_ptr<State> m_state;
};

} // namespace tonarion
