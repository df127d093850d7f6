#pragma once

#include "model/UserInterface.h"
#include "sound/SoundPlayer.h"

#include <QObject>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace tonarion {

// "Anhören": one sound at a time, played on a thread of its own so that the window stays
// responsive; a failure (no audio device) becomes one information message.
class SoundPlayback final : public QObject {
    Q_OBJECT
public:
    SoundPlayback(SoundPlayer& player, UserInterface& ui, QObject* parent = nullptr);
    ~SoundPlayback() override;

    // Plays the file; asked again for the file that is playing, it stops instead.
    void toggle(const std::string& path);
    void stop();
    bool isPlaying() const { return m_playing; }
    const std::string& path() const { return m_path; }

signals:
    void playingChanged(bool playing);

private:
    void finished(int generation, const std::string& error);

    SoundPlayer& m_player;
    UserInterface& m_ui;
    std::thread m_thread;
    // One flag per playing: a thread that is being joined must not see the next one's.
    std::shared_ptr<std::atomic<bool>> m_stop;
    std::string m_path;
    bool m_playing = false;
    int m_generation = 0;
};

} // namespace tonarion
