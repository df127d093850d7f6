#include "sound/SoundPlayer.h"

#include "support/SoundFiles.h"

#include <gtest/gtest.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TONARION_LEAK_CHECKED 1
#endif
#elif defined(__SANITIZE_ADDRESS__)
#define TONARION_LEAK_CHECKED 1
#endif
#ifdef TONARION_LEAK_CHECKED
#include <sanitizer/lsan_interface.h>
#endif

namespace tonarion {
namespace {

using namespace testing;

class SoundPlayerTest : public ::testing::Test {
protected:
    TempFolder m_folder{"tonarion-play-"};
    const std::string sound = m_folder.write("pfiff.mp3", mpeg1Frames(40));
    const std::string heard = m_folder.path("heard.wav");
    std::atomic<bool> stop = false;
};

// libout123's WAV output stands in for the sound card: what it writes is what would be heard.
TEST_F(SoundPlayerTest, EveryFrameIsHeard) {
    EXPECT_EQ(makeSoundPlayer("wav", heard)->play(sound, stop), "");
    const std::string wav = readBytes(heard);
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    const auto dataSize = static_cast<std::size_t>(static_cast<unsigned char>(wav[40])) |
                          static_cast<std::size_t>(static_cast<unsigned char>(wav[41])) << 8 |
                          static_cast<std::size_t>(static_cast<unsigned char>(wav[42])) << 16;
    EXPECT_EQ(dataSize, 40u * 1152 * 2 * 2) << "40 frames, stereo, 16 bits";
}

TEST_F(SoundPlayerTest, WhatCannotBePlayedIsToldInAFewWords) {
    const std::string noWay = "Der Sound kann nicht abgespielt werden: ";
    EXPECT_EQ(makeSoundPlayer("no-such-output")->play(sound, stop).substr(0, noWay.size()), noWay);
    writeBytes(sound, wavFile(1000));
    EXPECT_EQ(makeSoundPlayer("wav", heard)->play(sound, stop),
              noWay + "die Datei ist keine MP3-Datei.");
    EXPECT_EQ(makeSoundPlayer("wav", heard)->play(m_folder.path("fehlt.mp3"), stop),
              noWay + "die Datei lässt sich nicht öffnen.");
}

TEST_F(SoundPlayerTest, AStopEndsThePlayingAtOnce) {
    writeBytes(sound, mpeg1Frames(4000)); // almost two minutes
    stop = true;
    EXPECT_EQ(makeSoundPlayer("wav", heard)->play(sound, stop), "");
    EXPECT_LT(readBytes(heard).size(), 100000u);
}

// Without a sound device there is nothing to hear, and the user is told so, rather than
// libout123 falling back on an output that takes the sound without a device.
TEST_F(SoundPlayerTest, WithoutASoundDeviceTheUserIsTold) {
#ifdef TONARION_LEAK_CHECKED
    // The system's sound libraries that the output modules load keep what they allocate on
    // opening (ALSA its parsed configuration) for the life of the process.
    __lsan::ScopedDisabler theirsToKeep;
#endif
#ifdef _WIN32
    const char* const outputs[] = {"win32_wasapi", "win32"};
#else
    const char* const outputs[] = {"pulse", "alsa", "oss"};
#endif
    for (const char* output : outputs) {
        if (makeSoundPlayer(output)->play(sound, stop).empty()) {
            GTEST_SKIP() << "this machine has a sound device: " << output;
        }
    }
    const std::string noOutput = "Der Sound kann nicht abgespielt werden: keine Tonausgabe";
#ifdef _WIN32
    // The outputs were found in lib\mpg123 and loaded; only the device is missing.
    EXPECT_EQ(makeSoundPlayer()->play(sound, stop), noOutput + " (failed to open device).");
#else
    EXPECT_EQ(makeSoundPlayer()->play(sound, stop).substr(0, noOutput.size()), noOutput);
#endif
}

} // namespace
} // namespace tonarion
