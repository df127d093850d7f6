#pragma once

#include "sound/SoundPlayer.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tonarion::testing {

// A sound that plays until it is stopped (at most ten seconds), or fails at once with error.
// Records what was played and whether each playing ended by a stop.
//
// An output that hangs once stopped (some sound outputs never come back from their stop)
// is had with hangOnStop(): every stopped playing then stays inside play() until
// releaseHungPlayings().
class FakeSoundPlayer final : public SoundPlayer {
public:
    std::string play(const std::string& path, const std::atomic<bool>& stop) override {
        {
            std::lock_guard lock(m_mutex);
            m_played.push_back(path);
        }
        if (!error.empty()) {
            return error;
        }
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!stop && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        std::unique_lock lock(m_mutex);
        if (stop && m_hangOnStop) {
            ++m_hung;
            m_released.wait(lock, [this] { return !m_hangOnStop; });
            --m_hung;
        }
        m_stopped.push_back(stop);
        return {};
    }

    void hangOnStop() {
        std::lock_guard lock(m_mutex);
        m_hangOnStop = true;
    }
    void releaseHungPlayings() {
        {
            std::lock_guard lock(m_mutex);
            m_hangOnStop = false;
        }
        m_released.notify_all();
    }
    int hungPlayings() {
        std::lock_guard lock(m_mutex);
        return m_hung;
    }

    std::vector<std::string> played() {
        std::lock_guard lock(m_mutex);
        return m_played;
    }
    std::vector<bool> stopped() {
        std::lock_guard lock(m_mutex);
        return m_stopped;
    }

    std::string error;

private:
    std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_hangOnStop = false;
    int m_hung = 0;
    std::vector<std::string> m_played;
    std::vector<bool> m_stopped;
};

} // namespace tonarion::testing
