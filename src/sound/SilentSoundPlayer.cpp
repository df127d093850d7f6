// The player of builds without libmpg123 and libout123 (TONARION_SOUND_CHECK off), such as
// the static tonarion-cli.exe of a MinGW build without the window.
#include "sound/SoundPlayer.h"

namespace tonarion {
namespace {

class SilentSoundPlayer final : public SoundPlayer {
public:
    std::string play(const std::string&, const std::atomic<bool>&) override {
        return "Anhören ist in dieser Ausgabe von Tonarion nicht möglich.";
    }
};

} // namespace

std::unique_ptr<SoundPlayer> makeSoundPlayer(const std::string&, const std::string&) {
    return std::make_unique<SilentSoundPlayer>();
}

} // namespace tonarion
