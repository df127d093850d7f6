#include "model/EntryName.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

// Numbers are padded by their length only (characters are not tested for digits); names are
// composed and parsed at fixed positions, separators and extension unchecked, and a short name
// gives blanks and short numbers.
TEST(EntryNameTest, ComposesAndParsesAtFixedPositions) {
    const std::tuple<const char*, const char*, const char*> padded[] = {{"7", "0007", "00007"},
                                                                        {"12345", "0000", "12345"},
                                                                        {"", "0000", ""},
                                                                        {"1x", "001x", "0001x"}};
    for (const auto& [text, four, five] : padded) {
        EXPECT_EQ(pad4(text) + " " + pad5(text), std::string(four) + " " + five) << text;
    }
    const std::pair<EntryNameParts, const char*> examples[] = {
        {{'M', 'G', 'M', '2', "0012", "00000"}, "MGM2-0012-00000.mp3"},
        {{'L', 'X', 'O', '1', "0012", "01234"}, "LXO1-0012-01234.mp3"},
        {{'E', 'N', 'D', '_', "0012", "00000"}, "END_-0012-00000.mp3"},
    };
    for (const auto& [parts, name] : examples) {
        EXPECT_EQ(composeEntryName(parts), name);
        EXPECT_EQ(parseEntryName(name), parts) << name;
    }
    EXPECT_EQ(parseEntryName("MGM2x0012y00000.wav"), parseEntryName("MGM2-0012-00000.mp3"));
    EXPECT_EQ(parseEntryName("MG"), (EntryNameParts{'M', 'G', ' ', ' ', "", ""}));
    EXPECT_EQ(parseEntryName("MGM2-00"), (EntryNameParts{'M', 'G', 'M', '2', "00", ""}));
}

// What the stick's files are taken for: every kind the module plays, the extension in either
// case; a setting file, another kind or extension and a misplaced separator are no EntryName.
TEST(EntryNameTest, LooksLikeAnEntryNameByKindSeparatorsAndExtension) {
    for (const char* name : {"MGM2-0012-00000.mp3", "RFO1-0005-00008.MP3", "L1M2-0012-20002.mp3",
                             "KSM4-0001-00010.mp3", "ZUM_-0001-00000.mp3", "UZM_-0005-00000.mp3",
                             "END_-0012-00000.Mp3"}) {
        EXPECT_TRUE(looksLikeEntryName(name)) << name;
    }
    for (const char* name : {"SET_-0001-00021.mp3", "XGM2-0012-00000.mp3", "mGM2-0012-00000.mp3",
                             "MGM2-0012-00000.wav", "MGM2x0012-00000.mp3", "MGM2-0012x00000.mp3",
                             "MGM2-0012-00000.mp3.tonarion-new", "MGM2-0012-0000.mp3"}) {
        EXPECT_FALSE(looksLikeEntryName(name)) << name;
    }
}

} // namespace
} // namespace tonarion
