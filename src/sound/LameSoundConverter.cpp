// The converter of builds with libsndfile, libmpg123, LAME and libebur128: every sound is
// decoded, multiplied by its gain and encoded anew. Re-encoding rather than changing the global
// gain of MP3 frames (lossless, but in steps of 1.5 dB and for MP3 input only) gives one path
// for every input, and it also brings MP3s that small players stumble over (variable bitrate,
// 48 kHz, big embedded pictures) to the one profile below.
#include "sound/LoudnessMeter.h"
#include "sound/SoundConverter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <lame/lame.h>
#include <mpg123.h>
#include <mutex>
#include <sndfile.h>

namespace tonarion {
namespace {

using Bytes = std::span<const std::uint8_t>;

// The module profile. MPEG-1 Layer III at 44.1 kHz and a constant 128 kbit/s is what every
// MP3 player chip of this class was built and tested for; a constant bitrate lets a player
// that seeks or buffers by frame count find its way without a table; and 128 kbit/s is
// transparent enough for a small loudspeaker on a layout while a 5-second sound stays about
// 80 KB. A mono recording stays mono (a stereo encoding of it would spend the same bits on two
// identical sides); two or more channels become joint stereo, which spends the bits on what
// differs between the sides, and a player of mono only mixes it down as it mixes any stereo. No ID3
// tag and no Xing/Info frame: some players play a tag frame as a click or take it for variable
// bitrate.
constexpr int ModuleSampleRate = 44100;
constexpr int ModuleBitrate = 128; // kbit/s

constexpr std::size_t ChunkFrames = 4096;

const char* const UnreadableText = "Die Datei lässt sich nicht lesen.";
const char* const SoundlessText = "Die Datei enthält keinen Ton.";
const char* const EncoderText = "Die Datei lässt sich nicht in MP3 umwandeln.";

// The bytes read as a file, by libsndfile's and libmpg123's readers.
struct MemoryFile {
    Bytes bytes;
    std::size_t position = 0;

    std::int64_t size() const { return static_cast<std::int64_t>(bytes.size()); }
    std::int64_t seek(std::int64_t offset, int whence) {
        const std::int64_t base = whence == SEEK_SET   ? 0
                                  : whence == SEEK_CUR ? static_cast<std::int64_t>(position)
                                                       : size();
        if (base + offset < 0 || base + offset > size()) {
            return -1;
        }
        position = static_cast<std::size_t>(base + offset);
        return base + offset;
    }
    std::size_t read(void* out, std::size_t count) {
        count = std::min(count, bytes.size() - position);
        if (count > 0) {
            std::memcpy(out, bytes.data() + position, count);
            position += count;
        }
        return count;
    }
    double share() const {
        return bytes.empty() ? 1.0
                             : static_cast<double>(position) / static_cast<double>(bytes.size());
    }
};

// A sound as interleaved samples, full scale ±1, in one or two channels at its own rate.
// The libraries hold the address of the decoder's bytes: it stays where it was made.
class Decoder {
public:
    Decoder() = default;
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
    virtual ~Decoder() = default;
    int channels() const { return m_channels; }
    long sampleRate() const { return m_sampleRate; }
    // Up to `frames` frames; 0 at the end, also an end forced by an error.
    virtual std::size_t read(float* samples, std::size_t frames) = 0;
    // The share of the bytes read so far.
    virtual double share() const = 0;
    // After the last read: the bytes held a sound of this format to their end.
    virtual bool intact() const = 0;

protected:
    int m_channels = 0;
    long m_sampleRate = 0;
};

class SndfileDecoder final : public Decoder {
public:
    explicit SndfileDecoder(Bytes bytes)
        : m_file{bytes} {
        SF_VIRTUAL_IO io{};
        io.get_filelen = [](void* file) {
            return static_cast<MemoryFile*>(file)->size();
        };
        io.seek = [](sf_count_t offset, int whence, void* file) {
            return static_cast<MemoryFile*>(file)->seek(offset, whence);
        };
        io.read = [](void* out, sf_count_t count, void* file) {
            return static_cast<sf_count_t>(
                static_cast<MemoryFile*>(file)->read(out, static_cast<std::size_t>(count)));
        };
        io.write = [](const void*, sf_count_t, void*) {
            return sf_count_t{0};
        };
        io.tell = [](void* file) {
            return static_cast<sf_count_t>(static_cast<MemoryFile*>(file)->position);
        };
        m_sound.reset(sf_open_virtual(&io, SFM_READ, &m_info, &m_file));
        if (m_sound && m_info.channels > 0) {
            m_channels = std::min(m_info.channels, 2);
            m_sampleRate = m_info.samplerate;
        }
    }

