#include "gui/SoundPlayback.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace tonarion {

// What one playing shares with its thread; it lives as long as either needs it.
struct SoundPlayback::Playing {
    std::atomic<bool> stop = false;
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    // Who hears about the end; null once the sound was stopped or the playback is gone.
    SoundPlayback* owner = nullptr;
};

SoundPlayback::SoundPlayback(std::shared_ptr<SoundPlayer> player, UserInterface& ui,
                             QObject* parent)
    : QObject(parent)
    , m_player(std::move(player))
    , m_ui(ui) {}

SoundPlayback::~SoundPlayback() {
    stop();
}

void SoundPlayback::stop(std::chrono::milliseconds grace) {
    if (!m_playing) {
        return;
    }
    const std::shared_ptr<Playing> playing = std::move(m_playing);
    playing->stop = true;
    {
        std::unique_lock lock(playing->mutex);
        playing->owner = nullptr;
        playing->ended.wait_for(lock, grace, [&playing] { return playing->done; });
    }
    emit playingChanged(false);
}

void SoundPlayback::toggle(const std::string& path) {
    const bool same = isPlaying() && path == m_path;
    stop();
    if (same || path.empty()) {
        return;
    }
    m_path = path;
    m_playing = std::make_shared<Playing>();
    m_playing->owner = this;
    std::thread([player = m_player, playing = m_playing, path] {
        const std::string error = player->play(path, playing->stop);
        const std::lock_guard lock(playing->mutex);
        playing->done = true;
        playing->ended.notify_all();
        // Under the lock: the owner cannot go away between the test and the posting, and
        // Qt drops what is posted to an object that goes away after.
        if (SoundPlayback* owner = playing->owner) {
            QMetaObject::invokeMethod(
                owner, [owner, playing, error] { owner->finished(playing, error); },
                Qt::QueuedConnection);
        }
    }).detach();
    emit playingChanged(true);
}

void SoundPlayback::finished(const std::shared_ptr<Playing>& playing, const std::string& error) {
    if (playing != m_playing) {
        return; // stopped meanwhile: its end is no news
    }
    m_playing.reset();
    emit playingChanged(false);
    if (!error.empty()) {
        showInformation(m_ui, error);
    }
}

} // namespace tonarion
