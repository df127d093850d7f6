#pragma once

#include "sound/Loudness.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tonarion {

enum class MpegVersion { Mpeg1, Mpeg2, Mpeg25 };

// What a look into a sound file found. The extension only says the user meant an MP3; small
// players need the content to be one, from the first frame to the last.
struct SoundFindings {
    // False in a build that cannot look into sound files: nothing below is known then.
    bool checked = false;
    bool readable = false;
    // At least one MPEG audio frame, and the frames make up most of the file: a renamed WAV
    // may hold a byte pattern that passes for a frame header, but not many of them.
    bool mpegAudio = false;
    // The frames follow each other without a gap up to the end of the file (trailing tags
    // aside) and decode without an error: a cut-off download ends inside a frame.
    bool decodedToEnd = false;

    MpegVersion version = MpegVersion::Mpeg1;
    int layer = 0;
    long sampleRate = 0; // Hz
    int bitrate = 0;     // kbit/s; the average when it varies
    bool variableBitrate = false;
    int channels = 0;
    double seconds = 0;
    std::uint64_t id3v2Size = 0; // bytes, header included; 0 without a tag
    bool embedsPictures = false;
    // Measured during the same decode; nothing for silence or in a build without libebur128.
    std::optional<Loudness> loudness;

    bool valid() const { return mpegAudio && decodedToEnd; }
    // Checked and found wanting: what the user is warned about.
    bool invalid() const { return checked && !valid(); }
};

// Looks into a sound file. Called from worker threads: an implementation keeps no state
// between calls.
class SoundInspector {
public:
    virtual ~SoundInspector() = default;
    virtual SoundFindings inspect(const std::string& path) = 0;
    // What the first frame header and an encoder's header say, without decoding: cheap enough
    // for every row of a stick. Not checked, so never invalid; nothing when there is no frame.
    virtual std::optional<SoundFindings> glance(const std::string&) { return std::nullopt; }
};

// The inspector this build has: libmpg123 and TagLib where they were found, otherwise one
// that reports every file as not checked.
std::unique_ptr<SoundInspector> makeSoundInspector();

// "MPEG-1 Layer III, 44,1 kHz, 128 kbit/s, Stereo, 0:03", or why there is no such line.
std::string formatText(const SoundFindings& findings);
// One line for each thing about the file that small players are known to stumble over.
std::vector<std::string> soundHints(const SoundFindings& findings);
// "44,1 kHz", "22,05 kHz", "48 kHz".
std::string sampleRateText(long hertz);
// Minutes and seconds, rounded to the second: "0:03", "12:40".
std::string durationText(double seconds);

} // namespace tonarion
