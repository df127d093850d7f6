#pragma once

#include "sound/SoundPlayer.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace tonarion::testing {

// A sound that plays until it is stopped (at most ten seconds), or fails at once with error.
// Records what was played and whether each playing ended by a stop.
//
// With hangOnStop set, it is an output that never comes back from its stop (some do): every
// stopped playing stays inside play() until hangOnStop is cleared with setHangOnStop(false).
class FakeSoundPlayer final : public SoundPlayer {
public:
    std::string play(const std::string& path, const std::atomic<bool>& stop) override {
        std::unique_lock lock(m_mutex);
        m_played.push_back(path);
        if (!error.empty()) {
            return error;
        }
        for (int waited = 0; !stop && waited < 5000; ++waited) {
            m_changed.wait_for(lock, std::chrono::milliseconds(2));
        }
        const bool hangs = stop && m_hangOnStop;
        m_hung += hangs ? 1 : 0;
        m_changed.wait(lock, [this, hangs] { return !hangs || !m_hangOnStop; });
        m_hung -= hangs ? 1 : 0;
        m_stopped.push_back(stop);
        return {};
    }

    void setHangOnStop(bool hang) {
        const std::lock_guard lock(m_mutex);
        m_hangOnStop = hang;
        m_changed.notify_all();
    }
    int hungPlayings() { return locked(m_hung); }
    std::vector<std::string> played() { return locked(m_played); }
    std::vector<bool> stopped() { return locked(m_stopped); }

    std::string error;

private:
    template <typename T>
    T locked(const T& value) {
        const std::lock_guard lock(m_mutex);
        return value;
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_hangOnStop = false;
    int m_hung = 0;
    std::vector<std::string> m_played;
    std::vector<bool> m_stopped;
};

} // namespace tonarion::testing