    bool opened() const { return m_channels > 0 && m_sampleRate > 0; }
    int container() const { return m_info.format & SF_FORMAT_TYPEMASK; }
    int encoding() const { return m_info.format & SF_FORMAT_SUBMASK; }

    std::size_t read(float* samples, std::size_t frames) override {
        const auto sourceChannels = static_cast<std::size_t>(m_info.channels);
        if (sourceChannels <= 2) {
            return readFrames(samples, frames);
        }
        m_wide.resize(frames * sourceChannels);
        const std::size_t got = readFrames(m_wide.data(), frames);
        // Beyond two channels (centre, surround, LFE) each extra one goes to both sides at
        // −3 dB, and the sum is scaled back so that it cannot clip.
        const float side = std::sqrt(0.5f);
        const float scale = 1.0f / (1.0f + side * static_cast<float>(sourceChannels - 2));
        for (std::size_t frame = 0; frame < got; ++frame) {
            const float* in = m_wide.data() + frame * sourceChannels;
            float extra = 0;
            for (std::size_t channel = 2; channel < sourceChannels; ++channel) {
                extra += in[channel];
            }
            samples[2 * frame] = (in[0] + side * extra) * scale;
            samples[2 * frame + 1] = (in[1] + side * extra) * scale;
        }
        return got;
    }
    double share() const override {
        return m_info.frames > 0 ? std::min(1.0, static_cast<double>(m_framesRead) /
                                                     static_cast<double>(m_info.frames))
                                 : m_file.share();
    }
    bool intact() const override { return m_sound && sf_error(m_sound.get()) == SF_ERR_NO_ERROR; }

private:
    std::size_t readFrames(float* samples, std::size_t frames) {
        const sf_count_t got =
            sf_readf_float(m_sound.get(), samples, static_cast<sf_count_t>(frames));
        if (got <= 0) {
            return 0;
        }
        m_framesRead += got;
        return static_cast<std::size_t>(got);
    }

    struct Closer {
        void operator()(SNDFILE* sound) const { sf_close(sound); }
    };
    MemoryFile m_file;
    SF_INFO m_info{};
    std::unique_ptr<SNDFILE, Closer> m_sound;
    sf_count_t m_framesRead = 0;
    std::vector<float> m_wide;
};

// The size of an ID3v2 tag at the start of the bytes, header and footer included.
std::size_t id3v2Size(Bytes bytes) {
    if (bytes.size() < 10 || std::memcmp(bytes.data(), "ID3", 3) != 0) {
        return 0;
    }
    const std::size_t body = (std::size_t{bytes[6] & 0x7fu} << 21) |
                             (std::size_t{bytes[7] & 0x7fu} << 14) |
                             (std::size_t{bytes[8] & 0x7fu} << 7) | (bytes[9] & 0x7fu);
    return 10 + body + ((bytes[5] & 0x10) != 0 ? 10 : 0);
}

class Mpg123Decoder final : public Decoder {
public:
    explicit Mpg123Decoder(Bytes bytes)
        : m_file{bytes}
        , m_handle(mpg123_new(nullptr, nullptr)) {
        mpg123_handle* handle = m_handle.get();
        if (!handle) {
            return;
        }
        mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
        mpg123_replace_reader_handle(
            handle,
            [](void* file, void* out, std::size_t count) {
                return static_cast<mpg123_ssize_t>(
                    static_cast<MemoryFile*>(file)->read(out, count));
            },
            [](void* file, off_t offset, int whence) {
                return static_cast<off_t>(static_cast<MemoryFile*>(file)->seek(offset, whence));
            },
            nullptr);
        allowFormats(MPG123_MONO | MPG123_STEREO, 0);
        long rate = 0;
        int channels = 0;
        int encoding = 0;
        if (mpg123_open_handle(handle, &m_file) != MPG123_OK ||
            mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK) {
            m_handle.reset();
            return;
        }
        // The first frame's rate and channels for the whole sound: a frame of another format
        // (rare, and a sign of two files stuck together) is converted or ends the decode.
        allowFormats(channels, rate);
        m_channels = channels;
        m_sampleRate = rate;
    }

    bool opened() const { return m_handle != nullptr; }

