// The converter of builds without libsndfile, LAME and libebur128 (TONARION_SOUND_CONVERSION
// off): nothing is converted or measured, so the program takes MP3 files only, as before.
#include "sound/SoundConverter.h"

namespace tonarion {
namespace {

class UnconvertingSoundConverter final : public SoundConverter {
public:
    bool convertible(std::span<const std::uint8_t>) override { return false; }
    std::optional<Loudness> measure(std::span<const std::uint8_t>) override { return std::nullopt; }
    ConversionResult encodeForModule(std::span<const std::uint8_t>, double,
                                     const ConversionProgress&) override {
        return {ConversionResult::Outcome::Failed,
                {},
                "Diese Ausgabe von Tonarion kann keine Sounddateien umwandeln."};
    }
};

} // namespace

std::unique_ptr<SoundConverter> makeSoundConverter() {
    return std::make_unique<UnconvertingSoundConverter>();
}

} // namespace tonarion
