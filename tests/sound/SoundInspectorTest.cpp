#include "sound/SoundInspector.h"

#include "support/SoundFiles.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

using namespace testing;

class SoundInspectorTest : public ::testing::Test {
protected:
    // An umlaut in the name: on Windows the libraries must open the file by its wide name.
    SoundFindings inspect(const std::string& bytes) {
        return m_inspector->inspect(m_folder.write("Grüße.mp3", bytes));
    }

    TempFolder m_folder{"tonarion-sound-"};
    std::unique_ptr<SoundInspector> m_inspector = makeSoundInspector();
};

TEST_F(SoundInspectorTest, FindsWhatTheFileHolds) {
    struct Case {
        const char* what;
        std::string bytes;
        bool mpegAudio;
        bool decodedToEnd;
        const char* format;
        std::uint64_t id3v2Size;
        bool pictures;
    };
    const std::string frames = mpeg1Frames(114);
    const Case cases[] = {
        {"44.1 kHz stereo", frames, true, true,
         "MPEG-1 Layer III, 44,1 kHz, 128 kbit/s, Stereo, 0:03", 0, false},
        {"22.05 kHz mono", mpeg2Frames(200), true, true,
         "MPEG-2 Layer III, 22,05 kHz, 64 kbit/s, Mono, 0:05", 0, false},
        {"changing bitrate", mpeg1Frames(50, Channels::Mono) + mpeg1Frames(50, Channels::Mono, 160),
         true, true, "MPEG-1 Layer III, 44,1 kHz, variabel, Ø 144 kbit/s, Mono, 0:03", 0, false},
        {"ID3v2 with a picture, ID3v1 at the end", id3v2Tag(3000) + frames + id3v1Tag(), true, true,
         "MPEG-1 Layer III, 44,1 kHz, 128 kbit/s, Stereo, 0:03", id3v2Tag(3000).size(), true},
        {"ID3v2 without a picture", id3v2Tag(0) + frames, true, true,
         "MPEG-1 Layer III, 44,1 kHz, 128 kbit/s, Stereo, 0:03", id3v2Tag(0).size(), false},
        {"cut off inside the last frame", frames.substr(0, frames.size() - 200), true, false,
         "MPEG-1 Layer III, 44,1 kHz, 128 kbit/s, Stereo, 0:03", 0, false},
        {"garbage after the frames", frames + std::string(300, '\x55'), true, false,
         "MPEG-1 Layer III, 44,1 kHz, 128 kbit/s, Stereo, 0:03", 0, false},
        {"renamed WAV", wavFile(44100), false, false, "keine MPEG-Audiodatei", 0, false},
        {"renamed WAV with a false frame header", wavFile(44100, mpeg1Frames(1)), false, false,
         "keine MPEG-Audiodatei", 0, false},
        {"empty file", "", false, false, "keine MPEG-Audiodatei", 0, false},
    };
    for (const Case& c : cases) {
        const SoundFindings found = inspect(c.bytes);
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(found.checked);
        EXPECT_EQ(found.mpegAudio, c.mpegAudio);
        EXPECT_EQ(found.decodedToEnd, c.decodedToEnd);
        EXPECT_EQ(found.invalid(), !(c.mpegAudio && c.decodedToEnd));
        EXPECT_EQ(formatText(found), c.format);
        EXPECT_EQ(found.id3v2Size, c.id3v2Size);
        EXPECT_EQ(found.embedsPictures, c.pictures);
    }
}

TEST_F(SoundInspectorTest, AGlanceReadsTheHeadersOnly) {
    const std::string frames = mpeg1Frames(114);
    const std::string path = m_folder.write("sound.mp3", id3v2Tag(100) + frames);
    const auto glanced = m_inspector->glance(path);
    ASSERT_TRUE(glanced.has_value());
    EXPECT_EQ(formatText(*glanced), "MPEG-1 Layer III, 44,1 kHz, 128 kbit/s, Stereo, 0:03");
    // Garbage after the first frames goes unseen: only a decode finds it.
    writeBytes(path, frames.substr(0, frames.size() / 2) + std::string(frames.size() / 2, 'x'));
    ASSERT_TRUE(m_inspector->glance(path).has_value());
    EXPECT_FALSE(m_inspector->glance(path)->invalid());
    writeBytes(path, wavFile(1000));
    EXPECT_FALSE(m_inspector->glance(path).has_value());
}

TEST_F(SoundInspectorTest, AFileThatIsNotThereIsNotReadable) {
    const SoundFindings found = m_inspector->inspect(m_folder.path("fehlt.mp3"));
    EXPECT_TRUE(found.invalid());
    EXPECT_EQ(formatText(found), "Datei nicht lesbar");
}

TEST_F(SoundInspectorTest, HintsNameWhatSmallPlayersStumbleOver) {
    EXPECT_TRUE(soundHints(inspect(mpeg1Frames(40))).empty());
    const auto low = soundHints(inspect(mpeg2Frames(40)));
    ASSERT_EQ(low.size(), 1u);
    EXPECT_NE(low[0].find("unter 32 kHz"), std::string::npos);
    const auto picture = soundHints(inspect(id3v2Tag(500) + mpeg1Frames(40)));
    ASSERT_EQ(picture.size(), 1u);
    EXPECT_NE(picture[0].find("Bilder"), std::string::npos);
    EXPECT_EQ(soundHints(inspect(wavFile(1000))).size(), 1u);
}

} // namespace
} // namespace tonarion