    std::size_t read(float* samples, std::size_t frames) override {
        const auto channels = static_cast<std::size_t>(m_channels);
        std::size_t done = 0;
        while (done < frames && m_handle) {
            if (m_pending.empty() && !decodeFrame()) {
                break;
            }
            const std::size_t take =
                std::min(frames - done, (m_pending.size() - m_taken) / channels);
            std::copy_n(m_pending.begin() + static_cast<std::ptrdiff_t>(m_taken), take * channels,
                        samples + done * channels);
            m_taken += take * channels;
            done += take;
            if (m_taken == m_pending.size()) {
                m_pending.clear();
                m_taken = 0;
            }
        }
        return done;
    }
    double share() const override { return m_file.share(); }
    // As the inspector judges a file: its frames make up most of the bytes after the ID3v2
    // tag, so that random bytes with a few patterns that pass for frame headers do not count.
    bool intact() const override {
        const std::size_t audio =
            m_file.bytes.size() - std::min(m_file.bytes.size(), id3v2Size(m_file.bytes));
        return m_ended && m_frameBytes > 0 && 2 * m_frameBytes >= audio;
    }

private:
    void allowFormats(int channels, long onlyRate) {
        mpg123_format_none(m_handle.get());
        const long* rates = nullptr;
        std::size_t rateCount = 0;
        mpg123_rates(&rates, &rateCount);
        for (std::size_t i = 0; i < rateCount; ++i) {
            if (onlyRate == 0 || rates[i] == onlyRate) {
                mpg123_format(m_handle.get(), rates[i], channels, MPG123_ENC_FLOAT_32);
            }
        }
    }

    // False at the end of the sound or at an error.
    bool decodeFrame() {
        for (;;) {
            off_t frameNumber = 0;
            unsigned char* audio = nullptr;
            std::size_t bytes = 0;
            const int result = mpg123_decode_frame(m_handle.get(), &frameNumber, &audio, &bytes);
            if (result == MPG123_DONE) {
                m_ended = true;
                return false;
            }
            if (result != MPG123_OK && result != MPG123_NEW_FORMAT) {
                return false;
            }
            const std::size_t samples = bytes / sizeof(float) /
                                        static_cast<std::size_t>(m_channels) *
                                        static_cast<std::size_t>(m_channels);
            if (samples == 0) {
                continue;
            }
            mpg123_frameinfo info{};
            mpg123_info(m_handle.get(), &info);
            m_frameBytes += static_cast<std::size_t>(std::max(info.framesize, 0));
            const auto* decoded = reinterpret_cast<const float*>(audio);
            m_pending.assign(decoded, decoded + samples);
            return true;
        }
    }

