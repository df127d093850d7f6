#include "sound/SoundConverter.h"

#include "sound/SoundInspector.h"
#include "support/SoundFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <random>
#include <sndfile.h>

namespace tonarion {
namespace {

using namespace testing;
using Outcome = ConversionResult::Outcome;

enum class Signal { Tone, Noise, Clipped, Silence };

// A sound of `seconds` written by libsndfile into memory: a 997 Hz tone of the given peak, white
// noise of that peak, a tone driven four times past full scale and cut off there, or silence.
SoundBytes soundFile(int format, int channels, int rate, double seconds, Signal signal,
                     double peak = 0.1) {
    struct Memory {
        SoundBytes bytes;
        sf_count_t position = 0;
    } memory;
    SF_VIRTUAL_IO io{};
    io.get_filelen = [](void* m) {
        return static_cast<sf_count_t>(static_cast<Memory*>(m)->bytes.size());
    };
    io.seek = [](sf_count_t offset, int whence, void* m) {
        auto& to = *static_cast<Memory*>(m);
        to.position = offset + (whence == SEEK_CUR   ? to.position
                                : whence == SEEK_END ? static_cast<sf_count_t>(to.bytes.size())
                                                     : 0);
        return to.position;
    };
    io.read = [](void* out, sf_count_t count, void* m) {
        auto& from = *static_cast<Memory*>(m);
        count = std::clamp<sf_count_t>(static_cast<sf_count_t>(from.bytes.size()) - from.position,
                                       0, count);
        if (count > 0) {
            std::memcpy(out, from.bytes.data() + from.position, static_cast<std::size_t>(count));
            from.position += count;
        }
        return count;
    };
    io.write = [](const void* in, sf_count_t count, void* m) {
        auto& to = *static_cast<Memory*>(m);
        if (count > 0) {
            const auto end = static_cast<std::size_t>(to.position + count);
            to.bytes.resize(std::max(to.bytes.size(), end));
            std::memcpy(to.bytes.data() + to.position, in, static_cast<std::size_t>(count));
            to.position += count;
        }
        return count;
    };
    io.tell = [](void* m) {
        return static_cast<Memory*>(m)->position;
    };
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open_virtual(&io, SFM_WRITE, &info, &memory);
    EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
    const auto frames = static_cast<std::size_t>(seconds * rate);
    std::vector<float> samples(frames * static_cast<std::size_t>(channels));
    std::mt19937 random(7);
    std::uniform_real_distribution<double> noise(-1, 1);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double tone =
            std::sin(2 * std::numbers::pi * 997 *
                     static_cast<double>(i / static_cast<std::size_t>(channels)) / rate);
        const double value = signal == Signal::Tone      ? peak * tone
                             : signal == Signal::Noise   ? peak * noise(random)
                             : signal == Signal::Clipped ? std::clamp(4 * tone, -1.0, 1.0)
                                                         : 0.0;
        samples[i] = static_cast<float>(value);
    }
    sf_writef_float(file, samples.data(), static_cast<sf_count_t>(frames));
    sf_close(file);
    return memory.bytes;
}

std::string text(const SoundBytes& bytes) {
    return {bytes.begin(), bytes.end()};
}

class SoundConverterTest : public ::testing::Test {
protected:
    ConversionResult encode(const SoundBytes& bytes, double gainDb,
                            const ConversionProgress& progress = {}) {
        return m_converter->encodeForModule(bytes, gainDb, progress);
    }

