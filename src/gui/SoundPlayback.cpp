#include "gui/SoundPlayback.h"

namespace tonarion {

SoundPlayback::SoundPlayback(SoundPlayer& player, UserInterface& ui, QObject* parent)
    : QObject(parent)
    , m_player(player)
    , m_ui(ui) {}

SoundPlayback::~SoundPlayback() {
    stop();
}

void SoundPlayback::stop() {
    if (m_stop) {
        *m_stop = true;
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
    m_stop.reset();
    ++m_generation; // what the stopped thread reports comes too late to count
    if (m_playing) {
        m_playing = false;
        emit playingChanged(false);
    }
}

void SoundPlayback::toggle(const std::string& path) {
    const bool same = m_playing && path == m_path;
    stop();
    if (same || path.empty()) {
        return;
    }
    m_path = path;
    m_playing = true;
    m_stop = std::make_shared<std::atomic<bool>>(false);
    m_thread = std::thread([this, stopFlag = m_stop, generation = m_generation, path] {
        const std::string error = m_player.play(path, *stopFlag);
        QMetaObject::invokeMethod(
            this, [this, generation, error] { finished(generation, error); }, Qt::QueuedConnection);
    });
    emit playingChanged(true);
}

void SoundPlayback::finished(int generation, const std::string& error) {
    if (generation != m_generation) {
        return;
    }
    m_thread.join();
    m_stop.reset();
    m_playing = false;
    emit playingChanged(false);
    if (!error.empty()) {
        showInformation(m_ui, error);
    }
}

} // namespace tonarion