    struct Closer {
        void operator()(mpg123_handle* handle) const {
            mpg123_close(handle);
            mpg123_delete(handle);
        }
    };
    MemoryFile m_file;
    std::unique_ptr<mpg123_handle, Closer> m_handle;
    std::vector<float> m_pending; // the last frame's samples, from m_taken on not yet read
    std::size_t m_taken = 0;
    std::size_t m_frameBytes = 0;
    bool m_ended = false;
};

// libsndfile for every format it knows but MPEG, libmpg123 for MPEG audio: the module's own
// format is read by the decoder the check of added sounds uses too.
std::unique_ptr<Decoder> openDecoder(Bytes bytes) {
    auto sound = std::make_unique<SndfileDecoder>(bytes);
    if (sound->opened() && sound->container() != SF_FORMAT_MPEG) {
        return sound;
    }
    auto mpeg = std::make_unique<Mpg123Decoder>(bytes);
    if (mpeg->opened()) {
        return mpeg;
    }
    return nullptr;
}

// One stage of a conversion reports its own share as a part of the whole.
class ProgressStage {
public:
    ProgressStage(const ConversionProgress& progress, double from, double to)
        : m_progress(progress)
        , m_from(from)
        , m_to(to) {}
    // False when the user cancelled. Reports only every percent or so.
    bool operator()(double share) {
        const double done = m_from + std::clamp(share, 0.0, 1.0) * (m_to - m_from);
        if (!m_progress || done < m_reported + 0.01) {
            return true;
        }
        m_reported = done;
        return m_progress(done);
    }

private:
    const ConversionProgress& m_progress;
    double m_from;
    double m_to;
    double m_reported = -1;
};

enum class Read { Done, Cancelled, Failed };

// Reads the whole sound into the meter; the meter follows the decoder's channels and rate.
Read measureInto(Decoder& decoder, LoudnessMeter& meter, ProgressStage& progress) {
    std::vector<float> samples(ChunkFrames * static_cast<std::size_t>(decoder.channels()));
    while (const std::size_t frames = decoder.read(samples.data(), ChunkFrames)) {
        meter.add(samples.data(), frames);
        if (!progress(decoder.share())) {
            return Read::Cancelled;
        }
    }
    return decoder.intact() ? Read::Done : Read::Failed;
}

struct LameCloser {
    void operator()(lame_global_flags* flags) const { lame_close(flags); }
};
using Lame = std::unique_ptr<lame_global_flags, LameCloser>;

// LAME fills tables shared by all its encoders when one is set up, without a lock of its own;
// conversions run on worker threads side by side.
std::mutex& lameSetUpLock() {
    static std::mutex lock;
    return lock;
}

Lame moduleEncoder(int channels, long sampleRate) {
    const std::lock_guard<std::mutex> held(lameSetUpLock());
    Lame lame(lame_init());
    if (!lame) {
        return lame;
    }
    lame_set_in_samplerate(lame.get(), static_cast<int>(sampleRate));
    lame_set_num_channels(lame.get(), channels);
    lame_set_out_samplerate(lame.get(), ModuleSampleRate);
    lame_set_mode(lame.get(), channels == 1 ? MONO : JOINT_STEREO);
    lame_set_VBR(lame.get(), vbr_off);
    lame_set_brate(lame.get(), ModuleBitrate);
    lame_set_bWriteVbrTag(lame.get(), 0);
    lame_set_write_id3tag_automatic(lame.get(), 0);
    if (lame_init_params(lame.get()) < 0) {
        lame.reset();
    }
    return lame;
}

ConversionResult failed(const char* text) {
    return {ConversionResult::Outcome::Failed, {}, text};
}

// One encoding, with the loudness of what went into the encoder: the source times the gain.
struct Encoding {
    ConversionResult result;
    std::optional<double> inputLufs;
};

Encoding encodeOnce(Bytes bytes, double gainDb, ProgressStage& progress) {
    const std::unique_ptr<Decoder> decoder = openDecoder(bytes);
    if (!decoder) {
        return {failed(UnreadableText), {}};
    }
    const Lame lame = moduleEncoder(decoder->channels(), decoder->sampleRate());
    if (!lame) {
        return {failed(EncoderText), {}};
    }
    LoudnessMeter input(decoder->channels(), decoder->sampleRate(),
                        LoudnessMeter::Measures::LoudnessOnly);
    const auto channels = static_cast<std::size_t>(decoder->channels());
    const auto factor = static_cast<float>(std::pow(10.0, gainDb / 20));
    std::vector<float> samples(ChunkFrames * channels);
    std::vector<float> left(ChunkFrames);
    std::vector<float> right(ChunkFrames);
    // LAME's own bound for one call: 1.25 times the samples plus 7200 bytes.
    std::vector<unsigned char> encoded(ChunkFrames * 5 / 4 + 7200);
    Encoding encoding;
    SoundBytes& mp3 = encoding.result.bytes;
    std::size_t total = 0;
    while (const std::size_t frames = decoder->read(samples.data(), ChunkFrames)) {
        for (std::size_t i = 0; i < frames * channels; ++i) {
            samples[i] *= factor;
        }
        input.add(samples.data(), frames);
        for (std::size_t frame = 0; frame < frames; ++frame) {
            left[frame] = samples[frame * channels];
            right[frame] = samples[frame * channels + channels - 1];
        }
        const int written = lame_encode_buffer_ieee_float(lame.get(), left.data(), right.data(),
                                                          static_cast<int>(frames), encoded.data(),
                                                          static_cast<int>(encoded.size()));
        if (written < 0) {
            return {failed(EncoderText), {}};
        }
        mp3.insert(mp3.end(), encoded.begin(), encoded.begin() + written);
        total += frames;
        if (!progress(decoder->share())) {
            return {{ConversionResult::Outcome::Cancelled, {}, {}}, {}};
        }
    }
    if (!decoder->intact()) {
        return {failed(UnreadableText), {}};
    }
    if (total == 0) {
        return {failed(SoundlessText), {}};
    }
    const int written =
        lame_encode_flush(lame.get(), encoded.data(), static_cast<int>(encoded.size()));
    if (written < 0) {
        return {failed(EncoderText), {}};
    }
    mp3.insert(mp3.end(), encoded.begin(), encoded.begin() + written);
    encoding.result.outcome = ConversionResult::Outcome::Done;
    encoding.inputLufs = input.lufs();
    return encoding;
}

class LameSoundConverter final : public SoundConverter {
public:
    bool convertible(std::span<const std::uint8_t> bytes) override;
    std::optional<Loudness> measure(std::span<const std::uint8_t> bytes) override;
    ConversionResult encodeForModule(std::span<const std::uint8_t> bytes, double gainDb,
                                     const ConversionProgress& progress) override;
};

bool LameSoundConverter::convertible(std::span<const std::uint8_t> bytes) {
    const SndfileDecoder sound(bytes);
    if (!sound.opened()) {
        return false;
    }
    switch (sound.container()) {
    case SF_FORMAT_WAV:
    case SF_FORMAT_WAVEX:
    case SF_FORMAT_RF64:
    case SF_FORMAT_FLAC:
        return true;
    case SF_FORMAT_OGG:
        return sound.encoding() == SF_FORMAT_VORBIS || sound.encoding() == SF_FORMAT_OPUS;
    default:
        return false;
    }
}

std::optional<Loudness> LameSoundConverter::measure(std::span<const std::uint8_t> bytes) {
    const std::unique_ptr<Decoder> decoder = openDecoder(bytes);
    if (!decoder) {
        return std::nullopt;
    }
    LoudnessMeter meter(decoder->channels(), decoder->sampleRate());
    const ConversionProgress none;
    ProgressStage unreported(none, 0, 1);
    if (measureInto(*decoder, meter, unreported) != Read::Done) {
        return std::nullopt;
    }
    return meter.result();
}

ConversionResult LameSoundConverter::encodeForModule(std::span<const std::uint8_t> bytes,
                                                     double gainDb,
                                                     const ConversionProgress& progress) {
    // The result itself is measured, as encoding changes the sound: its peaks can rise above
    // the source's, and the encoder's lowpass takes the highest frequencies, which the
    // loudness weighting counts strongly (white noise loses about a decibel). Where the
    // result's loudness is more than a few tenths of a LU from what went in, or its true peak
    // is above the ceiling, the gain is corrected by the difference, a peak's excess and a
    // tenth of a decibel more, and the sound encoded once more. One correction almost always
    // suffices; the passes are bounded all the same.
    constexpr int MostPasses = 4;
    constexpr double Tolerance = 0.2; // LU
    constexpr double Margin = 0.1;    // dB below the ceiling when a peak sets the gain
    double gain = gainDb;
    std::optional<double> wanted;
    double start = 0;
    for (int pass = 1;; ++pass) {
        const double end = pass == MostPasses ? 1.0 : start + (1 - start) * 0.9;
        ProgressStage encoding(progress, start, start + (end - start) * 0.8);
        Encoding encoded = encodeOnce(bytes, gain, encoding);
        if (encoded.result.outcome != ConversionResult::Outcome::Done) {
            return encoded.result;
        }
        if (pass == 1) {
            wanted = encoded.inputLufs;
        }
        Mpg123Decoder decoder(encoded.result.bytes);
        if (!decoder.opened()) {
            return failed(EncoderText);
        }
        LoudnessMeter meter(decoder.channels(), decoder.sampleRate());
        ProgressStage checking(progress, start + (end - start) * 0.8, end);
        const Read read = measureInto(decoder, meter, checking);
        if (read == Read::Cancelled) {
            return {ConversionResult::Outcome::Cancelled, {}, {}};
        }
        if (read == Read::Failed) {
            return failed(EncoderText);
        }
        const std::optional<double> lufs = meter.lufs();
        const double peak = meter.truePeak();
        double correction =
            wanted && lufs && std::abs(*wanted - *lufs) > Tolerance ? *wanted - *lufs : 0.0;
        // Louder only as far as the peak allows; quieter at once where the peak is too high.
        correction = peak > PeakCeiling
                         ? std::min(correction, PeakCeiling - peak - Margin)
                         : std::min(correction, std::max(0.0, PeakCeiling - peak - Margin));
        if ((peak <= PeakCeiling && std::abs(correction) < 0.05) || pass == MostPasses) {
            if (progress && !progress(1.0)) {
                return {ConversionResult::Outcome::Cancelled, {}, {}};
            }
            return std::move(encoded.result);
        }
        gain += correction;
        start = end;
    }
}

} // namespace

std::unique_ptr<SoundConverter> makeSoundConverter() {
    return std::make_unique<LameSoundConverter>();
}

} // namespace tonarion
