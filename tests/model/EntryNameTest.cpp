#include "model/EntryName.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

struct PaddingCase {
    const char* text;
    const char* four;
    const char* five;
};

TEST(EntryNameTest, NumbersArePaddedByTheirLengthOnly) {
    const PaddingCase cases[] = {
        {"7", "0007", "00007"},    {"12", "0012", "00012"},    {"123", "0123", "00123"},
        {"0042", "0042", "00042"}, {"12345", "0000", "12345"}, {"", "0000", ""},
        {"1x", "001x", "0001x"}, // characters are not tested for digits
    };
    for (const auto& c : cases) {
        EXPECT_EQ(pad4(c.text), c.four) << c.text;
        EXPECT_EQ(pad5(c.text), c.five) << c.text;
    }
}

TEST(EntryNameTest, ComposesAndParsesTheWorkedExamples) {
    const std::pair<EntryNameParts, const char*> examples[] = {
        {{'M', 'G', 'M', '2', "0012", "00000"}, "MGM2-0012-00000.mp3"},
        {{'R', 'B', 'O', '1', "0005", "00008"}, "RBO1-0005-00008.mp3"},
        {{'L', '1', 'M', '3', "0007", "20002"}, "L1M3-0007-20002.mp3"},
        {{'L', 'X', 'O', '1', "0012", "01234"}, "LXO1-0012-01234.mp3"},
        {{'K', 'S', 'M', '4', "0001", "00010"}, "KSM4-0001-00010.mp3"},
        {{'Z', 'U', 'O', '_', "0003", "00000"}, "ZUO_-0003-00000.mp3"},
        {{'U', 'Z', 'M', '_', "0005", "00000"}, "UZM_-0005-00000.mp3"},
        {{'E', 'N', 'D', '_', "0012", "00000"}, "END_-0012-00000.mp3"},
    };
    for (const auto& [parts, name] : examples) {
        EXPECT_EQ(composeEntryName(parts), name);
        EXPECT_EQ(parseEntryName(name), parts) << name;
    }
}

TEST(EntryNameTest, ParsingReadsFixedPositionsWithoutCheckingSeparators) {
    const auto parts = parseEntryName("MGM2x0012y00000.wav");
    EXPECT_EQ(parts.number1, "0012");
    EXPECT_EQ(parts.number2, "00000");

    const auto shortName = parseEntryName("MG");
    EXPECT_EQ(shortName.kind, 'M');
    EXPECT_EQ(shortName.mode, ' ');
    EXPECT_EQ(shortName.number1, "");
}

} // namespace
} // namespace tonarion
