#pragma once

#include "sound/Loudness.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tonarion {

using SoundBytes = std::vector<std::uint8_t>;

// Called now and then with the share done (0..1) of one sound; false cancels.
using ConversionProgress = std::function<bool(double)>;

struct ConversionResult {
    enum class Outcome { Done, Cancelled, Failed } outcome = Outcome::Failed;
    SoundBytes bytes;    // the MP3, when Done
    std::string failure; // German, for the user, when Failed
};

// Decodes sounds of every format this build knows and encodes them to the one profile every
// player of the module's class accepts. Stateless: called from worker threads.
class SoundConverter {
public:
    virtual ~SoundConverter() = default;
    // By content, not by name: WAV, FLAC, OGG Vorbis, Opus. False for MP3 and anything else.
    virtual bool convertible(std::span<const std::uint8_t> bytes) = 0;
    // Loudness of a sound in any format it decodes, MP3 included. Nothing for silence, for
    // bytes it cannot decode, or in a build without the libraries.
    virtual std::optional<Loudness> measure(std::span<const std::uint8_t> bytes) = 0;
    // Decodes (MP3 too), multiplies by gainDb, encodes to the module profile. The result's true
    // peak never exceeds PeakCeiling: where encoding pushed it above, the gain is lowered by
    // the excess and the sound encoded once more.
    virtual ConversionResult encodeForModule(std::span<const std::uint8_t> bytes, double gainDb,
                                             const ConversionProgress& progress) = 0;
};

// libsndfile + libmpg123 (MP3 input) + LAME + libebur128 where the build has them; otherwise a
// converter for which nothing is convertible, nothing measured and every encode Failed.
std::unique_ptr<SoundConverter> makeSoundConverter();

} // namespace tonarion
