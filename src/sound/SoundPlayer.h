#pragma once

#include <atomic>
#include <memory>
#include <string>

namespace tonarion {

// Plays a sound file, so that the user hears which sound a row holds. play() blocks until the
// sound has ended or stop is set: front ends call it off their GUI thread.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Empty when the sound was played (or stopped); otherwise why it could not be, in German.
    virtual std::string play(const std::string& path, const std::atomic<bool>& stop) = 0;
};

// libout123's output: driver "" is the system's default; "wav" with a file as device writes
// what would be heard there, for a machine without a sound card.
std::unique_ptr<SoundPlayer> makeSoundPlayer(const std::string& driver = {},
                                             const std::string& device = {});

} // namespace tonarion
