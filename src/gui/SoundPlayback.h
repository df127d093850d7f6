#pragma once

#include "model/UserInterface.h"
#include "sound/SoundPlayer.h"

#include <QObject>

#include <chrono>
#include <memory>
#include <string>

namespace tonarion {

// "Anhören": one sound at a time, played on a thread of its own so that the window stays
// responsive; a failure (no audio device) becomes one information message.
//
// Stopping never waits for the output: some outputs (OpenAL without a sound device) never
// return once stopped, and the window would wait with them for good. A stopped sound's
// thread is left to end on its own; it shares only the player and its own state, and what
// it reports after its stop goes nowhere.
class SoundPlayback final : public QObject {
    Q_OBJECT
public:
    SoundPlayback(std::shared_ptr<SoundPlayer> player, UserInterface& ui,
                  QObject* parent = nullptr);
    ~SoundPlayback() override;

    // Plays the file; asked again for the file that is playing, it stops instead.
    void toggle(const std::string& path);
    // Stops the sound. The stopped sound may hold its file for a moment longer; whoever needs
    // the file closed (the stick is to be ejected) gives the playing this long to let go.
    void stop(std::chrono::milliseconds grace = std::chrono::milliseconds(0));
    bool isPlaying() const { return m_playing != nullptr; }
    const std::string& path() const { return m_path; }

signals:
    void playingChanged(bool playing);

private:
    struct Playing;
    void finished(const std::shared_ptr<Playing>& playing, const std::string& error);

    std::shared_ptr<SoundPlayer> m_player;
    UserInterface& m_ui;
    std::shared_ptr<Playing> m_playing;
    std::string m_path;
};

} // namespace tonarion
