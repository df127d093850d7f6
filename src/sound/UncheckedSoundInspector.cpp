// The inspector of builds without libmpg123 and TagLib (TONARION_SOUND_CHECK off), such as the
// static tonarion-cli.exe of a MinGW build without the window:
// files are taken by their extension, as before, and every finding says "not checked".
#include "sound/SoundInspector.h"

namespace tonarion {
namespace {

class UncheckedSoundInspector final : public SoundInspector {
public:
    SoundFindings inspect(const std::string&) override { return {}; }
};

} // namespace

std::unique_ptr<SoundInspector> makeSoundInspector() {
    return std::make_unique<UncheckedSoundInspector>();
}

} // namespace tonarion
