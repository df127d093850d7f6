#include "sound/LoudnessMeter.h"

#include <algorithm>
#include <cmath>
#include <ebur128.h>
#include <limits>

namespace tonarion {

struct LoudnessMeter::State {
    explicit State(ebur128_state* made)
        : meter(made) {}
    ~State() { ebur128_destroy(&meter); }
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    ebur128_state* meter;
};

LoudnessMeter::LoudnessMeter(int channels, long sampleRate, Measures measures)
    : m_channels(channels)
    , m_sampleRate(sampleRate) {
    if (channels > 0 && sampleRate > 0) {
        const int mode = measures == Measures::LoudnessOnly
                             ? EBUR128_MODE_I
                             : EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK;
        if (ebur128_state* made = ebur128_init(static_cast<unsigned>(channels),
                                               static_cast<unsigned long>(sampleRate), mode)) {
            m_state = std::make_unique<State>(made);
        }
    }
}

LoudnessMeter::~LoudnessMeter() = default;

void LoudnessMeter::add(const float* samples, std::size_t frames) {
    if (m_state) {
        ebur128_add_frames_float(m_state->meter, samples, frames);
    }
}

void LoudnessMeter::add(const std::int16_t* samples, std::size_t frames) {
    if (m_state) {
        ebur128_add_frames_short(m_state->meter, samples, frames);
    }
}

double LoudnessMeter::truePeak() const {
    double highest = 0;
    for (int channel = 0; m_state && channel < m_channels; ++channel) {
        double peak = 0;
        if (ebur128_true_peak(m_state->meter, static_cast<unsigned>(channel), &peak) ==
            EBUR128_SUCCESS) {
            highest = std::max(highest, peak);
        }
    }
    return highest > 0 ? 20 * std::log10(highest) : -std::numeric_limits<double>::infinity();
}

std::optional<double> LoudnessMeter::lufs() const {
    double lufs = 0;
    if (!m_state || ebur128_loudness_global(m_state->meter, &lufs) != EBUR128_SUCCESS ||
        !std::isfinite(lufs)) {
        return std::nullopt;
    }
    return lufs;
}

std::optional<Loudness> LoudnessMeter::result() const {
    const std::optional<double> integrated = lufs();
    if (!integrated) {
        return std::nullopt;
    }
    return Loudness{*integrated, truePeak()};
}

} // namespace tonarion