    std::unique_ptr<SoundConverter> m_converter = makeSoundConverter();
    std::unique_ptr<SoundInspector> m_inspector = makeSoundInspector();
    TempFolder m_folder{"tonarion-convert-"};
};

TEST_F(SoundConverterTest, EveryFormatBecomesTheModuleProfileWithItsLengthAndLoudness) {
    struct Case {
        const char* what;
        int format;
        int channels;
        int rate;
        const char* profile;
    };
    const Case cases[] = {
        {"WAV", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, "Stereo"},
        {"FLAC at 48 kHz", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 1, 48000, "Mono"},
        {"OGG Vorbis at 22.05 kHz", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 2, 22050, "Stereo"},
        {"Opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 1, 48000, "Mono"},
        {"WAV of six channels", SF_FORMAT_WAVEX | SF_FORMAT_FLOAT, 6, 32000, "Stereo"},
    };
    const double seconds = 2.5;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SoundBytes source = soundFile(c.format, c.channels, c.rate, seconds, Signal::Tone);
        EXPECT_TRUE(m_converter->convertible(source));
        const auto before = m_converter->measure(source);
        ASSERT_TRUE(before.has_value());
        const ConversionResult converted = encode(source, 0);
        ASSERT_EQ(converted.outcome, Outcome::Done) << converted.failure;
        EXPECT_FALSE(m_converter->convertible(converted.bytes));
        // Neither a tag nor an encoder's header frame that players may take for a sound.
        EXPECT_EQ(text(converted.bytes).find("Xing"), std::string::npos);
        EXPECT_EQ(text(converted.bytes).find("Info"), std::string::npos);
        const SoundFindings found =
            m_inspector->inspect(m_folder.write("converted.mp3", text(converted.bytes)));
        EXPECT_TRUE(found.valid());
        EXPECT_EQ(found.id3v2Size, 0u);
        EXPECT_EQ(formatText(found),
                  std::string("MPEG-1 Layer III, 44,1 kHz, 128 kbit/s, ") + c.profile + ", 0:03");
        // The encoder's delay and the last frame's padding: a frame, and a frame at most.
        EXPECT_NEAR(found.seconds, seconds, 2 * 1152 / 44100.0);
        ASSERT_TRUE(found.loudness.has_value());
        EXPECT_NEAR(found.loudness->lufs, before->lufs, 0.5);
        const auto after = m_converter->measure(converted.bytes);
        ASSERT_TRUE(after.has_value());
        EXPECT_NEAR(after->lufs, before->lufs, 0.5);
    }
    const std::string frames = mpeg1Frames(40);
    const SoundBytes mp3(frames.begin(), frames.end());
    SoundBytes random(5000);
    std::generate(random.begin(), random.end(), std::mt19937(3));
    for (const SoundBytes& other : {mp3, random, SoundBytes{}}) {
        EXPECT_FALSE(m_converter->convertible(other));
    }
}

TEST_F(SoundConverterTest, LevellingReachesTheTargetAndKeepsThePeakBelowTheCeiling) {
    struct Case {
        const char* what;
        Signal signal;
        double peak;
        int channels;
        double target;
    };
    const Case cases[] = {
        {"quiet tone", Signal::Tone, 0.01, 1, -18},
        {"loud tone", Signal::Tone, 0.9, 2, -23},
        {"quiet noise", Signal::Noise, 0.02, 2, -18},
        {"loud noise", Signal::Noise, 1.0, 1, -20},
        // Brought up to the target, the peak would pass full scale: the ceiling wins.
        {"tone that would clip", Signal::Tone, 0.1, 1, -2},
        {"clipped tone", Signal::Clipped, 1.0, 2, -5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SoundBytes source =
            soundFile(SF_FORMAT_WAV | SF_FORMAT_PCM_16, c.channels, 44100, 3, c.signal, c.peak);
        const auto measured = m_converter->measure(source);
        ASSERT_TRUE(measured.has_value());
        const double gain = levellingGain(*measured, c.target);
        EXPECT_LE(measured->truePeak + gain, PeakCeiling + 1e-9);
        const ConversionResult levelled = encode(source, gain);
        ASSERT_EQ(levelled.outcome, Outcome::Done);
        const auto result = m_converter->measure(levelled.bytes);
        ASSERT_TRUE(result.has_value());
        EXPECT_LE(result->truePeak, PeakCeiling);
        if (measured->truePeak + c.target - measured->lufs <= PeakCeiling - 0.5) {
            EXPECT_NEAR(result->lufs, c.target, 0.5);
        } else {
            EXPECT_LT(result->lufs, c.target);
        }
    }
    // Encoding a clipped tone as it is lifts its peaks above full scale; the result does not.
    const SoundBytes clipped =
        soundFile(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, 2, Signal::Clipped);
    const ConversionResult asItIs = encode(clipped, 0);
    ASSERT_EQ(asItIs.outcome, Outcome::Done);
    EXPECT_LE(m_converter->measure(asItIs.bytes)->truePeak, PeakCeiling);

    const SoundBytes silence =
        soundFile(SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1, 44100, 2, Signal::Silence);
    EXPECT_FALSE(m_converter->measure(silence).has_value());
    const ConversionResult silent = encode(silence, 0);
    ASSERT_EQ(silent.outcome, Outcome::Done);
    EXPECT_FALSE(m_converter->measure(silent.bytes).has_value());

    EXPECT_EQ(loudnessText({-17.4, -3}), "\u221217 LUFS");
    EXPECT_EQ(loudnessText({-0.4, -3}), "0 LUFS");
}

TEST_F(SoundConverterTest, ACancelledOrFailedConversionHandsBackNoBytes) {
    const SoundBytes source =
        soundFile(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, 5, Signal::Noise);
    std::vector<double> shares;
    const ConversionResult cancelled = encode(source, 0, [&](double share) {
        shares.push_back(share);
        return share < 0.3;
    });
    EXPECT_EQ(cancelled.outcome, Outcome::Cancelled);
    EXPECT_TRUE(cancelled.bytes.empty());
    ASSERT_GE(shares.size(), 2u);
    EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()));
    EXPECT_GE(shares.back(), 0.3);
    EXPECT_LT(shares.back(), 0.5);

    shares.clear();
    const auto recorded = [&](double share) {
        shares.push_back(share);
        return true;
    };
    EXPECT_EQ(encode(source, 0, recorded).outcome, Outcome::Done);
    EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()));
    EXPECT_EQ(shares.back(), 1.0);

    SoundBytes cutOff = source;
    cutOff.resize(44); // the header alone
    // A few MPEG frames in front of much else are no MP3 either.
    const std::string fewFrames = mpeg1Frames(3) + std::string(20000, 'x');
    const SoundBytes mostlyOther(fewFrames.begin(), fewFrames.end());
    for (const SoundBytes& garbage : {SoundBytes(3000, 0x55), cutOff, mostlyOther, SoundBytes{}}) {
        const ConversionResult failed = encode(garbage, 0, recorded);
        EXPECT_EQ(failed.outcome, Outcome::Failed);
        EXPECT_TRUE(failed.bytes.empty());
        EXPECT_FALSE(failed.failure.empty());
        EXPECT_FALSE(m_converter->measure(garbage).has_value());
    }
}

} // namespace
} // namespace tonarion
