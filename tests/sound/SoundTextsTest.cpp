#include "sound/SoundInspector.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

TEST(SoundTextsTest, RatesAndDurationsReadAsGermanUsersWriteThem) {
    const std::pair<long, const char*> rates[] = {{44100, "44,1 kHz"},
                                                  {22050, "22,05 kHz"},
                                                  {11025, "11,025 kHz"},
                                                  {48000, "48 kHz"},
                                                  {8000, "8 kHz"}};
    for (const auto& [hertz, text] : rates) {
        EXPECT_EQ(sampleRateText(hertz), text);
    }
    const std::pair<double, const char*> durations[] = {
        {0.2, "0:00"}, {2.6, "0:03"}, {59.6, "1:00"}, {760.0, "12:40"}};
    for (const auto& [seconds, text] : durations) {
        EXPECT_EQ(durationText(seconds), text);
    }
    // An unchecked file is neither praised nor blamed.
    const SoundFindings unchecked;
    EXPECT_FALSE(unchecked.invalid());
    EXPECT_EQ(formatText(unchecked), "Inhalt nicht geprüft");
    EXPECT_TRUE(soundHints(unchecked).empty());
}

} // namespace
} // namespace tonarion
